#pragma once

// What the watcher's sources share: the folder it follows and its calls.

#include "slideshow/folder_call.h"
#include "slideshow/image_list.h"

#include <utility>

namespace Korva::QELD {

// Ends the watcher when its list goes while a folder call is under way.
struct WatcherQuit {};

// The folder the watcher follows, its open handle (shared with the calls
// that check it, which may outlive the watcher) and its local copy's folder
// (empty where the folder is not on a share).
struct ImageList::Watched {
    std::u16string folder;
    std::u16string copy;
    SharedFolder handle;
};

// A folder call; a quit meanwhile ends the watcher.
template <class Body> auto ImageList::call(Body body) {
    auto result = callLeavable(quitEvent_.get(), std::move(body));
    if (!result)
        throw WatcherQuit{};
    return std::move(*result);
}

} // namespace Korva::QELD
