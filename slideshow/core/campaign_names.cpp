#include "slideshow/core/campaign_names.h"

#include <cstddef>

namespace Korva::QELD {
namespace {

using namespace std::chrono;

bool isDigit(char16_t unit) {
    return unit >= u'0' && unit <= u'9';
}

// A date as written, before the calendar is asked whether it exists.
struct WrittenDate {
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    // Month and day were written with two digits each.
    bool exact = false;
};

class NameReader {
public:
    explicit NameReader(std::u16string_view text) : text_(text) {}

    // Reads least to most digits; false when there are fewer than least.
    bool number(std::size_t least, std::size_t most, unsigned& value, std::size_t& count) {
        value = 0;
        count = 0;
        while (count < most && next() && isDigit(text_[at_])) {
            value = value * 10 + (text_[at_++] - u'0');
            ++count;
        }
        return count >= least;
    }

    // A date in the loose shape YYYY-M-D, which tells what was meant.
    bool date(WrittenDate& date) {
        unsigned year = 0;
        std::size_t yearDigits = 0;
        std::size_t monthDigits = 0;
        std::size_t dayDigits = 0;
        if (!number(4, 4, year, yearDigits) || !take(u'-') ||
            !number(1, 2, date.month, monthDigits) || !take(u'-') ||
            !number(1, 2, date.day, dayDigits))
            return false;
        date.year = static_cast<int>(year);
        date.exact = monthDigits == 2 && dayDigits == 2;
        return true;
    }

    std::size_t spaces() {
        std::size_t count = 0;
        while (take(u' '))
            ++count;
        return count;
    }

    // The word "to" in any case, ending the name or followed by a space.
    bool to() {
        if (text_.size() - at_ < 2 || (text_[at_] | 0x20) != u't' ||
            (text_[at_ + 1] | 0x20) != u'o')
            return false;
        if (text_.size() - at_ > 2 && text_[at_ + 2] != u' ')
            return false;
        at_ += 2;
        return true;
    }

    bool take(char16_t unit) {
        if (!next() || text_[at_] != unit)
            return false;
        ++at_;
        return true;
    }

    bool digitFollows() const { return next() && isDigit(text_[at_]); }

private:
    bool next() const { return at_ < text_.size(); }

    std::u16string_view text_;
    std::size_t at_ = 0;
};

CampaignName invalid(const char* problem) {
    return {CampaignName::Invalid, {}, {}, problem};
}

} // namespace

CampaignName parseCampaignName(std::u16string_view name) {
    NameReader reader(name);
    WrittenDate from;
    const bool startsWithDate = reader.date(from);
    const std::size_t before = startsWithDate ? reader.spaces() : 0;
    if (before == 0 || !reader.to())
        return {};
    // From here on the name was meant as a campaign's dates.
    const std::size_t after = reader.spaces();
    WrittenDate to;
    if (!reader.date(to) || before != 1 || after != 1 || !from.exact || !to.exact ||
        reader.digitFollows())
        return invalid("the dates are not written YYYY-MM-DD to YYYY-MM-DD");
    const year_month_day first{year(from.year), month(from.month), day(from.day)};
    const year_month_day last{year(to.year), month(to.month), day(to.day)};
    if (!first.ok())
        return invalid("the first date does not exist");
    if (!last.ok())
        return invalid("the last date does not exist");
    if (sys_days(last) < sys_days(first))
        return invalid("the last date is before the first");
    return {CampaignName::Valid, sys_days(first), sys_days(last), nullptr};
}

} // namespace Korva::QELD
