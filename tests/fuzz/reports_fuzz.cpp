#include "tablet/core/interface.h"
#include "tablet/core/product_tables.h"
#include "tablet/core/protocol.h"
#include "tablet/core/report_split.h"
#include "tests/fuzz/fuzz_check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Korva::QEL;
using Korva::Fuzz::check;

namespace {

// Input report lengths as the value capabilities give them, then the bytes of
// one read cut into reports at strides of the longest.
void checkSplit(FuzzedDataProvider& input) {
    ReportLengthTable lengths{};
    const int entries = input.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < entries; ++i)
        lengths[input.ConsumeIntegral<std::uint8_t>()] =
            input.ConsumeIntegralInRange<std::uint16_t>(1, 300);
    const std::uint16_t maxLength = *std::max_element(lengths.begin(), lengths.end());
    const auto read = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 2048));
    std::size_t offset = 0;
    splitReports(read.data(), read.size(), lengths, maxLength, [&](const Report& report) {
        check(offset < read.size(), "a report starts inside the read");
        check(!report.empty() && report.size() == lengths[report[0]],
              "a report is as long as its id says");
        check(std::equal(report.begin(), report.end(), read.begin() + offset),
              "a report holds the bytes of the read at its stride");
        offset += maxLength;
    });
}

// A tablet whose every answer comes from the fuzzer: status and capability
// reports, and whether it has a bulk pipe. It records what the host sends.
class FuzzTablet : public Interface {
public:
    explicit FuzzTablet(FuzzedDataProvider& input) : input_(input), bulk_(input.ConsumeBool()) {}

    void close() override {}
    bool isOpen() const override { return true; }
    void getFeature(std::uint8_t* buffer, std::size_t length) override {
        for (std::size_t i = 1; i < length; ++i)
            buffer[i] = input_.ConsumeIntegral<std::uint8_t>();
        answers.emplace_back(buffer, buffer + length);
    }
    void setFeature(const std::uint8_t* buffer, std::size_t length) override {
        sent.emplace_back(buffer, buffer + length);
    }
    bool canWriteBulk() const override { return bulk_; }
    void writeBulk(const std::uint8_t* buffer, std::size_t length) override {
        check(bulk_, "the bulk pipe is used only when there is one");
        sent.emplace_back(buffer, buffer + length);
        sent.back().insert(sent.back().begin(), 0); // marks a bulk write
    }
    std::uint16_t productId() override { return 0x0C16; }

    std::vector<Report> answers;
    std::vector<Report> sent;

private:
    FuzzedDataProvider& input_;
    bool bulk_;
};

// The two replies the product decodes: the status record (little-endian
// word) and the capability's screen size (big-endian).
void checkReplies(FuzzTablet& tablet) {
    const Protocol::ReportedStatus status = Protocol(tablet).readStatus();
    const Report& s = tablet.answers.back();
    check(s.size() == 5 && s[0] == Protocol::StatusReport, "a status read asks for 5 bytes");
    check(status.status == s[1] && status.result == s[2] && status.word == (s[3] | s[4] << 8),
          "the status record is read from bytes 1 to 4");
    const Protocol::Capability capability = Protocol(tablet).readCapability();
    const Report& r = tablet.answers.back();
    check(r.size() == 17 && r[0] == Protocol::CapabilityReport, "a capability read asks for 17");
    check(capability.width == (r[7] << 8 | r[8]) && capability.height == (r[9] << 8 | r[10]),
          "the screen size is read big-endian from bytes 7 to 10");
}

// What an accepted upload sent after any recovery: the start report with the
// mode, the picture's bytes in blocks (or one bulk write) and the end report.
void checkUploadWrites(const FuzzTablet& tablet, EncodingMode mode,
                       const std::vector<std::uint8_t>& image) {
    auto start = std::find_if(tablet.sent.begin(), tablet.sent.end(),
                              [](const Report& r) { return r[0] == Protocol::StartImageReport; });
    check(start != tablet.sent.end() && *start == Report{0x25, mode}, "the start report");
    check(tablet.sent.back() == Report{0x27, 0x00}, "the end report comes last");
    std::vector<std::uint8_t> received;
    for (auto r = start + 1; r + 1 < tablet.sent.end(); ++r) {
        if ((*r)[0] == 0) {
            received.insert(received.end(), r->begin() + 1, r->end());
            continue;
        }
        check(r->size() == 256 && (*r)[0] == Protocol::ImageDataReport, "a 256-byte data report");
        const std::size_t count = (*r)[1] | (*r)[2] << 8;
        check(count <= Protocol::uploadBlockLength, "a block fits its report");
        received.insert(received.end(), r->begin() + 3, r->begin() + 3 + count);
    }
    check(received == image, "the tablet receives the picture's bytes in order");
}

void checkUpload(FuzzedDataProvider& input) {
    FuzzTablet tablet(input);
    const EncodingMode mode =
        encodingModeFor(input.ConsumeIntegral<std::uint16_t>(), tablet.canWriteBulk());
    const auto image = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 1200));
    checkReplies(tablet);
    try {
        if (Protocol(tablet, [](Protocol::Interval) {
            }).uploadImage(mode, image.data(), image.size()))
            checkUploadWrites(tablet, mode, image);
    } catch (const Interface::timeout_error&) {
        // A tablet that never becomes ready times the upload out.
    } catch (const std::logic_error& e) {
        // A status outside the protocol's table is refused as such.
        check(std::string(e.what()) == "Invalid Protocol::Status value", "only a bad status");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool())
        checkSplit(input);
    else
        checkUpload(input);
    return 0;
}
