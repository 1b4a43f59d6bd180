#pragma once

#include "common/event_log.h"
#include "common/core/noncopyable.h"
#include "settings/configuration_data.h"
#include "slideshow/campaign_list.h"
#include "slideshow/image_list.h"
#include "slideshow/image_list_sharing.h"
#include "slideshow/picture_failures.h"
#include "slideshow/system_calendar.h"

#include <memory>
#include <mutex>
#include <vector>

namespace Korva::QELD {

// The picture list of every tablet model that has a settings set; models with
// equal settings share one list. ModelId 0, the generic list, is always there.
class ImageListMap : noncopyable {
public:
    // Builds a list for every settings set, taking the settings lock only to
    // copy them. The renderer is renderImage in the service; tests give their
    // own, and a cache limit and a calendar of their own.
    ImageListMap(ConfigurationData& settings, EventLog& eventLog,
                 ImageRenderer render = renderImage,
                 std::size_t cacheLimit = PreparedImages::defaultLimit,
                 LocalCalendar& calendar = systemCalendar());
    ~ImageListMap();

    // Follows changed settings: each model gets the first list with equal
    // settings, or a new one; lists whose settings did not change stay as
    // they are; lists no model holds any more are destroyed at once. The new
    // map is built without the mutex and swapped in under it, and replaced
    // lists are destroyed after it is released, so that a worker's lookup
    // never waits for a list being built or stopped.
    void apply(const DeviceConfigMap& configs);

    // The model's list, or the generic one when the model has no settings;
    // null when there is neither (settings that could not be read). Only the
    // main thread, which alone changes the map, calls this without the map's
    // mutex.
    CampaignList* get(ModelId model);

    // The current picture of the model's list, prepared for the screen;
    // empty without one. Its entry path (empty without one) is set first,
    // so that a worker can tell which picture a failure belongs to. The map's
    // mutex is held only to find the list.
    std::vector<std::uint8_t> getImage(ModelId model, const ScreenFormat& format,
                                       std::u16string& path);

    // Appends each model's change event in ModelId order (a shared list once
    // per model).
    void changeEvents(std::vector<HANDLE>& handles) const;

    // Asks every list to check the date now.
    void checkDates();

    // Destroys the lists that workers handed back after a change; runs on
    // the main thread, which made them.
    void dropRetired();

    // The lists by model, for the main loop's advance step, which runs on the
    // thread that alone changes the map.
    const ListsByModel<CampaignList>& lists() const noexcept { return lists_; }

    // The prepared images of every list, within one limit.
    PreparedImages& preparedImages() noexcept { return images_; }

    // The pictures that failed to render, shared by every tablet's worker.
    PictureFailures& pictureFailures() noexcept { return failures_; }

private:
    std::shared_ptr<CampaignList> find(ModelId model) const;
    // Takes back a list a worker held while rendering; one no longer mapped
    // waits for the main thread.
    void release(std::shared_ptr<CampaignList> list) noexcept;

    // Declared first, so that it outlives the lists whose entries use it.
    PreparedImages images_;
    PictureFailures failures_;
    std::mutex mutex_;
    ListsByModel<CampaignList> lists_;
    std::vector<std::shared_ptr<CampaignList>> retired_;
    EventLog& eventLog_;
    ImageRenderer render_;
    LocalCalendar& calendar_;
};

} // namespace Korva::QELD
