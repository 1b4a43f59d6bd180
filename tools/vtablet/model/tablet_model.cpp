#include "tools/vtablet/model/tablet_model.h"

#include "tools/vtablet/model/pixel_decode.h"
#include "tools/vtablet/model/report_descriptor.h"

namespace Korva::VTablet {

namespace {

constexpr uint8_t statusReady = 0;
constexpr uint8_t statusTransfer = 1;
constexpr uint8_t statusBusy = 4;
constexpr uint8_t bulkModeBit = 0x10;

void zero(uint8_t* bytes, uint32_t length) {
    for (uint32_t i = 0; i < length; ++i)
        bytes[i] = 0;
}

void putBigEndian(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

// An image-data report is 256 bytes for up to 253 data bytes and 2560 bytes
// for up to 2557; anything else is malformed.
bool dataReportFits(uint32_t length, uint32_t count) {
    return (length == 256 && count <= 253) || (length == 2560 && count <= 2557);
}

} // namespace

void TabletModel::reset(const TabletSetup& setup, uint8_t* receiveBuffer, uint8_t* screen) {
    zero(reinterpret_cast<uint8_t*>(&state_), sizeof state_);
    state_.setup = setup;
    state_.faults.latencyMs = setup.latencyMs;
    state_.faults.bulkBytesPerSecond = setup.bulkBytesPerSecond;
    receive_ = receiveBuffer;
    screen_ = screen;
    zero(screen_, screenBufferBytes(setup.width, setup.height));
    input_.clear();
}

uint8_t TabletModel::currentStatus() const {
    return state_.faults.holdStatus ? state_.faults.heldStatus : state_.status;
}

// The set-feature permissions of the reports the tablet acts on: starting an
// image and clearing the screen only when ready, data and the end report only
// while a transfer is open. Every other state, 255 included, permits none.
bool TabletModel::setPermitted(uint8_t reportId) const {
    const uint8_t status = currentStatus();
    switch (reportId) {
    case 0x20:
    case 0x25:
        return status == statusReady;
    case 0x26:
    case 0x27:
        return status == statusTransfer;
    default:
        return false;
    }
}

Result TabletModel::admit(uint8_t op, uint8_t reportId, uint32_t length) {
    LogEntry& entry = state_.log[state_.sequence % logSize];
    entry = LogEntry{state_.sequence++, length, op, reportId, 0, 0};
    if (state_.pulled)
        return Result::NotConnected;
    if (state_.faults.refuseCount > 0) {
        --state_.faults.refuseCount;
        return Result::Refused;
    }
    return Result::Ok;
}

Result TabletModel::finish(Result result) {
    LogEntry& entry = state_.log[(state_.sequence - 1) % logSize];
    entry.result = static_cast<uint8_t>(result);
    entry.status = currentStatus();
    if (result == Result::Refused)
        ++state_.counters.refused;
    return result;
}

Result TabletModel::getFeature(uint8_t* report, uint32_t length) {
    const uint8_t id = length > 0 ? report[0] : 0;
    ++state_.counters.gets;
    Result result = admit(LogOp_Get, id, length);
    if (result != Result::Ok)
        return finish(result);
    if ((id != 0x03 && id != 0x09) || length < featureLength(id))
        return finish(Result::Refused);
    zero(report + 1, length - 1);
    if (id == 0x03)
        return finish(readStatus(report));
    readCapability(report);
    return finish(Result::Ok);
}

// Each read during the busy time counts one poll; the read that uses up the
// last poll still sees Status 4.
Result TabletModel::readStatus(uint8_t* report) {
    ++state_.counters.statusReads;
    report[1] = currentStatus();
    if (state_.status == statusBusy) {
        if (state_.busyLeft > 0)
            --state_.busyLeft;
        if (state_.busyLeft == 0)
            state_.status = statusReady;
    }
    return Result::Ok;
}

void TabletModel::readCapability(uint8_t* report) const {
    const uint16_t width = state_.faults.hugeScreen ? 65535 : state_.setup.width;
    putBigEndian(report + 7, state_.faults.zeroWidth ? 0 : width);
    putBigEndian(report + 9, state_.faults.hugeScreen ? 65535 : state_.setup.height);
}

Result TabletModel::setFeature(const uint8_t* report, uint32_t length) {
    const uint8_t id = length > 0 ? report[0] : 0;
    ++state_.counters.sets;
    Result result = admit(LogOp_Set, id, length);
    if (result != Result::Ok)
        return finish(result);
    if (length < 2 || !setPermitted(id))
        return finish(Result::Refused);
    switch (id) {
    case 0x20:
        clearScreen();
        return finish(Result::Ok);
    case 0x25:
        return finish(startImage(report[1]));
    case 0x26: {
        const uint32_t count = length >= 3 ? report[1] | uint32_t{report[2]} << 8 : 0;
        if (!dataReportFits(length, count))
            return finish(Result::Refused);
        ++state_.counters.dataReports;
        return finish(appendData(report + 3, count, false));
    }
    default:
        return finish(endImage(report[1]));
    }
}

Result TabletModel::writeBulk(const uint8_t* data, uint32_t length) {
    ++state_.counters.bulkWrites;
    Result result = admit(LogOp_Bulk, 0, length);
    if (result != Result::Ok)
        return finish(result);
    if (currentStatus() != statusTransfer)
        return finish(Result::Refused);
    result = appendData(data, length, true);
    if (result == Result::Ok)
        state_.counters.bulkBytes += length;
    return finish(result);
}

Result TabletModel::queueInput(const uint8_t* report, uint32_t length) {
    if (state_.pulled)
        return Result::NotConnected;
    if (length != inputReportLength || report[0] != inputReportId || !input_.push(report))
        return Result::Refused;
    return Result::Ok;
}

bool TabletModel::takeInput(uint8_t* report) {
    if (!input_.pop(report))
        return false;
    ++state_.counters.inputReports;
    return true;
}

Result TabletModel::startImage(uint8_t mode) {
    if (imageBytes(mode, 1, 1) == 0 || ((mode & bulkModeBit) && !state_.setup.bulk))
        return Result::Refused;
    state_.mode = mode;
    state_.received = 0;
    state_.overflow = 0;
    state_.status = statusTransfer;
    return Result::Ok;
}

// Data must come by the path the transfer's mode names. A pull armed by the
// fault strikes here, in the middle of the transfer.
Result TabletModel::appendData(const uint8_t* data, uint32_t length, bool bulk) {
    if (state_.status != statusTransfer || bulk != ((state_.mode & bulkModeBit) != 0))
        return Result::Refused;
    if (state_.faults.pullInTransfer) {
        state_.faults.pullInTransfer = 0;
        state_.pulled = 1;
        return Result::NotConnected;
    }
    const uint32_t capacity = screenBufferBytes(state_.setup.width, state_.setup.height);
    if (length > capacity - state_.received) {
        state_.overflow = 1;
        return Result::Ok;
    }
    for (uint32_t i = 0; i < length; ++i)
        receive_[state_.received + i] = data[i];
    state_.received += length;
    return Result::Ok;
}

// Flag 0 completes the image: the tablet shows it if its length matches the
// mode and screen size, and is busy for a while either way. Any other flag
// abandons the transfer.
Result TabletModel::endImage(uint8_t flag) {
    if (flag != 0) {
        ++state_.counters.abandoned;
        state_.status = statusReady;
        return Result::Ok;
    }
    const TabletSetup& s = state_.setup;
    if (!state_.overflow && state_.received == imageBytes(state_.mode, s.width, s.height)) {
        decodeImage(state_.mode, receive_, s.width, s.height, screen_);
        ++state_.counters.images;
        state_.lastImageBytes = state_.received;
        state_.lastImageMode = state_.mode;
    } else {
        ++state_.counters.rejectedImages;
    }
    state_.busyLeft = state_.faults.busyPollsOnce ? state_.faults.busyPollsOnce : s.busyPolls;
    state_.faults.busyPollsOnce = 0;
    state_.status = state_.busyLeft > 0 ? statusBusy : statusReady;
    return Result::Ok;
}

void TabletModel::clearScreen() {
    zero(screen_, screenBufferBytes(state_.setup.width, state_.setup.height));
    ++state_.counters.clears;
}

} // namespace Korva::VTablet
