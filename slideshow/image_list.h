#pragma once

#include "common/com_apartment.h"
#include "common/event_log.h"
#include "common/core/noncopyable.h"
#include "common/unique_handle.h"
#include "settings/core/device_config.h"
#include "slideshow/core/image_entry.h"
#include "slideshow/core/image_list_state.h"
#include "slideshow/picture/render_image.h"
#include "slideshow/picture/core/screen_format.h"
#include "slideshow/core/status_record.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Korva::QELD {

// While the folder of a list cannot be opened (not created yet, or gone),
// the watcher tries again at this period and at every slideshow tick.
inline constexpr std::chrono::milliseconds folderRetryInterval{2000};

// The watcher checks that its folder is still the one at the folder's path
// at every slideshow tick, and at least this often.
inline constexpr std::chrono::milliseconds folderCheckInterval{30000};

// Every folder is listed again at least this often: a share may have no
// change notifications, refuse them, or accept them and never send one, and
// a picture overwritten behind its server changes nothing but its size and
// time.
inline constexpr std::chrono::milliseconds folderRelistInterval{30000};

// The slideshow of one folder with one layout: the pictures of the folder, the
// current one, and a watcher thread that keeps the list in step with the
// folder. Held by shared ownership: models with equal settings share a list.
// Only the watcher touches the folder (its first listing too), through calls
// that a quit leaves behind, so nothing else ever waits on a file server. The
// pictures of a folder on a share are kept in a local copy, which is shown
// while the server cannot be reached.
class ImageList : noncopyable {
public:
    // The renderer is renderImage in the service; tests give their own.
    ImageList(const DeviceConfig& config, EventLog& eventLog, PreparedImages& images,
              ImageRenderer render = renderImage);
    ~ImageList();

    // The prepared image of the current picture, empty without one. The
    // picture's path is taken under the list's lock and set before
    // rendering, so that a failure is told to belong to the picture that
    // failed; the file is read without the lock.
    std::vector<std::uint8_t> getImage(const ScreenFormat& format, std::u16string& path);

    // The slideshow step; true when the list has a current picture afterwards.
    bool advance();

    // Whether the list was built from settings equal to these.
    bool matches(const DeviceConfig& config);

    // Set when a picture arrives in an empty list; reset by the next step,
    // which serves it, or by the campaign layer, which passes it on.
    HANDLE changeEvent() const noexcept { return changeEvent_.get(); }
    void resetChangeEvent();

    // The entry paths in list order and the current one (empty without one),
    // for diagnostics and tests.
    std::vector<std::u16string> paths();
    std::u16string currentPath();

    // Folder, number of pictures, current picture and where they are shown
    // from, for the status.
    PictureListStatus summary();

private:
    struct Watched;
    using SharedFolder = std::shared_ptr<Win32::unique_file>;

    // How watching a folder ended: the path no longer names the folder
    // watched (or its server cannot be reached), or its changes cannot be
    // read. A quit ends the watcher by the exception WatcherQuit.
    enum class WatchEnd { Lost, Unwatched };
    enum class Wake { Quit, Check, Completion };

    void directoryThread() noexcept;
    void followFolder(HANDLE completion);
    void listFirst(const Watched& watched);
    void leave(const Watched& watched, DWORD lostBy);
    WatchEnd watch(const Watched& watched, HANDLE completion, DWORD& lostBy,
                   bool& unwatchedReported);
    WatchEnd unwatched(const Watched& watched, DWORD error, DWORD& lostBy, bool& unwatchedReported);
    WatchEnd pause(const Watched& watched, DWORD& lostBy);
    Wake wake(HANDLE completion, std::chrono::milliseconds timeout);
    void takeCompletion(const std::vector<std::uint8_t>& buffer, DWORD bytes);
    DWORD check(const Watched& watched);
    DWORD rescan(const std::u16string& folder, const std::u16string& copy);
    void lose(const std::u16string& folder, const std::u16string& copy, DWORD error,
              bool& outageReported);
    void showCopy(const std::u16string& folder, const std::u16string& copy, DWORD error);
    void keepCopy(const std::u16string& folder, const std::u16string& copy);
    void dropPictures();
    void setChangeEvent();
    template <class Body> auto call(Body body);

    // COM on the thread that makes the list, in the multithreaded apartment,
    // for as long as the list lives.
    Win32::ComApartment com_;
    Win32::unique_event quitEvent_;
    Win32::unique_event changeEvent_;
    Win32::unique_event checkEvent_;
    std::mutex mutex_;
    // Whether the folder could be opened at its last try, for the status.
    std::atomic<bool> folderAvailable_{true};
    EventLog& eventLog_;
    ImageListState state_;
    // Whether the pictures are shown from the local copy, since when, and
    // how many bytes the copy keeps.
    bool showsCopy_ = false;
    std::chrono::system_clock::time_point sourceSince_;
    std::uint64_t copyBytes_ = 0;
    // Whether the last copy failed; the watcher's own.
    bool copyFailed_ = false;
    std::thread watcher_;
};

} // namespace Korva::QELD
