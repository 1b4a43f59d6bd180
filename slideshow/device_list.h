#pragma once

#include "common/event_log.h"
#include "common/core/noncopyable.h"
#include "common/unique_handle.h"
#include "slideshow/image_list_map.h"
#include "slideshow/core/status_record.h"
#include "tablet/tablet_device.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace Korva::QELD {

// One worker's events and thread. Destroying it tells the worker to quit
// (it blanks its tablet) and joins it.
class DeviceThreadHandle {
public:
    DeviceThreadHandle() = default;
    DeviceThreadHandle(DeviceThreadHandle&&) noexcept = default;
    DeviceThreadHandle& operator=(DeviceThreadHandle&& other) noexcept;
    ~DeviceThreadHandle();

    Win32::unique_event quitEvent;
    Win32::unique_event updateEvent;
    Win32::unique_kernel_handle thread;

private:
    void stop() noexcept;
};

// The main loop waits in one wait on every worker's thread, the settings'
// event and one change event per settings set; a wait takes at most
// MAXIMUM_WAIT_OBJECTS handles.
inline constexpr std::size_t workerLimit = MAXIMUM_WAIT_OBJECTS - 1 - modelKeyTable.size();

// One worker thread per attached tablet, keyed by the tablet's HID path. All
// operations run on the main thread; the workers never touch the list.
class DeviceList : noncopyable {
public:
    // Tests give a small limit of their own.
    DeviceList(ImageListMap& imageLists, EventLog& eventLog, StatusRecord& status,
               std::size_t limit = workerLimit)
        : imageLists_(imageLists), eventLog_(eventLog), status_(status), limit_(limit) {}
    ~DeviceList() { clear(); }

    // Starts a worker for every attached tablet that has none, up to the
    // limit; a tablet left out is reported once while it stays left out. The
    // status forgets the tablets no longer attached.
    void update();

    // The workers' thread handles in list order, for the main loop's wait.
    std::vector<HANDLE> threadHandles() const;

    // Ends and removes the worker at that position of threadHandles().
    void erase(std::size_t position);

    void clear();

    // Wakes every worker to show its list's current picture.
    void setUpdateEvents();

    std::size_t size() const noexcept { return threads_.size(); }

private:
    DeviceThreadHandle start(const QEL::TabletDevice& tablet);

    std::map<std::wstring, DeviceThreadHandle> threads_;
    ImageListMap& imageLists_;
    EventLog& eventLog_;
    StatusRecord& status_;
    std::size_t limit_;
    std::set<std::wstring> leftOut_;
};

} // namespace Korva::QELD
