#include "service/main_thread.h"

#include "qeld_version.h"
#include "common/thread_body.h"
#include "service/core/slideshow_clock.h"
#include "service/status_server.h"
#include "slideshow/device_list.h"
#include "slideshow/image_list_map.h"

#include <map>
#include <set>
#include <vector>

namespace Korva::QELD {
namespace {

enum class Next { Tick, Wait, End, Fail };

constexpr const char* loopFunction = "Korva::QELD::mainLoop";

// The loop is built from the settings as they are now, so the bits that
// their first read raised carry no news; every other flag stays pending, and
// flagsEvent with it, for the first wait.
std::uint32_t startInterval(ConfigurationData& settings) {
    auto lock = settings.lock();
    lock.takeFlags(ConfigurationFlag_DeviceConfig | ConfigurationFlag_UpdateTime);
    return lock.updateTime();
}

class MainLoop {
public:
    MainLoop(ConfigurationData& settings, EventLog& eventLog, StatusRecord& status,
             LocalCalendar& calendar)
        : settings_(settings), eventLog_(eventLog), status_(status),
          clock_(startInterval(settings)),
          imageLists_(settings, eventLog, renderImage, PreparedImages::defaultLimit, calendar),
          devices_(imageLists_, eventLog, status) {}

    // True when the quit flag ended the loop.
    bool run() {
        updateDevices();
        Next next = Next::Tick;
        while (next != Next::End && next != Next::Fail) {
            if (next == Next::Tick)
                tick();
            publishStatus();
            next = waitOnce();
        }
        devices_.clear();
        return next == Next::End;
    }

private:
    static SlideshowClock::Clock::time_point now() { return SlideshowClock::Clock::now(); }

    // Several models may share one list: each list steps once per tick.
    void tick() {
        imageLists_.dropRetired();
        std::set<const CampaignList*> advanced;
        bool anyPicture = false;
        for (const auto& [model, list] : imageLists_.lists()) {
            if (advanced.insert(list.get()).second && list->advance())
                anyPicture = true;
        }
        if (anyPicture)
            devices_.setUpdateEvents();
        clock_.start(now());
    }

    // A list that announced its first picture (its folder was empty, or it
    // was just built and has listed its folder) shows it at once; the other
    // lists keep their pictures and the clock its deadline, so that building
    // a list never makes the others skip a picture.
    void showFirstPictures() {
        std::set<const CampaignList*> stepped;
        bool anyPicture = false;
        for (const auto& [model, list] : imageLists_.lists()) {
            if (stepped.insert(list.get()).second &&
                ::WaitForSingleObject(list->changeEvent(), 0) == WAIT_OBJECT_0 && list->advance())
                anyPicture = true;
        }
        if (anyPicture)
            devices_.setUpdateEvents();
    }

    // The clock and the lists as they are after each wake. The lists are read
    // before the status lock is taken, which is always the last.
    void publishStatus() {
        std::vector<PictureListStatus> lists;
        std::map<const CampaignList*, std::size_t> positions;
        for (const auto& [model, list] : imageLists_.lists()) {
            const auto [position, added] = positions.emplace(list.get(), lists.size());
            if (added)
                lists.push_back(list->summary());
            lists[position->second].models.push_back(model);
        }
        status_.setLists(std::move(lists));
        const auto at = now();
        status_.setClock(clock_.interval(),
                         clock_.running()
                             ? std::optional(at + std::chrono::milliseconds(clock_.timeout(at)))
                             : std::nullopt);
    }

    Next waitOnce() {
        std::vector<HANDLE> handles = devices_.threadHandles();
        const DWORD workers = static_cast<DWORD>(handles.size());
        handles.push_back(settings_.flagsEvent());
        imageLists_.changeEvents(handles);
        const DWORD result =
            ::WaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                       clock_.timeout(now()), FALSE);
        if (result == WAIT_TIMEOUT)
            return Next::Tick;
        if (result >= WAIT_OBJECT_0 + handles.size()) {
            eventLog_.reportWaitResult(loopFunction, __LINE__, result);
            return Next::Fail;
        }
        const DWORD index = result - WAIT_OBJECT_0;
        if (index < workers) {
            devices_.erase(index);
            if (workers == 1)
                clock_.stop();
            return Next::Wait;
        }
        if (index == workers)
            return handleFlags(workers);
        showFirstPictures();
        return Next::Wait;
    }

    // Acts on every flag of one wake in a fixed order, so that suspend and
    // resume raised together stop all workers and then start them afresh.
    // The settings are copied under their lock and acted on after it is
    // released: the service control handler takes the same lock to raise a
    // stop, and acting may wait on tablets.
    Next handleFlags(DWORD workers) {
        ConfigurationFlags flags = 0;
        std::uint32_t updateTime = 0;
        DeviceConfigMap configs;
        {
            auto lock = settings_.lock();
            flags = lock.takeFlags();
            updateTime = lock.updateTime();
            if (flags & ConfigurationFlag_DeviceConfig)
                configs = lock.deviceConfigs();
        }
        if (flags & ConfigurationFlag_Quit)
            return Next::End;
        if (flags & ConfigurationFlag_DeviceChange) {
            updateDevices();
            if (workers == 0 && devices_.size() != 0)
                clock_.start(now());
        }
        if (flags & ConfigurationFlag_Suspend) {
            devices_.clear();
            clock_.stop();
            status_.setSuspended(true);
        }
        if (flags & ConfigurationFlag_Resume) {
            status_.setSuspended(false);
            updateDevices();
            if (devices_.size() != 0)
                clock_.start(now());
        }
        if (flags & ConfigurationFlag_UpdateTime)
            clock_.changeInterval(updateTime);
        // The campaigns' watchers check the date themselves, as a wait may not
        // count the time asleep; the lists tell the loop what changed.
        if (flags & (ConfigurationFlag_TimeChange | ConfigurationFlag_Resume))
            imageLists_.checkDates();
        if (flags & ConfigurationFlag_DeviceConfig) {
            imageLists_.apply(configs);
            return Next::Tick;
        }
        return Next::Wait;
    }

    // A failed enumeration must not end the slideshow for good: it is
    // reported, the workers already running go on, and the next device
    // notification enumerates again.
    void updateDevices() {
        try {
            devices_.update();
        } catch (const std::exception& e) {
            eventLog_.reportException("Korva::QELD::DeviceList::update", e);
        }
    }

    ConfigurationData& settings_;
    EventLog& eventLog_;
    StatusRecord& status_;
    SlideshowClock clock_;
    ImageListMap imageLists_;
    DeviceList devices_;
};

} // namespace

bool mainLoop(ConfigurationData& settings, EventLog& eventLog, RunMode mode,
              LocalCalendar& calendar) noexcept {
    bool finished = false;
    Win32::runThreadBody(
        "MainThread",
        [&] {
            StatusRecord status(QELD_VERSION_TEXT, mode, std::chrono::system_clock::now());
            const auto server = startStatusServer(status, eventLog);
            finished = MainLoop(settings, eventLog, status, calendar).run();
        },
        [&eventLog](std::exception_ptr failure) {
            try {
                std::rethrow_exception(failure);
            } catch (const std::exception& e) {
                eventLog.reportException(loopFunction, e);
            } catch (...) {
                eventLog.report(Event_UnknownException);
            }
        });
    return finished;
}

} // namespace Korva::QELD
