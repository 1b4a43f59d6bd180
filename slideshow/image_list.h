#pragma once

#include "common/event_log.h"
#include "common/core/noncopyable.h"
#include "common/unique_handle.h"
#include "settings/core/device_config.h"
#include "slideshow/core/image_entry.h"
#include "slideshow/core/image_list_state.h"
#include "slideshow/core/screen_format.h"
#include "slideshow/core/status_record.h"

#include <atomic>
#include <chrono>
#include <cstdint>
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

// A folder whose changes cannot be read (a share without change
// notifications) is listed again at this period instead.
inline constexpr std::chrono::milliseconds folderRelistInterval{30000};

// The size of one read of folder notifications.
inline constexpr DWORD notificationBufferSize = 65535;

// The slideshow of one folder with one layout: the pictures of the folder, the
// current one, and a watcher thread that keeps the list in step with the
// folder. Held by shared ownership: models with equal settings share a list.
class ImageList : noncopyable {
public:
    // The renderer is renderImage in the service; tests give their own.
    ImageList(const DeviceConfig& config, EventLog& eventLog, PreparedImages& images,
              ImageRenderer render = renderImage);
    ~ImageList();

    // The prepared image of the current picture, empty without one. The
    // picture's path is taken under the same lock and set before rendering,
    // so that a failure is told to belong to the picture that failed.
    std::vector<std::uint8_t> getImage(const ScreenFormat& format, std::u16string& path);

    // The slideshow step; true when the list has a current picture afterwards.
    bool advance();

    // Whether the list was built from settings equal to these.
    bool matches(const DeviceConfig& config);

    // Set when a picture arrives in an empty list; reset by the main loop.
    HANDLE changeEvent() const noexcept { return changeEvent_.get(); }
    void resetChangeEvent();

    // The entry paths in list order and the current one (empty without one),
    // for diagnostics and tests.
    std::vector<std::u16string> paths();
    std::u16string currentPath();

    // Folder, number of pictures and current picture, for the status.
    PictureListStatus summary();

private:
    // Balances the constructor's COM initialisation when it succeeded.
    class ComInitialization : noncopyable {
    public:
        ComInitialization();
        ~ComInitialization();
    };

    // How watching a folder ended: the list is going, the path no longer
    // names the folder watched, or its changes cannot be read.
    enum class WatchEnd { Quit, Moved, Unwatched };
    enum class Wake { Quit, Check, Completion };

    void readDirectory();
    void directoryThread() noexcept;
    void followFolder(HANDLE completion, std::vector<std::uint8_t>& buffer);
    WatchEnd watch(const std::u16string& folder, HANDLE handle, HANDLE completion,
                   std::vector<std::uint8_t>& buffer, bool& unwatchedReported);
    WatchEnd unwatched(const std::u16string& folder, HANDLE handle, DWORD error,
                       bool& unwatchedReported);
    WatchEnd pause(const std::u16string& folder, HANDLE handle);
    Wake wake(HANDLE completion, std::chrono::milliseconds timeout);
    void takeCompletion(const std::vector<std::uint8_t>& buffer, DWORD bytes);
    void rescan(const std::u16string& folder);
    void dropPictures();
    void setChangeEvent();

    ComInitialization com_;
    Win32::unique_event quitEvent_;
    Win32::unique_event changeEvent_;
    Win32::unique_event checkEvent_;
    std::mutex mutex_;
    // Whether the folder could be opened at its last try, for the status.
    std::atomic<bool> folderAvailable_{true};
    EventLog& eventLog_;
    ImageListState state_;
    std::thread watcher_;
};

} // namespace Korva::QELD
