#pragma once

#include "common/core/noncopyable.h"
#include "common/unique_handle.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Korva::QEL {

// Bytes shared between their owner and the requests that read them.
using SharedBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

// How long one request to a tablet (a feature report, a bulk write) may take
// before it counts as a failed transfer, and how long a cancelled request may
// take to end. Both stay well below the five seconds a stop may take.
inline constexpr DWORD requestTimeout = 2000;
inline constexpr DWORD cancelTimeout = 500;

// One overlapped request together with its event and the buffer the system
// reads or writes, so that a request that does not end after a cancel can
// be abandoned as a whole.
struct OverlappedRequest : noncopyable {
    explicit OverlappedRequest(std::size_t length) : event(Win32::createEvent()), buffer(length) {
        restart();
    }
    void restart() noexcept {
        overlapped = {};
        overlapped.hEvent = event.get();
    }

    OVERLAPPED overlapped{};
    Win32::unique_event event;
    std::vector<std::uint8_t> buffer;
    // Bytes outside buffer that the system reads, kept alive with the request.
    SharedBytes source;
};

// Cancels a pending request with cancel and waits up to cancelTimeout for it
// to end. A request that does not end may still be written into by the
// system: the pointer then lets go of it without freeing it.
void cancelRequest(std::unique_ptr<OverlappedRequest>& request,
                   const std::function<bool(OVERLAPPED*)>& cancel);

// How a wait for a pending request ended.
enum class RequestEnd { Done, TimedOut, Stopped };

// Waits up to timeout for a pending request, and for stop when given. A wait
// that expires or that stop ends cancels the request as above.
RequestEnd awaitRequest(std::unique_ptr<OverlappedRequest>& request, DWORD timeout,
                        const std::function<bool(OVERLAPPED*)>& cancel, HANDLE stop = nullptr);

} // namespace Korva::QEL
