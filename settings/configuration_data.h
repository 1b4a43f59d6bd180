#pragma once

#include "common/core/noncopyable.h"
#include "common/registry_key.h"
#include "common/unique_handle.h"
#include "settings/core/configuration_flags.h"
#include "settings/core/device_config.h"

#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace Korva::QELD {

// The service's Parameters key under HKEY_LOCAL_MACHINE.
inline constexpr const wchar_t* parametersKeyPath =
    L"SYSTEM\\CurrentControlSet\\services\\QELDSVC\\Parameters";

class ConfigurationData;

// Guard returned by ConfigurationData::lock: holds the settings mutex and
// gives access to the state it guards until destroyed.
class ConfigurationLock {
public:
    ConfigurationFlags& flags() noexcept;
    // Takes the pending flags of the mask and resets flagsEvent when no flag
    // is left pending, so that the event is signalled exactly while flags
    // wait for the main loop.
    ConfigurationFlags takeFlags(ConfigurationFlags mask = ~ConfigurationFlags{0});
    std::uint32_t updateTime() const noexcept;
    DeviceConfigMap& deviceConfigs() noexcept;

private:
    friend class ConfigurationData;
    ConfigurationLock(ConfigurationData& data, std::unique_lock<std::mutex> lock)
        : data_(data), lock_(std::move(lock)) {}

    ConfigurationData& data_;
    std::unique_lock<std::mutex> lock_;
};

// The settings of the service and its notification hub: a word of change
// flags under a mutex, and one manual-reset event signalled whenever a flag
// is raised.
class ConfigurationData : noncopyable {
public:
    // The key path is the product's own; tests pass a key of their own.
    explicit ConfigurationData(std::wstring keyPath = parametersKeyPath);
    ~ConfigurationData();

    // Opens the key, reads it once and starts the watcher. False when the key
    // cannot be opened or the first read raised not both settings flags.
    bool init();

    ConfigurationFlags readRegistryAndUpdate();

    // Reads one settings set from the key or one of its subkeys; returns the
    // registry result of opening the subkey (0 when read).
    static long regQueryDeviceConfig(HKEY parametersKey, const wchar_t* subkey,
                                     DeviceConfig& config, const DeviceConfig* fallback);

    // Locks the settings; resets flagsEvent only when no flag is pending, so
    // that a flag raised before the main loop first waits is not lost.
    ConfigurationLock lock();

    void signalDeviceChange() { signal(ConfigurationFlag_DeviceChange); }
    void signalSuspend() { signal(ConfigurationFlag_Suspend); }
    void signalResume() { signal(ConfigurationFlag_Resume); }
    void signalQuit() { signal(ConfigurationFlag_Quit); }
    void signalTimeChange() { signal(ConfigurationFlag_TimeChange); }

    HANDLE flagsEvent() const noexcept { return flagsEvent_.get(); }
    HANDLE stopEvent() const noexcept { return stopEvent_.get(); }
    HKEY parametersKey() const noexcept { return parametersKey_.get(); }

private:
    friend class ConfigurationLock;

    void signal(ConfigurationFlags flag);
    void resetFlagsEvent();
    void readerThread() noexcept;
    void watchRegistry();

    std::wstring keyPath_;
    Win32::RegistryKey parametersKey_;
    Win32::unique_event stopEvent_;
    std::thread watcher_;
    Win32::unique_event flagsEvent_;
    std::mutex mutex_;
    ConfigurationFlags flags_ = 0;
    DeviceConfigMap deviceConfigs_;
    std::optional<std::uint32_t> updateTime_;
};

} // namespace Korva::QELD
