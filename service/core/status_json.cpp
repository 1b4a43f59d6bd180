#include "service/core/status_json.h"

#include "service/core/json_writer.h"
#include "service/core/status_words.h"
#include "service/core/utc_time.h"

namespace Korva::QELD {
namespace {

using namespace std::chrono;

std::optional<std::string> isoTime(const std::optional<system_clock::time_point>& time) {
    return time ? std::optional(Korva::QELD::isoTime(*time)) : std::nullopt;
}

std::optional<std::u16string> orNull(const std::u16string& text) {
    return text.empty() ? std::nullopt : std::optional(text);
}

void writeHealth(JsonWriter& out, Health state, const std::vector<std::string>& reasons) {
    out.beginObject("health").field("state", healthText(state)).beginArray("reasons");
    for (const auto& reason : reasons)
        out.field({}, reason);
    out.endArray().endObject();
}

void writeProgram(JsonWriter& out, const ProgramStatus& program, steady_clock::time_point now) {
    std::optional<long long> nextChange;
    if (program.nextChange)
        nextChange =
            ceil<seconds>(std::max(*program.nextChange - now, steady_clock::duration{})).count();
    out.field("version", program.version)
        .field("mode", program.mode == RunMode::Service ? "service" : "console")
        .field("runningSince", Korva::QELD::isoTime(program.since))
        .field("intervalMs", program.interval)
        .field("nextChangeSeconds", nextChange)
        .field("suspended", program.suspended);
}

// Lists on a file server say whether the share or its local copy is shown,
// since when, and how much the copy keeps; other lists have no copy.
void writeCopy(JsonWriter& out, const PictureListStatus& list) {
    if (!list.copy) {
        out.null("localCopy");
        return;
    }
    out.beginObject("localCopy")
        .field("shown", list.copy->shown)
        .field("since", Korva::QELD::isoTime(list.copy->since))
        .field("bytes", list.copy->bytes)
        .field("boundBytes", list.copy->bound)
        .endObject();
}

void writeList(JsonWriter& out, const PictureListStatus& list) {
    out.beginObject().field("folder", orNull(list.folder)).beginArray("models");
    for (const ModelId model : list.models)
        out.field({}, modelName(model));
    out.endArray()
        .field("folderAvailable", list.available)
        .field("pictures", list.pictures)
        .field("currentPicture", orNull(list.current));
    writeCopy(out, list);
    out.beginArray("campaigns");
    for (const auto& campaign : list.campaigns)
        out.field({}, std::u16string_view(campaign));
    out.endArray()
        .field("nextCampaignChange", list.nextCampaignChange
                                         ? std::optional(isoDate(*list.nextCampaignChange))
                                         : std::nullopt)
        .endObject();
}

void writeFailure(JsonWriter& out, const TabletStatus& tablet) {
    if (tablet.lastFailure.empty()) {
        out.null("lastFailure");
        return;
    }
    out.beginObject("lastFailure")
        .field("time", isoTime(tablet.lastFailureTime))
        .field("text", tablet.lastFailure)
        .field("eventId", tablet.lastFailureEvent != 0
                              ? std::optional(eventViewerId(tablet.lastFailureEvent))
                              : std::nullopt)
        .endObject();
}

void writeTablet(JsonWriter& out, const TabletStatus& tablet) {
    const bool probed = tablet.format.width != 0;
    const std::uint8_t mode = tablet.format.encodingMode;
    out.beginObject()
        .field("model", modelName(tablet.model))
        .field("productId", productIdText(tablet.productId))
        .field("screenWidth", probed ? std::optional(tablet.format.width) : std::nullopt)
        .field("screenHeight", probed ? std::optional(tablet.format.height) : std::nullopt)
        .field("bitsPerPixel", probed ? std::optional(bitsPerPixel(mode)) : std::nullopt)
        .field("transport", probed ? std::optional(transportText(mode)) : std::nullopt)
        .field("state", stateText(tablet.state))
        .field("currentPicture", orNull(tablet.picture))
        .field("lastPictureShown", isoTime(tablet.lastUpload))
        .field("lastUploadMs",
               tablet.lastUpload ? std::optional(tablet.uploadTime.count()) : std::nullopt)
        .field("exclusiveHoldMs",
               tablet.lastUpload ? std::optional(tablet.holdTime.count()) : std::nullopt)
        .field("uploads", tablet.uploads);
    writeFailure(out, tablet);
    out.endObject();
}

} // namespace

std::string formatStatusJson(const StatusSnapshot& status, const HealthReport& health,
                             steady_clock::time_point steadyNow) {
    JsonWriter out;
    out.beginObject()
        .field("schema", statusSchema)
        .field("program", "Zelqa QEL Display")
        .field("running", true);
    writeHealth(out, health.state, health.reasons);
    writeProgram(out, status.program, steadyNow);
    out.beginArray("lists");
    for (const auto& list : status.lists)
        writeList(out, list);
    out.endArray().beginArray("tablets");
    for (const auto& [path, tablet] : status.tablets)
        writeTablet(out, tablet);
    out.endArray().endObject();
    return out.text();
}

std::string unansweredJson(const std::string& reason) {
    JsonWriter out;
    out.beginObject()
        .field("schema", statusSchema)
        .field("program", "Zelqa QEL Display")
        .field("running", false);
    writeHealth(out, Health::Failed, {reason});
    out.endObject();
    return out.text();
}

} // namespace Korva::QELD
