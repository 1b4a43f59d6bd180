#include "slideshow/core/prepared_images.h"

namespace Korva::QELD {

std::uint64_t PreparedImages::newPicture() {
    const std::lock_guard lock(mutex_);
    return ++lastPicture_;
}

std::optional<std::vector<std::uint8_t>> PreparedImages::find(std::uint64_t picture,
                                                              const ImageParameters& key) {
    const std::lock_guard lock(mutex_);
    const auto images = index_.find(picture);
    if (images == index_.end())
        return std::nullopt;
    const auto found = images->second.find(key);
    if (found == images->second.end())
        return std::nullopt;
    order_.splice(order_.begin(), order_, found->second);
    return found->second->bytes;
}

void PreparedImages::insert(std::uint64_t picture, const ImageParameters& key,
                            const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() > limit_)
        return;
    const std::lock_guard lock(mutex_);
    if (const auto images = index_.find(picture); images != index_.end()) {
        if (const auto found = images->second.find(key); found != images->second.end())
            drop(found->second);
    }
    while (!order_.empty() && bytes_ + bytes.size() > limit_)
        drop(std::prev(order_.end()));
    order_.push_front({picture, key, bytes});
    index_[picture].emplace(key, order_.begin());
    bytes_ += bytes.size();
}

void PreparedImages::forget(std::uint64_t picture) {
    const std::lock_guard lock(mutex_);
    const auto images = index_.find(picture);
    if (images == index_.end())
        return;
    for (const auto& [key, held] : images->second) {
        bytes_ -= held->bytes.size();
        order_.erase(held);
    }
    index_.erase(images);
}

std::size_t PreparedImages::bytes() {
    const std::lock_guard lock(mutex_);
    return bytes_;
}

std::size_t PreparedImages::images() {
    const std::lock_guard lock(mutex_);
    return order_.size();
}

void PreparedImages::drop(Order::iterator held) {
    const auto images = index_.find(held->picture);
    images->second.erase(held->key);
    if (images->second.empty())
        index_.erase(images);
    bytes_ -= held->bytes.size();
    order_.erase(held);
}

} // namespace Korva::QELD
