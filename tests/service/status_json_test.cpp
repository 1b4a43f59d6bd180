#include "service/core/status_json.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

using namespace Korva::QELD;
using namespace std::chrono;

namespace {

const system_clock::time_point noon = sys_days{2026y / 12 / 8} + 12h;

// Three tablets of the three pixel formats on one list; the 16-bit one was
// stopped by a bad picture.
void addThreeTablets(StatusRecord& record) {
    record.setClock(3000, std::nullopt);
    record.setLists({{{0}, u"C:\\Pictures \"Counter\"", 2, u"C:\\Pictures \"Counter\"\\a.png"}});
    const std::tuple<const wchar_t*, std::uint16_t, ModelId, ScreenFormat> tablets[] = {
        {L"mono", 0x0C10, 1, {0x00, 396, 100}},
        {L"rgb565", 0x0C13, 3, {0x02, 320, 200}},
        {L"bulk", 0x0C14, 5, {0x14, 640, 480}}};
    for (const auto& [path, productId, model, format] : tablets) {
        record.tabletStarted(path, productId, model, noon - 1h);
        record.tabletProbed(path, format);
        record.tabletUploaded(path, u"C:\\Pictures \"Counter\"\\a.png", noon - 1s, 40ms);
    }
    record.tabletFailed(L"rgb565", "The picture C:\\b.png cannot be shown: damaged\tor cut off",
                        true, 0xC0000020, noon - 2s);
}

// Runs Python's own JSON parser on the document and the checks on it; the
// output is "ok" or what failed.
std::string checkedByPython(const std::string& json, const std::string& checks) {
    const std::string file = testing::TempDir() + "status.json";
    std::ofstream(file, std::ios::binary) << json;
    const std::string command = "/usr/bin/python3 -c 'import json,sys\n"
                                "s = json.load(open(sys.argv[1], encoding=\"utf-8\"))\n" +
                                checks + "\nprint(\"ok\")' " + file + " 2>&1";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        ::pclose(pipe);
    }
    return output;
}

} // namespace

TEST(StatusJson, ParsesWithTheDocumentedMembersForThreeTabletsOneFailing) {
    StatusRecord record("2.0.1", RunMode::Service, noon - 1h);
    addThreeTablets(record);
    const StatusSnapshot status = record.snapshot();
    const std::string json = formatStatusJson(status, assessHealth(status, noon), {});
    EXPECT_EQ(checkedByPython(json, R"(
assert s["schema"] == 1 and s["running"] is True, s
assert s["health"] == {"state": "degraded", "reasons": [
    "The tablet QEL40 (product id 0x0C13) is stopped by a failure."
    " Last failure: The picture C:\\b.png cannot be shown: damaged\tor cut off"]}, s["health"]
assert s["version"] == "2.0.1" and s["mode"] == "service" and s["intervalMs"] == 3000
assert s["runningSince"] == "2026-12-08T11:00:00.000Z" and s["nextChangeSeconds"] is None
assert s["lists"] == [{"folder": "C:\\Pictures \"Counter\"", "models": ["generic"],
    "folderAvailable": True, "pictures": 2,
    "currentPicture": "C:\\Pictures \"Counter\"\\a.png", "localCopy": None,
    "campaigns": [], "nextCampaignChange": None}], s["lists"]
t = {x["model"]: x for x in s["tablets"]}
assert [(t[m]["bitsPerPixel"], t[m]["transport"], t[m]["screenWidth"]) for m in
    ("QEL10", "QEL40", "QEL50")] == [(1, "feature reports", 396),
    (16, "feature reports", 320), (24, "bulk pipe", 640)], t
assert t["QEL50"]["lastPictureShown"] == "2026-12-08T11:59:59.000Z" and t["QEL50"]["lastFailure"] is None
assert t["QEL40"]["state"] == "stopped by a failure" and t["QEL40"]["productId"] == "0x0C13"
assert t["QEL40"]["lastFailure"] == {"time": "2026-12-08T11:59:58.000Z",
    "text": "The picture C:\\b.png cannot be shown: damaged\tor cut off", "eventId": 32}
)"),
              "ok\n")
        << json;
}

// Each rule on its own, and the state it gives: degraded while one tablet
// still shows pictures, failed when none does.
TEST(StatusHealth, NamesEachFaultAndSaysDegradedOrFailed) {
    const auto assess = [](const StatusRecord& record, system_clock::time_point now) {
        return assessHealth(record.snapshot(), now);
    };
    StatusRecord record("2.0.1", RunMode::Service, noon - 1h);
    addThreeTablets(record);
    record.tabletStarted(L"rgb565", 0x0C13, 3, noon - 1h);
    record.tabletProbed(L"rgb565", {0x02, 320, 200});
    record.tabletUploaded(L"rgb565", u"a", noon - 1s, 40ms);
    const HealthReport healthy = assess(record, noon);
    EXPECT_EQ(healthy.state, Health::Healthy);
    EXPECT_TRUE(healthy.reasons.empty());
    EXPECT_EQ(healthExitCode(healthy.state), 0);

    // Three intervals of 3 s and the upload allowance of 10 s: 19 s.
    record.tabletUploaded(L"bulk", u"a", noon - 20s, 40ms);
    const HealthReport dark = assess(record, noon);
    EXPECT_EQ(dark.state, Health::Degraded);
    EXPECT_EQ(dark.reasons, std::vector<std::string>{"The tablet QEL50 (product id 0x0C14) has "
                                                     "shown no picture for 20 s."});
    EXPECT_EQ(healthExitCode(dark.state), 2);

    for (const PictureListStatus& list :
         {PictureListStatus{{0}, u"D:\\p", 0, u""}, PictureListStatus{{0}, u"D:\\p", 5, u"", false},
          PictureListStatus{{0}, u"", 0, u""}}) {
        record.setLists({list});
        const HealthReport failed = assess(record, noon - 19s);
        EXPECT_EQ(failed.state, Health::Failed);
        EXPECT_EQ(healthExitCode(failed.state), 3);
        ASSERT_EQ(failed.reasons.size(), 1u);
        EXPECT_EQ(failed.reasons[0], list.folder.empty() ? "No pictures folder is set for generic."
                                     : list.available
                                         ? "The pictures folder D:\\p (generic) holds no pictures."
                                         : "The pictures folder D:\\p (generic) is not available.");
    }

    record.keepTablets({});
    EXPECT_EQ(assess(record, noon).reasons, std::vector<std::string>{"No tablet is attached."});
    record.setSuspended(true);
    EXPECT_EQ(assess(record, noon).state, Health::Degraded);
}
