#include "product_state.h"

#include "common/unique_handle.h"
#include "tests/support/eventually.h"
#include "tests/support/parameters_key.h"
#include "tests/support/process_runner.h"
#include "tests/support/wine_paths.h"

#include <msi.h>
#include <shlobj.h>

using namespace Korva::Win32;

namespace ProductState {
namespace {

std::wstring packagePath(const std::wstring& package) {
    if (package.front() != L'/')
        return package;
    return L"\"" + Korva::QELD::Test::windowsPath(package) + L"\"";
}

std::wstring shellFolder(int id) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, id, nullptr, 0, path);
    return path;
}

std::vector<BYTE> query(SC_HANDLE service, DWORD level) {
    DWORD needed = 0;
    ::QueryServiceConfig2W(service, level, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed + sizeof(void*));
    ::QueryServiceConfig2W(service, level, buffer.data(), static_cast<DWORD>(buffer.size()),
                           &needed);
    return buffer;
}

void readConfiguration(SC_HANDLE handle, ServiceState& state) {
    DWORD needed = 0;
    ::QueryServiceConfigW(handle, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!::QueryServiceConfigW(handle, config, needed, &needed))
        return;
    state.serviceType = config->dwServiceType;
    state.startType = config->dwStartType;
    state.displayName = config->lpDisplayName;
    state.account = config->lpServiceStartName;
    state.commandLine = config->lpBinaryPathName;
    const auto description = query(handle, SERVICE_CONFIG_DESCRIPTION);
    if (const wchar_t* text =
            reinterpret_cast<const SERVICE_DESCRIPTIONW*>(description.data())->lpDescription)
        state.description = text;
}

// The state once the service is neither starting nor stopping; 0 when it
// cannot be queried.
DWORD settledState(SC_HANDLE handle) {
    SERVICE_STATUS status{};
    bool queried = true;
    EXPECT_TRUE(Korva::QELD::Test::eventually("the service to settle", [&] {
        queried = ::QueryServiceStatus(handle, &status) != FALSE;
        return !queried || (status.dwCurrentState != SERVICE_START_PENDING &&
                            status.dwCurrentState != SERVICE_STOP_PENDING);
    }));
    return queried ? status.dwCurrentState : 0;
}

void deleteService() {
    const unique_service manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const unique_service handle(
        ::OpenServiceW(manager.get(), L"QELDSVC", SERVICE_STOP | DELETE | SERVICE_QUERY_STATUS));
    if (!handle)
        return;
    SERVICE_STATUS status{};
    ::ControlService(handle.get(), SERVICE_CONTROL_STOP, &status);
    settledState(handle.get());
    ::DeleteService(handle.get());
}

} // namespace

// msiexec runs in a job of its own with what it starts (Wine's server for the
// package's custom actions among them), so that a run that hangs is ended
// whole within the tests' bound, well before the test's own time-out, and
// leaves no process behind to hold the installer's lock for the next run.
DWORD msiexec(const wchar_t* action, const std::wstring& package, const std::wstring& arguments) {
    const unique_kernel_handle job(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    const std::wstring command =
        L"msiexec.exe " + std::wstring(action) + L" " + packagePath(package) + L" /qn " + arguments;
    const auto process = Korva::QELD::Test::startProcess(command, {}, 0, job.get());
    const auto bound =
        std::chrono::duration_cast<std::chrono::milliseconds>(Korva::QELD::Test::waitBound);
    const DWORD code = Korva::QELD::Test::waitForExit(process.get(), DWORD(bound.count()));
    EXPECT_NE(code, 0xDEADu) << "msiexec did not finish within "
                             << std::chrono::seconds(Korva::QELD::Test::waitBound).count()
                             << " s: " << std::string(command.begin(), command.end());
    return code;
}

// Wine's msiexec deletes the product's whole upgrade-code registration when
// it removes the older version in an upgrade, so MsiEnumRelatedProducts no
// longer finds the newer one; the uninstall entries are right on both systems.
std::vector<std::wstring> installedProducts() {
    const wchar_t* uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    unique_hkey key;
    ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, uninstall, 0, KEY_READ, key.put());
    std::vector<std::wstring> products;
    wchar_t name[MAX_PATH];
    for (DWORD index = 0, size = MAX_PATH;
         ::RegEnumKeyExW(key.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
         ++index, size = MAX_PATH) {
        const std::wstring entry = std::wstring(uninstall) + L"\\" + name;
        if (text(entry.c_str(), L"DisplayName") == L"Zelqa QEL Display")
            products.emplace_back(name);
    }
    return products;
}

std::wstring installedVersion(const std::wstring& productCode) {
    wchar_t version[64] = {};
    DWORD size = 64;
    ::MsiGetProductInfoW(productCode.c_str(), INSTALLPROPERTY_VERSIONSTRING, version, &size);
    return version;
}

void removeEverything() {
    for (const auto& product : installedProducts())
        msiexec(L"/x", product);
    deleteService();
    Korva::QELD::Test::deleteParametersKey();
}

std::wstring vendorFolder() {
    return shellFolder(CSIDL_PROGRAM_FILES) + L"\\Zelqa";
}

std::wstring installFolder() {
    return vendorFolder() + L"\\QEL Display";
}

// Wine puts the shortcut of a per-machine product into the installing user's
// Start menu; Windows puts it into the all-users one.
std::wstring startMenuShortcut() {
    const std::wstring name = L"\\QEL Display.lnk";
    const std::wstring common = shellFolder(CSIDL_COMMON_PROGRAMS) + name;
    return exists(common) ? common : shellFolder(CSIDL_PROGRAMS) + name;
}

bool exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

std::optional<std::wstring> typedText(const wchar_t* key, const wchar_t* name, DWORD flags) {
    wchar_t buffer[MAX_PATH] = {};
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, name, flags, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return buffer;
}

} // namespace

std::optional<std::wstring> text(const wchar_t* key, const wchar_t* name) {
    return typedText(key, name, RRF_RT_REG_SZ);
}

std::optional<std::wstring> expandableText(const wchar_t* key, const wchar_t* name) {
    return typedText(key, name, RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND);
}

std::optional<DWORD> number(const wchar_t* key, const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void setText(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void setNumber(const wchar_t* key, const wchar_t* name, DWORD value) {
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, name, REG_DWORD, &value, sizeof value);
}

ServiceState service() {
    ServiceState state;
    const unique_service manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const unique_service handle(
        ::OpenServiceW(manager.get(), L"QELDSVC", SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS));
    if (!handle)
        return state;
    state.registered = true;
    readConfiguration(handle.get(), state);
    state.currentState = settledState(handle.get());
    return state;
}

} // namespace ProductState
