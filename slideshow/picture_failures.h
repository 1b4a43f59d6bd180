#pragma once

#include <set>
#include <string>
#include <utility>

namespace Korva::QELD {

// Remembers which pictures failed to render with which error, so that a bad
// file in the folder is reported once rather than at every slideshow tick.
class PictureFailures {
public:
    // Bad files that are later removed would otherwise stay remembered for
    // the life of the worker; past this many the memory starts afresh, at the
    // price of one more report for the files still bad.
    static constexpr std::size_t remembered = 256;

    // True the first time this picture fails with this error value.
    bool firstFailure(const std::u16string& picture, int error) {
        if (failures_.size() >= remembered)
            failures_.clear();
        return failures_.emplace(picture, error).second;
    }

    // A picture that renders again may be reported again if it breaks later.
    void rendered(const std::u16string& picture) {
        std::erase_if(failures_, [&](const auto& failure) { return failure.first == picture; });
    }

private:
    std::set<std::pair<std::u16string, int>> failures_;
};

} // namespace Korva::QELD
