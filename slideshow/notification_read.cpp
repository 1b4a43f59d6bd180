#include "slideshow/notification_read.h"

namespace Korva::QELD {

NotificationRead::NotificationRead(HANDLE folder, HANDLE completion, DWORD filter)
    : folder_(folder), filter_(filter), block_(std::make_unique<Block>()) {
    block_->overlapped.hEvent = completion;
}

NotificationRead::~NotificationRead() {
    if (!pending_ || !::CancelIo(folder_))
        return;
    if (::WaitForSingleObject(block_->overlapped.hEvent, notificationCancelWait) != WAIT_OBJECT_0)
        static_cast<void>(block_.release());
}

bool NotificationRead::start() {
    pending_ =
        ::ReadDirectoryChangesW(folder_, block_->buffer.data(), notificationBufferSize, FALSE,
                                filter_, nullptr, &block_->overlapped, nullptr) != FALSE;
    return pending_;
}

DWORD NotificationRead::finish(DWORD& bytes) {
    pending_ = false;
    return ::GetOverlappedResult(folder_, &block_->overlapped, &bytes, FALSE) ? 0
                                                                              : ::GetLastError();
}

} // namespace Korva::QELD
