// The part of a tablet's worker that talks to the tablet for a picture: the
// upload with its retries, its stop and its measurements, and the clear at
// the end.
#include "slideshow/device_thread.h"

#include "common/error_categories.h"
#include "slideshow/message_wait.h"
#include "tablet/core/product_tables.h"
#include "tablet/core/protocol.h"

#include <chrono>

namespace Korva::QELD {
namespace {

constexpr const char* threadFunction = "Korva::QELD::DeviceThread::operator ()";
constexpr DWORD retryDelay = 1000;
using removed = QEL::Interface::device_removed_error;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Whether the worker is told to quit, asked between the blocks of an upload.
// The event is looked at at most once every few milliseconds, as a picture
// is thousands of reports and each look is a call into the system.
class QuitCheck {
public:
    explicit QuitCheck(HANDLE quit) : quit_(quit) {}
    bool operator()() {
        const auto now = steady_clock::now();
        if (now < next_)
            return false;
        next_ = now + milliseconds(5);
        return ::WaitForSingleObject(quit_, 0) == WAIT_OBJECT_0;
    }

private:
    HANDLE quit_;
    steady_clock::time_point next_{};
};

milliseconds since(steady_clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(steady_clock::now() - start);
}

} // namespace

// Uploads until the picture is sent; a wake-up or quit while the tablet is
// busy ends the attempt with that wait result. A stalled bulk pipe leaves the
// picture to the next wake-up.
std::optional<DWORD> DeviceThread::show(QEL::SharedBytes& bytes) {
    if (!bytes || bytes->empty())
        return std::nullopt;
    const HANDLE waits[] = {quitEvent_, updateEvent_};
    for (;;) {
        const Upload upload = timedUpload(bytes);
        if (upload == Upload::Sent)
            bytes.reset();
        if (upload != Upload::Retry)
            return std::nullopt;
        const DWORD result = waitPumpingMessages(waits, 2, retryDelay, OnMessages::EndWait);
        if (result != WAIT_TIMEOUT && result != WAIT_OBJECT_0 + 2)
            return result;
    }
}

// Publishes every upload with its start and duration, and the wait for a
// tablet that is busy or cannot be opened.
DeviceThread::Upload DeviceThread::timedUpload(const QEL::SharedBytes& bytes) {
    const auto start = std::chrono::system_clock::now();
    const auto begun = steady_clock::now();
    const Upload upload = this->upload(bytes);
    if (upload == Upload::Sent)
        status_.tabletUploaded(device_.hidPath, fetched_, start, since(begun));
    else if (upload == Upload::Retry)
        status_.tabletWaiting(device_.hidPath);
    return upload;
}

// The tablet is held exclusively from the open to the close; the picture is
// fetched and encoded before, and nothing but the conversation happens
// inside. The hold is measured for the status.
DeviceThread::Upload DeviceThread::upload(const QEL::SharedBytes& bytes) {
    QEL::UsbInterface tablet(winusb_);
    if (const auto error = tablet.open(device_, QEL::Access::Exclusive)) {
        if (error.value() == ERROR_FILE_NOT_FOUND)
            throw removed();
        return Upload::Retry;
    }
    const Upload upload = uploadOpen(tablet, bytes);
    if (upload == Upload::Sent) {
        tablet.close();
        status_.tabletHeld(device_.hidPath, since(tablet.openedAt()));
    }
    return upload;
}

// Each open may find the bulk pipe or not (a driver binding can come and
// go): the transfer takes the path this open offers; the bytes are the same
// either way. A stop ends the transfer between blocks, or aborts the bulk
// pipe, and leaves the tablet ready for the clear.
DeviceThread::Upload DeviceThread::uploadOpen(QEL::UsbInterface& tablet,
                                              const QEL::SharedBytes& bytes) {
    const QEL::EncodingMode mode = QEL::encodingModeFor(device_.idProduct, tablet.canWriteBulk());
    tablet.setStopEvent(quitEvent_);
    tablet.setPicture(bytes);
    const HANDLE quit = quitEvent_;
    QEL::Protocol protocol(
        tablet,
        [quit](QEL::Protocol::Interval pause) {
            ::WaitForSingleObject(quit, static_cast<DWORD>(pause.count()));
        },
        QuitCheck(quitEvent_));
    try {
        if (!protocol.uploadImage(mode, bytes->data(), bytes->size()))
            return Upload::Retry;
        stallReported_ = false;
        return Upload::Sent;
    } catch (const QEL::Interface::stopped_error&) {
        return Upload::Retry;
    } catch (const QEL::Interface::bulk_timeout_error& e) {
        // Reported once until a picture gets through again; the worker goes
        // on, and the next upload ends the abandoned transfer.
        if (!stallReported_)
            eventLog_.reportException(threadFunction, e);
        stallReported_ = true;
        status_.tabletFailed(device_.hidPath, failureText(e), false);
        return Upload::NextWake;
    }
}

void DeviceThread::blank() {
    QEL::UsbInterface tablet(winusb_);
    if (tablet.open(device_, QEL::Access::Exclusive))
        return;
    QEL::Protocol(tablet).blankScreen();
    tablet.close();
}

} // namespace Korva::QELD
