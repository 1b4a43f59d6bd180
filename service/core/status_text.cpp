#include "service/core/status_text.h"

#include "common/core/utf.h"
#include "service/core/status_words.h"
#include "service/core/utc_time.h"

#include <sstream>

namespace Korva::QELD {
namespace {

using namespace std::chrono;

std::string orNone(const std::u16string& text) {
    return text.empty() ? "none" : utf8FromUtf16(text);
}

void writeProgram(std::ostream& out, const ProgramStatus& program,
                  steady_clock::time_point steadyNow) {
    out << "program: Zelqa QEL Display " << program.version << "\n"
        << "mode: " << (program.mode == RunMode::Service ? "service" : "console") << "\n"
        << "running since: " << utcText(program.since) << "\n"
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

void writeCampaigns(std::ostream& out, const PictureListStatus& list) {
    out << "  campaigns:";
    for (const auto& name : list.campaigns)
        out << (&name == &list.campaigns.front() ? " " : ", ") << utf8FromUtf16(name);
    out << (list.campaigns.empty() ? " none\n" : "\n") << "  next campaign change: "
        << (list.nextCampaignChange ? isoDate(*list.nextCampaignChange) : "none") << "\n";
}

void writeList(std::ostream& out, const PictureListStatus& list) {
    out << "picture list: " << orNone(list.folder) << "\n  models:";
    for (const ModelId model : list.models)
        out << " " << modelName(model);
    out << "\n  pictures: " << list.pictures << "\n  current picture: " << orNone(list.current)
        << "\n";
    if (list.copy) {
        out << "  shown from: " << (list.copy->shown ? "local copy" : "share") << " since "
            << utcText(list.copy->since) << "\n"
            << "  local copy: " << list.copy->bytes << " of " << list.copy->bound << " bytes\n";
    }
    writeCampaigns(out, list);
}

void writeTablet(std::ostream& out, const TabletStatus& tablet) {
    out << "tablet: " << modelName(tablet.model) << ", product id "
        << productIdText(tablet.productId) << "\n";
    if (tablet.format.width != 0) {
        const unsigned bits = bitsPerPixel(tablet.format.encodingMode);
        out << "  screen: " << tablet.format.width << " x " << tablet.format.height << "\n"
            << "  pixel format: " << bits << (bits == 1 ? " bit" : " bits") << " per pixel\n"
            << "  transport: " << transportText(tablet.format.encodingMode) << "\n";
    }
    out << "  state: " << stateText(tablet.state) << "\n"
        << "  current picture: " << orNone(tablet.picture) << "\n"
        << "  last upload: ";
    if (tablet.lastUpload)
        out << utcText(*tablet.lastUpload) << ", " << tablet.uploadTime.count() << " ms\n"
            << "  exclusive hold: " << tablet.holdTime.count() << " ms\n";
    else
        out << "none\n";
    out << "  uploads: " << tablet.uploads << "\n"
        << "  last failure: " << (tablet.lastFailure.empty() ? "none" : tablet.lastFailure) << "\n";
    if (tablet.lastFailureTime) {
        out << "  last failure at: " << utcText(*tablet.lastFailureTime);
        if (tablet.lastFailureEvent != 0)
            out << ", event ID " << eventViewerId(tablet.lastFailureEvent);
        out << "\n";
    }
}

} // namespace

std::string formatStatus(const StatusSnapshot& status, const HealthReport& health,
                         steady_clock::time_point now) {
    std::ostringstream out;
    writeProgram(out, status.program, now);
    out << "health: " << healthText(health.state) << "\n";
    for (const auto& reason : health.reasons)
        out << "  " << reason << "\n";
    for (const auto& list : status.lists)
        writeList(out, list);
    for (const auto& [path, tablet] : status.tablets)
        writeTablet(out, tablet);
    return out.str();
}

} // namespace Korva::QELD
