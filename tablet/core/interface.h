#pragma once

#include "common/core/noncopyable.h"
#include "tablet/core/interface_impl.h"
#include "tablet/core/report_split.h"
#include "tablet/core/runtime_error.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Korva::QEL {

// A tablet's transport: feature reports, the optional bulk pipe and the
// input reports. The protocol and the upload use only these operations.
class Interface : noncopyable {
public:
    class not_connected_error : public runtime_error {
    public:
        not_connected_error() : runtime_error("not_connected_error") {}
    };
    class device_removed_error : public runtime_error {
    public:
        device_removed_error() : runtime_error("device_removed_error") {}
    };
    class write_not_supported_error : public runtime_error {
    public:
        write_not_supported_error() : runtime_error("write_not_supported_error") {}
    };
    class io_error : public runtime_error {
    public:
        io_error() : runtime_error("io_error") {}
    };
    class timeout_error : public runtime_error {
    public:
        timeout_error() : runtime_error("timeout_error") {}
    };
    // A bulk write that did not end within its time-out: the pipe stopped
    // moving. The tablet is left mid-transfer, which the next upload repairs.
    class bulk_timeout_error : public timeout_error {};
    // The worker was told to stop while it talked to the tablet.
    class stopped_error : public runtime_error {
    public:
        stopped_error() : runtime_error("stopped_error") {}
    };

    Interface() : impl_(std::make_shared<InterfaceImpl>()) {}
    virtual ~Interface() = default;

    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The buffer holds the report id in byte 0 on entry and the report on return.
    virtual void getFeature(std::uint8_t* buffer, std::size_t length) = 0;
    virtual void setFeature(const std::uint8_t* buffer, std::size_t length) = 0;
    virtual bool canWriteBulk() const = 0;
    virtual void writeBulk(const std::uint8_t* buffer, std::size_t length) = 0;
    // Fills the length of each feature report; false when not known.
    virtual bool getFeatureLengths(ReportLengthTable&) { return false; }
    // The USB product id; 0 for a device of another vendor.
    virtual std::uint16_t productId() = 0;

    const std::shared_ptr<InterfaceImpl>& impl() const { return impl_; }
    void setReportCallback(ReportCallback callback) { callback_ = std::move(callback); }

protected:
    const ReportCallback& reportCallback() const { return callback_; }

private:
    std::shared_ptr<InterfaceImpl> impl_;
    ReportCallback callback_;
};

} // namespace Korva::QEL
