#pragma once

#include "common/unique_handle.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace Korva::QELD {

// Runs the body on a thread of its own and waits until it ends or the quit
// event is set. A call to a file server can wait as long as the server takes
// (a hung server holds it for good; under Wine, CancelSynchronousIo finds no
// call to cancel in a thread blocked in the file system), so a quit leaves
// the call behind: the thread owns its body and result, and ends when the
// call returns or the process ends. True when the body ended (it sets the
// done event last), false on quit.
bool runLeavable(HANDLE quit, std::function<void()> body, HANDLE done);

// The body's result; nothing when quit came first. The body must own what it
// uses (copies, shared pointers): it may outlive its caller. A failure of the
// body passes to the caller.
template <class Body> auto callLeavable(HANDLE quit, Body body) -> std::optional<decltype(body())> {
    using Result = decltype(body());
    struct Shared {
        Win32::unique_event done = Win32::createEvent();
        std::optional<Result> result;
        std::exception_ptr failure;
    };
    const auto shared = std::make_shared<Shared>();
    auto run = [shared, body = std::move(body)]() mutable {
        try {
            shared->result = body();
        } catch (...) {
            shared->failure = std::current_exception();
        }
        ::SetEvent(shared->done.get());
    };
    if (!runLeavable(quit, std::move(run), shared->done.get()))
        return std::nullopt;
    if (shared->failure)
        std::rethrow_exception(shared->failure);
    return std::move(shared->result);
}

} // namespace Korva::QELD
