#include "settings/configuration_data.h"

#include "common/debug_output.h"
#include "common/error_categories.h"
#include "settings/core/registry_values.h"
#include "settings/core/settings_merge.h"

#include <cstdio>
#include <vector>

namespace Korva::QELD {

using Win32::debugOutput;

ConfigurationFlags& ConfigurationLock::flags() noexcept {
    return data_.flags_;
}

ConfigurationFlags ConfigurationLock::takeFlags(ConfigurationFlags mask) {
    const ConfigurationFlags taken = data_.flags_ & mask;
    data_.flags_ &= ~mask;
    if (data_.flags_ == 0)
        data_.resetFlagsEvent();
    return taken;
}

std::uint32_t ConfigurationLock::updateTime() const noexcept {
    return data_.updateTime_.value_or(defaultUpdateTime);
}

DeviceConfigMap& ConfigurationLock::deviceConfigs() noexcept {
    return data_.deviceConfigs_;
}

ConfigurationData::ConfigurationData(std::wstring keyPath)
    : keyPath_(std::move(keyPath)), stopEvent_(Win32::createEvent()),
      flagsEvent_(Win32::createEvent()) {}

ConfigurationData::~ConfigurationData() {
    if (watcher_.joinable()) {
        ::SetEvent(stopEvent_.get());
        watcher_.join();
    }
}

bool ConfigurationData::init() {
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath_.c_str(), 0, KEY_READ, parametersKey_.put()) !=
        ERROR_SUCCESS) {
        debugOutput(L"ConfigurationData::init: Failed to open key\r\n");
        return false;
    }
    const auto raised = readRegistryAndUpdate();
    const auto both = ConfigurationFlag_DeviceConfig | ConfigurationFlag_UpdateTime;
    if ((raised & both) != both) {
        debugOutput(L"ConfigurationData::init: missing flags\r\n");
        return false;
    }
    watcher_ = std::thread(&ConfigurationData::readerThread, this);
    return true;
}

namespace {

std::uint32_t readUpdateTime(HKEY key) {
    std::uint8_t bytes[4];
    DWORD size = sizeof bytes;
    if (::RegQueryValueExW(key, L"Update Time", nullptr, nullptr, bytes, &size) != ERROR_SUCCESS)
        return defaultUpdateTime;
    return RegistryValues::updateTime(bytes, size);
}

std::optional<std::uint32_t> readDword(HKEY key, const wchar_t* name) {
    std::uint8_t bytes[4];
    DWORD size = sizeof bytes;
    DWORD type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, bytes, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return RegistryValues::dword(type, bytes, size);
}

// Queries until the buffer holds the whole value, as the value may change
// between two queries. An odd byte count loses only its last byte.
std::optional<std::u16string> readFolder(HKEY key) {
    std::vector<std::uint8_t> bytes;
    for (;;) {
        DWORD size = static_cast<DWORD>(bytes.size());
        const LONG rc = ::RegQueryValueExW(key, L"Folder", nullptr, nullptr,
                                           bytes.empty() ? nullptr : bytes.data(), &size);
        if (rc == ERROR_SUCCESS && size <= bytes.size())
            return RegistryValues::folder(bytes.data(), size);
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA)
            return std::nullopt;
        bytes.resize(size);
    }
}

} // namespace

long ConfigurationData::regQueryDeviceConfig(HKEY parametersKey, const wchar_t* subkey,
                                             DeviceConfig& config, const DeviceConfig* fallback) {
    Win32::unique_hkey opened;
    HKEY key = parametersKey;
    if (subkey != nullptr) {
        const LONG rc = ::RegOpenKeyExW(parametersKey, subkey, 0, KEY_QUERY_VALUE, opened.put());
        if (rc != ERROR_SUCCESS)
            return rc;
        key = opened.get();
    }
    if (auto folder = readFolder(key))
        config.folder = std::move(*folder);
    else if (fallback != nullptr)
        config.folder = fallback->folder;
    const auto border = readDword(key, L"Border");
    config.borderAuto = !border.has_value();
    if (border)
        config.border = static_cast<std::int32_t>(*border);
    config.scale = static_cast<std::int32_t>(readDword(key, L"Scale").value_or(1));
    config.clip = static_cast<std::uint8_t>(readDword(key, L"Clip").value_or(0x11));
    return ERROR_SUCCESS;
}

ConfigurationFlags ConfigurationData::readRegistryAndUpdate() {
    const std::uint32_t interval = readUpdateTime(parametersKey_.get());
    std::lock_guard guard(mutex_);
    ConfigurationFlags raised = 0;
    for (const auto& row : modelKeyTable) {
        DeviceConfig config;
        const auto generic = deviceConfigs_.find(0);
        const DeviceConfig* fallback =
            row.id != 0 && generic != deviceConfigs_.end() ? &generic->second : nullptr;
        const long rc = regQueryDeviceConfig(
            parametersKey_.get(), reinterpret_cast<const wchar_t*>(row.subkey), config, fallback);
        const auto merged = mergeDeviceConfig(deviceConfigs_, row.id, rc, config);
        raised |= merged.raised;
        if (merged.note == MergeNote::UnreadSetNotHeld) {
            wchar_t line[64];
            std::swprintf(line, 64, L"warning: regQueryDeviceConfig failed %d\n",
                          static_cast<int>(rc));
            debugOutput(line);
        }
    }
    const auto merged = mergeUpdateTime(updateTime_, interval);
    raised |= merged.raised;
    if (merged.note == MergeNote::SameInterval)
        debugOutput(L"warning: no ConfigurationFlag_UpdateTime\n");
    flags_ |= raised;
    if (raised != 0) {
        if (!::SetEvent(flagsEvent_.get()))
            Win32::throwLastError("SetEvent");
        debugOutput(L"ConfigurationData::readRegistryAndUpdate setting flag!\n");
    }
    return raised;
}

ConfigurationLock ConfigurationData::lock() {
    std::unique_lock guard(mutex_);
    if (flags_ == 0)
        resetFlagsEvent();
    return ConfigurationLock(*this, std::move(guard));
}

void ConfigurationData::resetFlagsEvent() {
    if (!::ResetEvent(flagsEvent_.get()))
        Win32::throwLastError("ResetEvent");
}

void ConfigurationData::signal(ConfigurationFlags flag) {
    std::lock_guard guard(mutex_);
    flags_ |= flag;
    if (!::SetEvent(flagsEvent_.get()))
        Win32::throwLastError("SetEvent");
}

} // namespace Korva::QELD
