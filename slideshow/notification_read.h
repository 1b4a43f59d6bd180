#pragma once

#include "common/core/noncopyable.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace Korva::QELD {

// The size of one read of folder notifications.
inline constexpr DWORD notificationBufferSize = 65535;

// How long a cancelled notification read may take to end.
inline constexpr DWORD notificationCancelWait = 2000;

// One notification read on a folder into a block of its own. The system
// writes into the block until the read ends, so a read still pending when it
// goes out of scope is cancelled and waited for, a bounded time; a read that
// does not end even then leaves its block to the system rather than wait on.
class NotificationRead : noncopyable {
public:
    // The changes to wait for: files by default, subfolders for the
    // campaign watcher, which reads no records and lists again.
    NotificationRead(HANDLE folder, HANDLE completion,
                     DWORD filter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                    FILE_NOTIFY_CHANGE_LAST_WRITE);
    ~NotificationRead();

    bool start();

    // The error of the ended read, 0 when it succeeded. Called once the
    // completion event is set, so the result is there.
    DWORD finish(DWORD& bytes);

    const std::vector<std::uint8_t>& buffer() const noexcept { return block_->buffer; }

private:
    struct Block {
        OVERLAPPED overlapped{};
        std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(notificationBufferSize);
    };

    HANDLE folder_;
    DWORD filter_;
    std::unique_ptr<Block> block_;
    bool pending_ = false;
};

} // namespace Korva::QELD
