#include "slideshow/device_list.h"

#include "common/error_categories.h"
#include "slideshow/device_thread.h"
#include "tablet/discovery.h"

#include <process.h>

#include <iterator>
#include <memory>
#include <set>

namespace Korva::QELD {

DeviceThreadHandle& DeviceThreadHandle::operator=(DeviceThreadHandle&& other) noexcept {
    stop();
    quitEvent = std::move(other.quitEvent);
    updateEvent = std::move(other.updateEvent);
    thread = std::move(other.thread);
    return *this;
}

DeviceThreadHandle::~DeviceThreadHandle() {
    stop();
}

void DeviceThreadHandle::stop() noexcept {
    if (!thread)
        return;
    ::SetEvent(quitEvent.get());
    ::WaitForSingleObject(thread.get(), INFINITE);
    thread.reset();
}

namespace {

unsigned __stdcall runWorker(void* argument) {
    const std::unique_ptr<DeviceThread> worker(static_cast<DeviceThread*>(argument));
    (*worker)();
    return 0;
}

} // namespace

DeviceThreadHandle DeviceList::start(const QEL::TabletDevice& tablet) {
    DeviceThreadHandle handle;
    handle.quitEvent = Win32::createEvent();
    handle.updateEvent = Win32::createEvent();
    auto worker = std::make_unique<DeviceThread>(tablet, imageLists_, handle.quitEvent.get(),
                                                 handle.updateEvent.get(), eventLog_, status_);
    const auto thread = ::_beginthreadex(nullptr, 0, runWorker, worker.get(), 0, nullptr);
    if (thread == 0)
        Win32::throwWin32(static_cast<DWORD>(_doserrno), "_beginthreadex");
    worker.release();
    handle.thread.reset(reinterpret_cast<HANDLE>(thread));
    return handle;
}

void DeviceList::update() {
    std::set<std::wstring> attached;
    std::set<std::wstring> leftOut;
    for (const auto& tablet : QEL::listTablets()) {
        attached.insert(tablet.hidPath);
        if (threads_.contains(tablet.hidPath))
            continue;
        if (threads_.size() < limit_) {
            threads_.emplace(tablet.hidPath, start(tablet));
            continue;
        }
        if (!leftOut_.contains(tablet.hidPath)) {
            eventLog_.write(
                EventReports::tooManyTablets(reportName(tablet), static_cast<unsigned>(limit_)));
        }
        leftOut.insert(tablet.hidPath);
    }
    leftOut_ = std::move(leftOut);
    status_.keepTablets(attached);
}

std::vector<HANDLE> DeviceList::threadHandles() const {
    std::vector<HANDLE> handles;
    for (const auto& [path, handle] : threads_)
        handles.push_back(handle.thread.get());
    return handles;
}

void DeviceList::erase(std::size_t position) {
    if (position < threads_.size())
        threads_.erase(std::next(threads_.begin(), static_cast<std::ptrdiff_t>(position)));
}

// Every worker is told to quit before the first is joined, so that the
// workers blank their tablets, or give up on hung ones, at the same time.
void DeviceList::clear() {
    for (const auto& [path, handle] : threads_)
        ::SetEvent(handle.quitEvent.get());
    while (!threads_.empty())
        threads_.erase(threads_.begin());
}

void DeviceList::setUpdateEvents() {
    for (auto entry = threads_.begin(); entry != threads_.end();) {
        try {
            if (!::SetEvent(entry->second.updateEvent.get()))
                Win32::throwLastError("SetEvent");
            ++entry;
        } catch (const std::system_error& e) {
            eventLog_.reportException("Korva::QELD::DeviceList::setUpdateEvents", e);
            entry = threads_.erase(entry);
        }
    }
}

} // namespace Korva::QELD
