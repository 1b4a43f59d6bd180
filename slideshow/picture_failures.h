#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace Korva::QELD {

// Remembers which pictures failed to render, since when and with which
// errors reported, so that a file still being copied into the folder is
// retried quietly and a bad file is reported once rather than at every tick.
// All tablet workers share one, so that a bad file is reported once, not
// once per tablet.
class PictureFailures {
public:
    using Clock = std::chrono::steady_clock;

    // A picture that keeps failing for this long is reported.
    static constexpr std::chrono::seconds quietPeriod{10};

    // Bad files that are later removed would otherwise stay remembered for
    // the life of the worker; past this many the memory starts afresh, at the
    // price of one more quiet period for the files still bad.
    static constexpr std::size_t remembered = 256;

    enum class Verdict {
        Quiet,   // not failing long enough yet: try again soon, report nothing
        Report,  // failing for the quiet period: report this error now
        Reported // this error of this picture was reported already
    };

    Verdict failed(const std::u16string& picture, int error, Clock::time_point now) {
        const std::lock_guard lock(mutex_);
        if (failures_.size() >= remembered && !failures_.contains(picture))
            failures_.clear();
        Failure& failure = failures_.try_emplace(picture, now).first->second;
        if (now - failure.since < quietPeriod)
            return Verdict::Quiet;
        return failure.reported.insert(error).second ? Verdict::Report : Verdict::Reported;
    }

    // A picture that renders is forgotten: if it breaks later, it gets a
    // quiet period and a report of its own again.
    void rendered(const std::u16string& picture) {
        const std::lock_guard lock(mutex_);
        failures_.erase(picture);
    }

private:
    struct Failure {
        explicit Failure(Clock::time_point first) : since(first) {}
        Clock::time_point since;
        std::set<int> reported;
    };

    std::mutex mutex_;
    std::map<std::u16string, Failure> failures_;
};

} // namespace Korva::QELD
