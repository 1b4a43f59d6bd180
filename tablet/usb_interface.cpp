#include "tablet/usb_interface.h"

#include "common/error_categories.h"
#include "tablet/discovery.h"
#include "tablet/hid_report_lengths.h"
#include "tablet/overlapped_request.h"

#include <winioctl.h>

#include <hidclass.h>

#include <chrono>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace Korva::QEL {
namespace {

constexpr DWORD sharedAccess = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr std::chrono::milliseconds wakeUpDelay{1000};

[[noreturn]] void failFeatureRequest(const char* function) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_DEVICE_NOT_CONNECTED)
        throw Interface::device_removed_error();
    Win32::throwWin32(error, function);
}

} // namespace

// Request lengths travel as 32-bit counts; a longer buffer is refused
// rather than cut.
ULONG UsbInterface::requestLength(std::size_t length) {
    if (length > std::numeric_limits<ULONG>::max())
        throw std::range_error("length is out of range");
    return static_cast<ULONG>(length);
}

UsbInterface::UsbInterface(std::shared_ptr<Win32::WinusbDll> winusb)
    : winusb_(std::move(winusb)), stopEvent_(Win32::createEvent()),
      readingEvent_(Win32::createEvent()) {}

UsbInterface::~UsbInterface() {
    try {
        close();
    } catch (...) {
        // Releasing cannot be reported from a destructor; the handles are
        // freed by their owners all the same.
    }
}

Win32::unique_file UsbInterface::openPath(const std::wstring& path, DWORD shareMode) {
    return Win32::unique_file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, shareMode,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
}

std::error_code UsbInterface::open(const TabletDevice& device, Access access) {
    const bool wakeUp = mostRecentPowerState(device.deviceInstanceId) != PowerDeviceD0;
    close();
    std::lock_guard lock(mutex_);
    try {
        openLocked(device, access == Access::Exclusive ? 0 : sharedAccess, wakeUp);
    } catch (const std::system_error& e) {
        hid_.reset();
        return e.code();
    } catch (...) {
        hid_.reset();
        throw;
    }
    return {};
}

void UsbInterface::openLocked(const TabletDevice& device, DWORD shareMode, bool wakeUp) {
    hid_ = openPath(device.hidPath, shareMode);
    if (!hid_)
        Win32::throwLastError("CreateFile");
    openedAt_ = std::chrono::steady_clock::now();
    readCapabilities();
    if (!device.bulkPath.empty())
        openBulk(device.bulkPath, shareMode);
    if (wakeUp)
        std::this_thread::sleep_for(wakeUpDelay);
    startReader();
}

void UsbInterface::readCapabilities() {
    productId_ = 0;
    maxInputLength_ = 0;
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    if (!::HidD_GetAttributes(hid_.get(), &attributes)) {
        inputLengths_.fill(0);
        Win32::throwLastError("HidD_GetAttributes");
    }
    maxInputLength_ = readReportLengths(hid_.get(), HidP_Input, inputLengths_);
    if (attributes.VendorID == tabletVendorId)
        productId_ = attributes.ProductID;
}

void UsbInterface::close() {
    std::lock_guard lock(mutex_);
    stopReader();
    impl()->clearQueues();
    winusbHandle_.reset();
    bulkFile_.reset();
    hid_.reset();
    inputLengths_.fill(0);
    maxInputLength_ = 0;
    productId_ = 0;
    pipeId_ = 0;
}

// The requests of HidD_GetFeature and HidD_SetFeature, made here so that a
// tablet that stops answering holds its worker for a bounded time only: an
// expired request fails as a transfer does, with timeout_error.
void UsbInterface::featureRequest(DWORD code, std::uint8_t* buffer, std::size_t length,
                                  const char* function) {
    const ULONG count = requestLength(length);
    std::lock_guard lock(mutex_);
    if (!hid_)
        throw not_connected_error();
    // One record serves every request of the interface; an abandoned one
    // goes with its request and the next request makes a new one.
    auto& request = featureRequest_;
    if (!request)
        request = std::make_unique<OverlappedRequest>(length);
    request->buffer.resize(length);
    request->restart();
    if (length > 0)
        std::memcpy(request->buffer.data(), buffer, length);
    const bool get = code == IOCTL_HID_GET_FEATURE;
    std::uint8_t* data = request->buffer.data();
    const HANDLE hid = hid_.get();
    if (!::DeviceIoControl(hid, code, get ? nullptr : data, get ? 0 : count, get ? data : nullptr,
                           get ? count : 0, nullptr, &request->overlapped)) {
        if (::GetLastError() != ERROR_IO_PENDING)
            failFeatureRequest(function);
        if (awaitRequest(request, requestTimeout, [hid](OVERLAPPED* o) {
                return ::CancelIoEx(hid, o) != FALSE;
            }) != RequestEnd::Done)
            throw timeout_error();
    }
    DWORD transferred = 0;
    if (!::GetOverlappedResult(hid, &request->overlapped, &transferred, FALSE))
        failFeatureRequest(function);
    if (get && length > 0)
        std::memcpy(buffer, data, length);
}

void UsbInterface::getFeature(std::uint8_t* buffer, std::size_t length) {
    featureRequest(IOCTL_HID_GET_FEATURE, buffer, length, "HidD_GetFeature");
}

void UsbInterface::setFeature(const std::uint8_t* buffer, std::size_t length) {
    featureRequest(IOCTL_HID_SET_FEATURE, const_cast<std::uint8_t*>(buffer), length,
                   "HidD_SetFeature");
}

bool UsbInterface::getFeatureLengths(ReportLengthTable& lengths) {
    lengths.fill(0);
    std::lock_guard lock(mutex_);
    if (!hid_)
        throw not_connected_error();
    readReportLengths(hid_.get(), HidP_Feature, lengths);
    return true;
}

std::uint16_t UsbInterface::productId() {
    std::lock_guard lock(mutex_);
    if (!hid_)
        throw not_connected_error();
    return productId_;
}

} // namespace Korva::QEL
