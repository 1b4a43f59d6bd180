#pragma once

namespace Korva {

// Base for objects that own handles or threads: they are neither copied nor
// moved, so exactly one object ever releases what it owns.
class noncopyable {
protected:
    noncopyable() = default;
    ~noncopyable() = default;

public:
    noncopyable(const noncopyable&) = delete;
    noncopyable& operator=(const noncopyable&) = delete;
};

} // namespace Korva
