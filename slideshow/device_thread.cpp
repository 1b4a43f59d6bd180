#include "slideshow/device_thread.h"

#include "common/com_apartment.h"
#include "common/error_categories.h"
#include "common/thread_body.h"
#include "common/core/utf.h"
#include "slideshow/message_wait.h"
#include "slideshow/picture/core/picture_errors.h"
#include "tablet/core/product_tables.h"
#include "tablet/core/protocol.h"

#include <objbase.h>

namespace Korva::QELD {
namespace {

constexpr const char* threadFunction = "Korva::QELD::DeviceThread::operator ()";
constexpr DWORD retryDelay = 1000;
constexpr std::uint16_t maxScreenSide = 4096;

// The fixed numbers a failed wait's event-log report carries to say which
// wait it was: the wait for the next picture and the start delay.
constexpr int showWaitSite = 269;
constexpr int startDelaySite = 102;
using removed = QEL::Interface::device_removed_error;

ModelId modelFor(std::uint16_t productId) {
    const auto found = QEL::productModelTable.find(productId);
    return found == QEL::productModelTable.end() ? 0 : found->second;
}

} // namespace

DeviceThread::DeviceThread(const QEL::TabletDevice& device, ImageListMap& imageLists,
                           HANDLE quitEvent, HANDLE updateEvent, EventLog& eventLog,
                           StatusRecord& status)
    : modelId_(modelFor(device.idProduct)), device_(device), imageLists_(imageLists),
      quitEvent_(quitEvent), updateEvent_(updateEvent), eventLog_(eventLog), status_(status),
      failures_(imageLists.pictureFailures()) {}

void DeviceThread::operator()() noexcept {
    Win32::runThreadBody(
        "DeviceThread", [this] { run(); },
        [this](std::exception_ptr failure) { reportEnd(failure); });
    winusb_.reset();
}

// A removed tablet ends its worker as expected; everything else ending it is
// a fault, reported by kind.
void DeviceThread::reportEnd(std::exception_ptr failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const removed&) {
        eventLog_.report(Event_DeviceRemoved);
        status_.tabletGone(device_.hidPath);
    } catch (const std::system_error& e) {
        eventLog_.reportSystemError(e.code().value());
        publishEnd(&e, Event_SystemError);
    } catch (const std::exception& e) {
        eventLog_.reportException(threadFunction, e);
        publishEnd(&e, Event_Exception);
    } catch (...) {
        eventLog_.reportUnexpectedType();
        publishEnd(nullptr, Event_UnexpectedType);
    }
}

// The failure that ended the worker, or one of an unexpected type; a status
// that cannot take it must not end the process.
void DeviceThread::publishEnd(const std::exception* e, std::uint32_t eventId) noexcept {
    try {
        status_.tabletFailed(device_.hidPath,
                             e != nullptr ? failureText(*e) : "exception of unexpected type", true,
                             eventId);
    } catch (...) {
    }
}

void DeviceThread::run() {
    // The picture decoding runs on this thread, in a single-threaded apartment.
    const Win32::ComApartment com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE |
                                  COINIT_SPEED_OVER_MEMORY);
    winusb_ = std::make_shared<Win32::WinusbDll>();
    status_.tabletStarted(device_.hidPath, device_.idProduct, modelId_);
    if (!probe()) {
        if (format_.width == 0)
            status_.tabletFailed(device_.hidPath, "the tablet reports a screen without pixels",
                                 true);
        else
            status_.tabletFailed(device_.hidPath,
                                 "the tablet reports a screen of " + std::to_string(format_.width) +
                                     " x " + std::to_string(format_.height) +
                                     " pixels, more than can be shown",
                                 true, Event_ScreenSizeRefused);
        return;
    }
    status_.tabletProbed(device_.hidPath, format_);
    const HANDLE waits[] = {quitEvent_, updateEvent_};
    for (;;) {
        QEL::SharedBytes bytes = fetch();
        if (!::ResetEvent(updateEvent_))
            Win32::throwLastError("ResetEvent");
        const std::optional<DWORD> shown = show(bytes);
        // A picture that failed quietly is tried again soon, as its file may
        // still be being copied into the folder.
        const DWORD result = shown ? *shown
                                   : ::WaitForMultipleObjectsEx(
                                         2, waits, FALSE, retrying_ ? retryDelay : INFINITE, FALSE);
        if (result == WAIT_OBJECT_0 + 1 || result == WAIT_TIMEOUT)
            continue;
        if (result == WAIT_OBJECT_0) {
            blank();
            status_.tabletGone(device_.hidPath);
        } else
            eventLog_.reportWaitResult(threadFunction, showWaitSite, result);
        return;
    }
}

