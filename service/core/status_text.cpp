#include "service/core/status_text.h"

#include "common/core/utf.h"
#include "tablet/core/product_tables.h"

#include <cstdio>
#include <sstream>

namespace Korva::QELD {
namespace {

using namespace std::chrono;

std::string modelName(ModelId model) {
    for (const auto& key : modelKeyTable) {
        if (key.id == model && key.subkey != nullptr)
            return utf8FromUtf16(key.subkey);
    }
    return "generic";
}

// "2026-12-07 17:54:43.120 UTC"
std::string timeText(system_clock::time_point time) {
    const auto day = floor<days>(time);
    const year_month_day date(day);
    const hh_mm_ss clock(floor<milliseconds>(time - day));
    char text[40];
    std::snprintf(
        text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d.%03d UTC", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
        static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
    return text;
}

std::string hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

const char* pixelFormat(std::uint8_t mode) {
    switch (mode & ~QEL::encodingBulk) {
    case QEL::encoding16Bit:
        return "16 bits per pixel";
    case QEL::encoding24Bit:
        return "24 bits per pixel";
    default:
        return "1 bit per pixel";
    }
}

const char* stateText(TabletState state) {
    switch (state) {
    case TabletState::Starting:
        return "starting";
    case TabletState::Showing:
        return "showing";
    case TabletState::Waiting:
        return "waiting for the tablet";
    case TabletState::Failed:
        break;
    }
    return "stopped by a failure";
}

std::string orNone(const std::u16string& text) {
    return text.empty() ? "none" : utf8FromUtf16(text);
}

void writeProgram(std::ostream& out, const ProgramStatus& program,
                  steady_clock::time_point steadyNow) {
    out << "program: Zelqa QEL Display " << program.version << "\n"
        << "mode: " << (program.mode == RunMode::Service ? "service" : "console") << "\n"
        << "running since: " << timeText(program.since) << "\n"
        << "interval: " << program.interval << " ms\n"
        << "next change: ";
    if (program.nextChange) {
        const auto left = ceil<seconds>(
            std::max(*program.nextChange - steadyNow, steady_clock::duration::zero()));
        out << "in " << left.count() << " s\n";
    } else {
        out << "none\n";
    }
    out << "suspended: " << (program.suspended ? "yes" : "no") << "\n";
}

// "2026-12-27"
std::string dateText(sys_days day) {
    const year_month_day date(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

void writeCampaigns(std::ostream& out, const PictureListStatus& list) {
    out << "  campaigns:";
    for (const auto& name : list.campaigns)
        out << (&name == &list.campaigns.front() ? " " : ", ") << utf8FromUtf16(name);
    out << (list.campaigns.empty() ? " none\n" : "\n") << "  next campaign change: "
        << (list.nextCampaignChange ? dateText(*list.nextCampaignChange) : "none") << "\n";
}

void writeList(std::ostream& out, const PictureListStatus& list) {
    out << "picture list: " << orNone(list.folder) << "\n  models:";
    for (const ModelId model : list.models)
        out << " " << modelName(model);
    out << "\n  pictures: " << list.pictures << "\n  current picture: " << orNone(list.current)
        << "\n";
    writeCampaigns(out, list);
}

void writeTablet(std::ostream& out, const TabletStatus& tablet) {
    out << "tablet: " << modelName(tablet.model) << ", product id " << hex4(tablet.productId)
        << "\n";
    if (tablet.format.width != 0) {
        out << "  screen: " << tablet.format.width << " x " << tablet.format.height << "\n"
            << "  pixel format: " << pixelFormat(tablet.format.encodingMode) << "\n"
            << "  transport: "
            << (tablet.format.encodingMode & QEL::encodingBulk ? "bulk pipe" : "feature reports")
            << "\n";
    }
    out << "  state: " << stateText(tablet.state) << "\n"
        << "  current picture: " << orNone(tablet.picture) << "\n"
        << "  last upload: ";
    if (tablet.lastUpload)
        out << timeText(*tablet.lastUpload) << ", " << tablet.uploadTime.count() << " ms\n";
    else
        out << "none\n";
    out << "  uploads: " << tablet.uploads << "\n"
        << "  last failure: " << (tablet.lastFailure.empty() ? "none" : tablet.lastFailure) << "\n";
}

} // namespace

std::string formatStatus(const StatusSnapshot& status, steady_clock::time_point now) {
    std::ostringstream out;
    writeProgram(out, status.program, now);
    for (const auto& list : status.lists)
        writeList(out, list);
    for (const auto& [path, tablet] : status.tablets)
        writeTablet(out, tablet);
    return out.str();
}

} // namespace Korva::QELD
