#pragma once

#include "settings/configuration_data.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// What the installer tests run and look at on the machine: msiexec, the
// product's registrations, its service and its folders.
namespace ProductState {

inline constexpr const wchar_t* parametersKey = Korva::QELD::parametersKeyPath;
inline constexpr const wchar_t* eventSourceKey =
    L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Zelqa QEL Display";
inline constexpr const wchar_t* controlPanelKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cpls";

// Runs msiexec silently with the given action ("/i" or "/x") on a package
// given as a Linux path, or on a product code, followed by the given
// properties or options; returns its exit code.
DWORD msiexec(const wchar_t* action, const std::wstring& package,
              const std::wstring& arguments = L"");

// Product codes of every installed version of the product.
std::vector<std::wstring> installedProducts();
std::wstring installedVersion(const std::wstring& productCode);

// Uninstalls every version, deletes a service left registered and the
// settings, so that each test starts from a machine without the product.
void removeEverything();

std::wstring vendorFolder();
std::wstring installFolder();
std::wstring startMenuShortcut();
bool exists(const std::wstring& path);

std::optional<std::wstring> text(const wchar_t* key, const wchar_t* name);
// A REG_EXPAND_SZ value as stored.
std::optional<std::wstring> expandableText(const wchar_t* key, const wchar_t* name);
std::optional<DWORD> number(const wchar_t* key, const wchar_t* name);
void setText(const wchar_t* key, const wchar_t* name, const std::wstring& value);
void setNumber(const wchar_t* key, const wchar_t* name, DWORD value);

struct ServiceState {
    bool registered = false;
    DWORD serviceType = 0, startType = 0, currentState = 0;
    std::wstring displayName, account, commandLine, description;
};

// The service's configuration, and its state once it has left the pending
// states (or after a few seconds).
ServiceState service();

} // namespace ProductState
