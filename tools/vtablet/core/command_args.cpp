#include "tools/vtablet/core/command_args.h"

#include "tools/vtablet/model/product_defaults.h"

#include <charconv>
#include <cstdio>
#include <sstream>

namespace Korva::VTablet {

namespace {

template <class T> std::optional<T> number(std::string text, int base = 10) {
    if (base == 16 && (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0))
        text = text.substr(2);
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<ScreenSize> parseSize(const std::string& text) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos)
        return std::nullopt;
    const auto w = number<std::uint16_t>(text.substr(0, x));
    const auto h = number<std::uint16_t>(text.substr(x + 1));
    if (!w || !h || *w == 0 || *h == 0 || *w > maxWidth || *h > maxHeight)
        return std::nullopt;
    return ScreenSize{*w, *h};
}

// A full-speed (12 Mbit/s) tablet as a host sees it. Each feature report is
// a control transfer, which the host controller runs in the 1 ms frames of
// the bus and the HID class driver completes after its status stage: one
// report a frame, about 1 ms, is the best a full-speed device gives. A bulk
// pipe moves at most 19 packets of 64 bytes a frame (1,216,000 bytes/s);
// beside the rest of a bus's traffic about 1,000,000 bytes/s is what it
// reaches.
constexpr std::uint32_t fullSpeedLatencyMs = 1;
constexpr std::uint32_t fullSpeedBulkBytesPerSecond = 1000000;

std::string hex4(std::uint16_t value) {
    char text[5];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

} // namespace

std::optional<std::uint16_t> parseProduct(const std::string& text) {
    if (const std::uint16_t pid = productOfModelKey(text.c_str()))
        return pid;
    return number<std::uint16_t>(text, 16);
}

std::optional<TabletSetup> parsePlug(const std::vector<std::string>& args) {
    if (args.empty())
        return std::nullopt;
    const auto pid = parseProduct(args[0]);
    if (!pid)
        return std::nullopt;
    const ScreenSize screen = defaultScreen(*pid);
    TabletSetup setup{*pid, screen.width, screen.height, 0, 1, 2, 0, 0};
    for (std::size_t i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--bulk") {
            setup.bulk = 1;
        } else if (args[i] == "--noncomposite") {
            setup.composite = 0;
        } else if (args[i] == "--size" && hasValue) {
            const auto size = parseSize(args[++i]);
            if (!size)
                return std::nullopt;
            setup.width = size->width;
            setup.height = size->height;
        } else if (args[i] == "--usb" && hasValue) {
            const std::string& speed = args[++i];
            if (speed != "full" && speed != "instant")
                return std::nullopt;
            const bool full = speed == "full";
            setup.latencyMs = full ? fullSpeedLatencyMs : 0;
            setup.bulkBytesPerSecond = full ? fullSpeedBulkBytesPerSecond : 0;
        } else if (args[i] == "--busy" && hasValue) {
            const auto polls = number<std::uint32_t>(args[++i]);
            if (!polls)
                return std::nullopt;
            setup.busyPolls = *polls;
        } else {
            return std::nullopt;
        }
    }
    if (setup.bulk && !setup.composite)
        return std::nullopt;
    return setup;
}

bool applyFault(Faults& faults, const std::string& name, const std::string& value) {
    if (name == "none") {
        faults = Faults{};
        return true;
    }
    if (name == "zero-width" || name == "huge-screen" || name == "pull" || name == "bulk-in" ||
        name == "deny-open" || name == "hang") {
        std::uint8_t& flag = name == "zero-width"    ? faults.zeroWidth
                             : name == "huge-screen" ? faults.hugeScreen
                             : name == "pull"        ? faults.pullInTransfer
                             : name == "deny-open"   ? faults.denyOpen
                             : name == "hang"        ? faults.hang
                                                     : faults.bulkPipeIn;
        flag = value != "off";
        return true;
    }
    if (name == "status" && value == "off") {
        faults.holdStatus = 0;
        return true;
    }
    const auto n = number<std::uint32_t>(value);
    if (!n)
        return false;
    if (name == "status" && *n <= 255) {
        faults.holdStatus = 1;
        faults.heldStatus = static_cast<std::uint8_t>(*n);
    } else if (name == "busy") {
        faults.busyPollsOnce = *n;
    } else if (name == "refuse") {
        faults.refuseCount = *n;
    } else if (name == "latency") {
        faults.latencyMs = *n;
    } else if (name == "bulk-rate") {
        faults.bulkBytesPerSecond = *n;
    } else {
        return false;
    }
    return true;
}

