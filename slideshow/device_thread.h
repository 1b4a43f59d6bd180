#pragma once

#include "common/event_log.h"
#include "settings/core/device_config.h"
#include "slideshow/image_list_map.h"
#include "slideshow/picture_failures.h"
#include "slideshow/picture/core/screen_format.h"
#include "slideshow/core/status_record.h"
#include "tablet/tablet_device.h"
#include "tablet/usb_interface.h"
#include "tablet/winusb_dll.h"

#include <exception>
#include <memory>
#include <optional>
#include <vector>

namespace Korva::QELD {

// The worker of one tablet: probes its screen once, then shows the current
// picture of its model's list each time it is woken, and blanks the screen
// when told to quit.
class DeviceThread {
public:
    DeviceThread(const QEL::TabletDevice& device, ImageListMap& imageLists, HANDLE quitEvent,
                 HANDLE updateEvent, EventLog& eventLog, StatusRecord& status);

    // The worker body; reports its own failure and never throws.
    void operator()() noexcept;

private:
    void run();
    void reportEnd(std::exception_ptr failure);
    void publishEnd(const std::exception* e, std::uint32_t eventId) noexcept;
    bool probe();
    bool probeOnce();
    bool screenAccepted();
    QEL::SharedBytes fetch();
    bool judge(const std::u16string& picture, int error);
    // How one upload went: sent, to be tried again soon (the tablet was busy,
    // could not be opened, or the worker is told to stop), or to be tried at
    // the next wake-up (the bulk pipe stopped moving).
    enum class Upload { Sent, Retry, NextWake };

    std::optional<DWORD> show(QEL::SharedBytes& bytes);
    Upload upload(const QEL::SharedBytes& bytes);
    Upload uploadOpen(QEL::UsbInterface& tablet, const QEL::SharedBytes& bytes);
    Upload timedUpload(const QEL::SharedBytes& bytes);
    void blank();
    bool startDelay();

    ModelId modelId_;
    QEL::TabletDevice device_;
    ImageListMap& imageLists_;
    HANDLE quitEvent_;
    HANDLE updateEvent_;
    EventLog& eventLog_;
    StatusRecord& status_;

    std::shared_ptr<Win32::WinusbDll> winusb_;
    ScreenFormat format_;
    int probeRetries_ = 3;
    PictureFailures& failures_;
    bool retrying_ = false;
    bool stallReported_ = false;
    std::u16string fetched_;
};

} // namespace Korva::QELD
