#pragma once

#include "common/core/noncopyable.h"
#include "slideshow/core/folder_item.h"
#include "slideshow/picture/core/image_parameters.h"
#include "slideshow/picture/core/layout_settings.h"
#include "slideshow/core/prepared_images.h"
#include "slideshow/picture/core/screen_format.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Korva::QELD {

using ImageRenderer =
    std::function<std::vector<std::uint8_t>(const std::u16string&, const ImageParameters&)>;

// What rendering one prepared image needs, copied out of its entry, so that
// the file is read and decoded without the list's lock. The picture number
// tells whether the entry still stands for the same contents afterwards.
struct PreparedImageJob {
    std::u16string source;
    ImageParameters key;
    std::uint64_t picture = 0;
    ImageRenderer render;
};

// One picture of a picture list. Its prepared images, one per screen format
// and layout it was asked for, live in the process's bounded cache. Not
// thread-safe: the owning list's mutex guards it.
class ImageEntry : noncopyable {
public:
    // The renderer is renderImage in the service; tests give their own.
    ImageEntry(std::u16string path, LayoutSettings layout, PreparedImages& images,
               ImageRenderer render, FileStamp stamp = {});
    ~ImageEntry();

    const std::u16string& path() const noexcept { return path_; }
    const LayoutSettings& layout() const noexcept { return layout_; }
    const FileStamp& stamp() const noexcept { return stamp_; }
    std::uint64_t picture() const noexcept { return picture_; }

    // The file the picture is read from: its path, or its local copy.
    const std::u16string& source() const noexcept { return source_; }
    void readFrom(std::u16string source) { source_ = std::move(source); }

    // The prepared bytes for the screen, rendered when the cache does not
    // hold them (first request, or dropped since to stay within its limit).
    // A render failure passes through and leaves the cache as it was.
    std::vector<std::uint8_t> getImage(const ScreenFormat& format);

    // The held bytes for the screen, or what rendering them needs.
    std::optional<std::vector<std::uint8_t>> cached(const ScreenFormat& format);
    PreparedImageJob job(const ScreenFormat& format) const;

    // Forgets every prepared image, so that the next request reads the file
    // again (after the file changed), from its path: a copy of it is out of
    // date. The entry takes a new picture number, so that a render of the
    // old contents still under way is not kept.
    void clearCache();

    // A listing's stamp; other than the entry's means new contents.
    void restamp(const FileStamp& stamp);

private:
    std::u16string path_;
    std::u16string source_;
    LayoutSettings layout_;
    PreparedImages& images_;
    std::uint64_t picture_;
    ImageRenderer render_;
    FileStamp stamp_;
};

} // namespace Korva::QELD
