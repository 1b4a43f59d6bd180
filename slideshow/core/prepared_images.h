#pragma once

#include "common/core/noncopyable.h"
#include "slideshow/picture/core/image_parameters.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace Korva::QELD {

// The prepared images of every picture of every list of the process, held
// within a limit on their bytes: past it the least recently shown images are
// dropped, and a dropped picture is rendered again when it is next due. A
// picture is known by the number it was given when its entry was made.
// Thread-safe; its mutex is taken last, after any list's.
class PreparedImages : noncopyable {
public:
    static constexpr std::size_t defaultLimit = 64 << 20;

    explicit PreparedImages(std::size_t limit = defaultLimit) : limit_(limit) {}

    // A number no other picture of this cache has.
    std::uint64_t newPicture();

    // A copy of the prepared bytes, which now count as the most recently
    // shown; nothing when they are not held.
    std::optional<std::vector<std::uint8_t>> find(std::uint64_t picture,
                                                  const ImageParameters& key);

    // Holds the bytes as the most recently shown, dropping the least
    // recently shown until everything fits. An image larger than the whole
    // limit is not held.
    void insert(std::uint64_t picture, const ImageParameters& key,
                const std::vector<std::uint8_t>& bytes);

    // Drops every image of the picture (its file changed or it left its list).
    void forget(std::uint64_t picture);

    std::size_t bytes();
    std::size_t images();

private:
    struct Held {
        std::uint64_t picture;
        ImageParameters key;
        std::vector<std::uint8_t> bytes;
    };
    using Order = std::list<Held>;

    void drop(Order::iterator held);

    std::mutex mutex_;
    const std::size_t limit_;
    std::size_t bytes_ = 0;
    std::uint64_t lastPicture_ = 0;
    Order order_; // most recently shown first
    std::map<std::uint64_t, std::map<ImageParameters, Order::iterator>> index_;
};

} // namespace Korva::QELD
