#include "settings/configuration_data.h"

#include "common/debug_output.h"
#include "common/error_categories.h"
#include "settings/core/registry_values.h"
#include "settings/core/settings_merge.h"

#include <cstdio>

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
    if (parametersKey_.open(HKEY_LOCAL_MACHINE, keyPath_, KEY_READ)) {
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

// The interval is read as into a four-byte buffer: a longer value does not
// fit and counts as unreadable.
std::uint32_t readUpdateTime(HKEY key) {
    const auto value = Win32::readValue(key, L"Update Time");
    if (!value || value->bytes.size() > 4)
        return defaultUpdateTime;
    return RegistryValues::updateTime(value->bytes.data(), value->bytes.size());
}

std::optional<std::uint32_t> readDwordSetting(HKEY key, const wchar_t* name) {
    const auto value = Win32::readValue(key, name);
    if (!value)
        return std::nullopt;
    return RegistryValues::dword(value->type, value->bytes.data(), value->bytes.size());
}

// An odd byte count loses only its last byte.
std::optional<std::u16string> readFolder(HKEY key) {
    const auto value = Win32::readValue(key, L"Folder");
    if (!value)
        return std::nullopt;
    return RegistryValues::folder(value->bytes.data(), value->bytes.size());
}

} // namespace

long ConfigurationData::regQueryDeviceConfig(HKEY parametersKey, const wchar_t* subkey,
                                             DeviceConfig& config, const DeviceConfig* fallback) {
    Win32::RegistryKey opened;
    HKEY key = parametersKey;
    if (subkey != nullptr) {
        if (const auto error = opened.open(parametersKey, subkey, KEY_QUERY_VALUE))
            return error.value();
        key = opened.get();
    }
    if (auto folder = readFolder(key))
        config.folder = std::move(*folder);
    else if (fallback != nullptr)
        config.folder = fallback->folder;
    const auto border = readDwordSetting(key, L"Border");
    config.borderAuto = !border.has_value();
    if (border)
        config.border = static_cast<std::int32_t>(*border);
    config.scale = static_cast<std::int32_t>(readDwordSetting(key, L"Scale").value_or(1));
    config.clip = static_cast<std::uint8_t>(readDwordSetting(key, L"Clip").value_or(0x11));
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
