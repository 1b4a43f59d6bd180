#pragma once

#include "common/unique_handle.h"
#include "tablet/overlapped_request.h"
#include "tablet/core/interface.h"
#include "tablet/tablet_device.h"
#include "tablet/winusb_dll.h"

#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>

namespace Korva::QEL {

// How an open shares the tablet: probing leaves it to others, uploading
// takes it alone.
enum class Access { Shared, Exclusive };

// A tablet reached through its HID interface and, where it has one, its
// WinUSB bulk pipe. Input reports are drained on a reader thread while open.
class UsbInterface : public Interface {
public:
    explicit UsbInterface(std::shared_ptr<Win32::WinusbDll> winusb);
    ~UsbInterface() override;

    // Platform failures come back as the code (ERROR_FILE_NOT_FOUND when the
    // tablet has gone); other exceptions pass through.
    std::error_code open(const TabletDevice& device, Access access);

    void close() override;
    bool isOpen() const override { return static_cast<bool>(hid_); }
    void getFeature(std::uint8_t* buffer, std::size_t length) override;
    void setFeature(const std::uint8_t* buffer, std::size_t length) override;
    bool canWriteBulk() const override { return static_cast<bool>(winusbHandle_); }
    void writeBulk(const std::uint8_t* buffer, std::size_t length) override;
    bool getFeatureLengths(ReportLengthTable& lengths) override;
    std::uint16_t productId() override;

    // A bulk write in progress ends with stopped_error, the pipe aborted,
    // once this event is set (the worker's quit event; null for none).
    void setStopEvent(HANDLE stop) { bulkStop_ = stop; }
    // The picture bulk writes are made from. A write from these bytes uses
    // them as they are, as an abandoned write keeps them alive; a write from
    // any other buffer is made from a copy of it.
    void setPicture(SharedBytes picture) { picture_ = std::move(picture); }
    // When the last open took hold of the tablet (its HID path opened).
    std::chrono::steady_clock::time_point openedAt() const { return openedAt_; }

private:
    static ULONG requestLength(std::size_t length);
    static Win32::unique_file openPath(const std::wstring& path, DWORD shareMode);
    void openLocked(const TabletDevice& device, DWORD shareMode, bool wakeUp);
    void readCapabilities();
    void openBulk(const std::wstring& path, DWORD shareMode);
    bool findBulkOutPipe();
    void startReader();
    void stopReader();
    std::unique_ptr<OverlappedRequest> bulkRequest(const std::uint8_t* buffer,
                                                   std::size_t length) const;
    [[noreturn]] void failBulkWrite(DWORD error, const char* function);
    void featureRequest(DWORD code, std::uint8_t* buffer, std::size_t length, const char* function);

    void readerThread() noexcept;
    void readReports();

    std::mutex mutex_;
    Win32::unique_file hid_;
    Win32::unique_file bulkFile_;
    std::shared_ptr<Win32::WinusbDll> winusb_;
    Win32::WinusbHandle winusbHandle_;
    std::uint8_t pipeId_ = 0;
    HANDLE bulkStop_ = nullptr;
    SharedBytes picture_;
    Win32::unique_event stopEvent_;
    // Set by the reader once it runs: an open returns with the reader's
    // start behind it, so that the start does not compete with the upload.
    Win32::unique_event readingEvent_;
    std::thread reader_;
    std::unique_ptr<OverlappedRequest> featureRequest_;
    ReportLengthTable inputLengths_{};
    std::uint16_t maxInputLength_ = 0;
    std::uint16_t productId_ = 0;
    std::chrono::steady_clock::time_point openedAt_;
};

} // namespace Korva::QEL