std::vector<std::uint8_t> parseInputReports(const std::vector<std::string>& args) {
    std::vector<std::uint8_t> bytes;
    for (const std::string& arg : args) {
        if (arg.size() % 2 != 0)
            return {};
        for (std::size_t i = 0; i < arg.size(); i += 2) {
            const auto byte = number<std::uint8_t>(arg.substr(i, 2), 16);
            if (!byte)
                return {};
            bytes.push_back(*byte);
        }
    }
    if (bytes.size() % inputReportLength != 0)
        return {};
    for (std::size_t i = 0; i < bytes.size(); i += inputReportLength)
        if (bytes[i] != inputReportId)
            return {};
    return bytes;
}

std::string listLine(std::uint32_t slot, const SlotInfo& info) {
    const TabletSetup& s = info.state.setup;
    std::ostringstream out;
    out << slot << ' ' << hex4(s.productId) << ' ' << s.width << 'x' << s.height
        << (s.bulk ? " mode=bulk" : " mode=hid") << (s.composite ? " composite" : " noncomposite")
        << " status=" << unsigned{info.state.status};
    return out.str();
}

std::string statusText(const SlotInfo& info) {
    const TabletState& st = info.state;
    const Counters& c = st.counters;
    std::ostringstream out;
    out << "plugged=" << info.plugged << "\nproduct=" << hex4(st.setup.productId)
        << "\nwidth=" << st.setup.width << "\nheight=" << st.setup.height
        << "\nstatus=" << unsigned{st.faults.holdStatus ? st.faults.heldStatus : st.status}
        << "\npulled=" << unsigned{st.pulled} << "\nlast_image_mode=" << unsigned{st.lastImageMode}
        << "\nlast_image_bytes=" << st.lastImageBytes << "\nrequests=" << st.sequence
        << "\ngets=" << c.gets << "\nsets=" << c.sets << "\nstatus_reads=" << c.statusReads
        << "\ndata_reports=" << c.dataReports << "\nbulk_writes=" << c.bulkWrites
        << "\nbulk_bytes=" << c.bulkBytes << "\nrefused=" << c.refused << "\nimages=" << c.images
        << "\nrejected_images=" << c.rejectedImages << "\nabandoned=" << c.abandoned
        << "\nclears=" << c.clears << "\ninput_reports=" << c.inputReports
        << "\nlatency_ms=" << st.faults.latencyMs << "\nbulk_rate=" << st.faults.bulkBytesPerSecond
        << '\n';
    return out.str();
}

std::string logText(const TabletState& state) {
    static const char* const ops[] = {"?", "get", "set", "bulk"};
    static const char* const results[] = {"ok", "refused", "not-connected"};
    std::ostringstream out;
    const std::uint32_t first = state.sequence > logSize ? state.sequence - logSize : 0;
    for (std::uint32_t seq = first; seq < state.sequence; ++seq) {
        const LogEntry& e = state.log[seq % logSize];
        out << e.sequence << ' ' << ops[e.op < 4 ? e.op : 0] << ' ' << hex4(e.reportId).substr(2)
            << ' ' << e.length << ' ' << results[e.result < 3 ? e.result : 0] << ' '
            << unsigned{e.status} << '\n';
    }
    return out.str();
}

} // namespace Korva::VTablet
