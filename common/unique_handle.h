#pragma once

#include <windows.h>

#include <dbt.h>
#include <objbase.h>

#include <utility>

namespace Korva::Win32 {

// Owner of one platform handle. Traits say what the empty value is and how a
// handle is released; the owner is movable, never copyable.
template <class Traits> class unique_handle {
public:
    using pointer = typename Traits::pointer;

    unique_handle() noexcept = default;
    explicit unique_handle(pointer value) noexcept : value_(value) {}
    unique_handle(unique_handle&& other) noexcept : value_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    ~unique_handle() { reset(); }

    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }
    pointer get() const noexcept { return value_; }

    // Releases what is held and hands out the slot for an API that returns a
    // handle through an out-parameter.
    pointer* put() noexcept {
        reset();
        return &value_;
    }

    pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }

    void reset(pointer value = Traits::invalid()) noexcept {
        const pointer old = std::exchange(value_, value);
        if (old != Traits::invalid())
            Traits::close(old);
    }

private:
    pointer value_ = Traits::invalid();
};

// Events, threads, processes, tokens and other kernel objects: empty is null.
struct kernel_handle_traits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};

// Files and devices from CreateFileW: empty is INVALID_HANDLE_VALUE.
struct file_handle_traits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};

struct registry_key_traits {
    using pointer = HKEY;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::RegCloseKey(h); }
};

struct device_notification_traits {
    using pointer = HDEVNOTIFY;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::UnregisterDeviceNotification(h); }
};

struct service_handle_traits {
    using pointer = SC_HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::CloseServiceHandle(h); }
};

struct event_source_traits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::DeregisterEventSource(h); }
};

struct module_traits {
    using pointer = HMODULE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::FreeLibrary(h); }
};

struct find_file_traits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::FindClose(h); }
};

// Buffers the system allocates for its callers (FormatMessage).
struct local_memory_traits {
    using pointer = void*;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::LocalFree(h); }
};

// Buffers allocated by COM and the shell.
struct com_memory_traits {
    using pointer = void*;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::CoTaskMemFree(h); }
};

// A COM interface pointer: released once.
template <class Interface> struct com_traits {
    using pointer = Interface*;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { h->Release(); }
};

using unique_kernel_handle = unique_handle<kernel_handle_traits>;
using unique_event = unique_kernel_handle;
using unique_file = unique_handle<file_handle_traits>;
using unique_hkey = unique_handle<registry_key_traits>;
using unique_devnotify = unique_handle<device_notification_traits>;
using unique_service = unique_handle<service_handle_traits>;
using unique_event_source = unique_handle<event_source_traits>;
using unique_module = unique_handle<module_traits>;
using unique_find = unique_handle<find_file_traits>;
using unique_local_memory = unique_handle<local_memory_traits>;
using unique_com_memory = unique_handle<com_memory_traits>;
template <class Interface> using com_ptr = unique_handle<com_traits<Interface>>;

// Creates a manual-reset event, unsignalled; raises the last error on failure.
unique_event createEvent();

} // namespace Korva::Win32
