#include "service/install.h"

#include "common/error_categories.h"
#include "common/registry_key.h"
#include "common/unique_handle.h"
#include "service/folder_protection.h"
#include "service/least_privilege.h"
#include "service/recovery_actions.h"
#include "settings/configuration_data.h"

#include <shlobj.h>

#include <iostream>
#include <string>
#include <vector>

namespace Korva::QELD {
namespace {

using namespace Korva::Win32;

constexpr const wchar_t* serviceName = L"QELDSVC";
constexpr const wchar_t* displayName = L"Zelqa QEL Display";
constexpr const wchar_t* description = L"Displays a slideshow of images on your Zelqa QEL tablet";
constexpr const wchar_t* picturesSubfolder = L"\\Zelqa QEL Display pictures\\";

std::wstring serviceCommandLine() {
    wchar_t path[261];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, 261);
    if (length == 0 || length >= 261)
        throwLastError("GetModuleFileName");
    return L"\"" + std::wstring(path, length) + L"\" /service";
}

void createService(const std::wstring& commandLine) {
    const unique_service manager(
        ::OpenSCManagerW(nullptr, L"ServicesActive", SC_MANAGER_CREATE_SERVICE));
    if (!manager)
        throwLastError("OpenSCManager");
    const unique_service service(::CreateServiceW(
        manager.get(), serviceName, displayName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
        SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, commandLine.c_str(), nullptr, nullptr, nullptr,
        L"NT AUTHORITY\\LocalService", nullptr));
    if (!service)
        throwLastError("CreateService");
    std::cout << "Service created!" << std::endl;
    // Systems without delayed automatic start refuse the level; a plain
    // automatic start is the closest they offer, so installation goes on.
    SERVICE_DELAYED_AUTO_START_INFO delayed{TRUE};
    if (!::ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &delayed) &&
        ::GetLastError() != ERROR_INVALID_LEVEL)
        throwLastError("ChangeServiceConfig2(SERVICE_CONFIG_DELAYED_AUTO_START_INFO)");
    SERVICE_DESCRIPTIONW text{const_cast<wchar_t*>(description)};
    if (!::ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, &text))
        throwLastError("ChangeServiceConfig2(SERVICE_CONFIG_DESCRIPTION)");
    declareLeastPrivilege(service.get());
    setRecoveryActions(service.get());
}

using KnownFolderPath = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
using FolderPath = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);

// The all-users pictures folder, from the newer shell call where the system
// has it and the older one otherwise.
std::wstring publicPictures() {
    const unique_module shell(::LoadLibraryW(L"SHELL32.DLL"));
    if (!shell)
        throwLastError("LoadLibrary");
    unique_com_memory buffer;
    if (const auto known = reinterpret_cast<KnownFolderPath>(
            reinterpret_cast<void*>(::GetProcAddress(shell.get(), "SHGetKnownFolderPath")))) {
        const HRESULT hr =
            known(FOLDERID_PublicPictures, 0, nullptr, reinterpret_cast<PWSTR*>(buffer.put()));
        if (FAILED(hr))
            throwHResult(hr, "SHGetKnownFolderPath");
    } else {
        const auto folder = reinterpret_cast<FolderPath>(
            reinterpret_cast<void*>(::GetProcAddress(shell.get(), "SHGetFolderPathW")));
        if (folder == nullptr)
            throwLastError("GetProcAddress(\"SHGetFolderPathW\")");
        buffer.reset(::CoTaskMemAlloc(MAX_PATH * sizeof(wchar_t)));
        if (!buffer)
            throwWin32(ERROR_OUTOFMEMORY, "CoTaskMemAlloc");
        const HRESULT hr =
            folder(nullptr, CSIDL_COMMON_PICTURES, nullptr, 0, static_cast<wchar_t*>(buffer.get()));
        if (FAILED(hr))
            throwHResult(hr, "SHGetFolderPathW");
    }
    return static_cast<const wchar_t*>(buffer.get());
}

void seedSettings() {
    RegistryKey key;
    throwIfFailed(
        key.create(HKEY_LOCAL_MACHINE, parametersKeyPath, KEY_SET_VALUE | KEY_QUERY_VALUE),
        "RegCreateKeyEx");
    if (valueMissing(key.get(), L"Folder")) {
        std::wstring folder = publicPictures();
        if (!folder.empty())
            folder += picturesSubfolder;
        throwIfFailed(writeString(key.get(), L"Folder", folder), "RegSetValueEx");
    }
    if (valueMissing(key.get(), L"Update Time"))
        throwIfFailed(writeDword(key.get(), L"Update Time", defaultUpdateTime), "RegSetValueEx");
}

void deleteService() {
    const unique_service manager(
        ::OpenSCManagerW(nullptr, L"ServicesActive", SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager)
        throwLastError("OpenSCManager");
    const unique_service service(::OpenServiceW(manager.get(), serviceName, DELETE));
    if (!service)
        throwLastError("OpenService");
    if (!::DeleteService(service.get()))
        throwLastError("DeleteService");
    std::cout << "Service deleted!" << std::endl;
}

// The installed service, opened to change its configuration.
unique_service serviceToChange() {
    const unique_service manager(::OpenSCManagerW(nullptr, L"ServicesActive", SC_MANAGER_CONNECT));
    if (!manager)
        throwLastError("OpenSCManager");
    unique_service service(::OpenServiceW(manager.get(), serviceName, SERVICE_CHANGE_CONFIG));
    if (!service)
        throwLastError("OpenService");
    return service;
}

void setServiceAccount(const std::wstring& account) {
    if (account.empty())
        throwWin32(ERROR_INVALID_SERVICE_ACCOUNT, "an empty service account");
    const unique_service service = serviceToChange();
    // The built-in service accounts have no password; an empty one says so.
    if (!::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                account.c_str(), L"", nullptr))
        throwLastError("ChangeServiceConfig");
    std::cout << "Service account changed!" << std::endl;
}

// Brings an installed service and the product's folders to the installed
// rights; the installer runs it at every installation and upgrade.
void protectProduct(const ProtectArguments& arguments) {
    declareLeastPrivilege(serviceToChange().get());
    createLocalCopyFolder();
    std::vector<std::wstring> editors;
    for (const std::u16string& name : arguments.editors)
        editors.emplace_back(name.begin(), name.end());
    protectPicturesFolder(std::wstring(arguments.folder.begin(), arguments.folder.end()), editors);
    std::cout << "Rights set!" << std::endl;
}

template <class Operation> int reported(Operation operation) noexcept {
    try {
        operation();
        return 0;
    } catch (const std::system_error& e) {
        std::cout << "Failed: " << e.code().category().name() << ":" << e.code().value() << " ("
                  << e.what() << ")" << std::endl;
    } catch (const std::exception& e) {
        std::cout << "Failed: " << e.what() << std::endl;
    } catch (...) {
        std::cout << "Failed: unknown exception" << std::endl;
    }
    return ERROR_INTERNAL_ERROR;
}

} // namespace

int installService() noexcept {
    return reported([] {
        createService(serviceCommandLine());
        seedSettings();
        createLocalCopyFolder();
    });
}

int changeServiceAccount(const std::wstring& account) noexcept {
    return reported([&] { setServiceAccount(account); });
}

int protectInstallation(const std::optional<ProtectArguments>& arguments) noexcept {
    return reported([&] {
        if (!arguments)
            throwWin32(ERROR_INVALID_PARAMETER, "/protect \"<pictures folder>\" [group;...]");
        protectProduct(*arguments);
    });
}

int uninstallService() noexcept {
    return reported(deleteService);
}

} // namespace Korva::QELD