// False when the worker is to end: told to quit, or the wait failed.
bool DeviceThread::startDelay() {
    const DWORD result = waitPumpingMessages(&quitEvent_, 1, retryDelay, OnMessages::Restart);
    if (result != WAIT_OBJECT_0 && result != WAIT_TIMEOUT)
        eventLog_.reportWaitResult(threadFunction, startDelaySite, result);
    return result == WAIT_TIMEOUT;
}

// Probes until the screen format is known; false when the tablet reports no
// screen or the worker is told to quit. Opens that fail for other reasons
// than a vanished tablet are retried without limit, one delay apart; system
// errors three times in the worker's life.
bool DeviceThread::probe() {
    for (;;) {
        if (!startDelay())
            return false;
        format_.width = 0;
        try {
            if (probeOnce())
                return screenAccepted();
        } catch (const std::system_error&) {
            if (probeRetries_ == 0)
                throw;
            --probeRetries_;
        }
    }
}

bool DeviceThread::probeOnce() {
    QEL::UsbInterface tablet(winusb_);
    if (const auto error = tablet.open(device_, QEL::Access::Shared)) {
        if (error.value() == ERROR_FILE_NOT_FOUND)
            throw removed();
        return false;
    }
    const auto capability = QEL::Protocol(tablet).readCapability();
    format_.width = capability.width;
    format_.height = capability.height;
    format_.encodingMode = QEL::encodingModeFor(device_.idProduct, tablet.canWriteBulk());
    return true;
}

// A width of 0 ends the worker quietly, as the tablet has no screen. Sizes
// beyond what any tablet has (a broken tablet may report 65535) would make
// every render allocate gigabytes: they are reported and end the worker too.
bool DeviceThread::screenAccepted() {
    if (format_.width == 0)
        return false;
    if (format_.width <= maxScreenSide && format_.height >= 1 && format_.height <= maxScreenSide)
        return true;
    eventLog_.write(
        EventReports::screenSizeRefused(reportName(device_), format_.width, format_.height));
    return false;
}

// A picture that cannot be rendered must not stop the tablet: the tablet
// keeps what it shows and the picture is tried again. A picture still being
// copied into the folder fails for a moment: failures are reported only once
// a picture has failed for the quiet period, once per picture and error.
// The bytes are shared with the tablet's interface, which uploads them as
// they are (null when the picture failed).
QEL::SharedBytes DeviceThread::fetch() {
    std::u16string picture;
    retrying_ = false;
    try {
        auto bytes = std::make_shared<const std::vector<std::uint8_t>>(
            imageLists_.getImage(modelId_, format_, picture));
        fetched_ = picture;
        failures_.rendered(picture);
        return bytes;
    } catch (const std::system_error& e) {
        const PictureFailure failure = describePictureFailure(picture, e);
        if (judge(picture, e.code().value()))
            eventLog_.write(
                EventReports::badPicture(failure.path, failure.problem, failure.number));
        status_.tabletFailed(device_.hidPath, pictureFailureText(failure), false, Event_BadPicture);
    } catch (const std::exception& e) {
        if (judge(picture, 0))
            eventLog_.reportException(threadFunction, e);
        status_.tabletFailed(device_.hidPath, failureText(e), false, Event_Exception);
    }
    return {};
}

bool DeviceThread::judge(const std::u16string& picture, int error) {
    const auto verdict = failures_.failed(picture, error, PictureFailures::Clock::now());
    retrying_ = verdict == PictureFailures::Verdict::Quiet;
    return verdict == PictureFailures::Verdict::Report;
}

} // namespace Korva::QELD
