#pragma once

#include <cstdio>
#include <cstdlib>

namespace Korva::Fuzz {

// A broken invariant is a finding like a sanitizer report: the fuzzer keeps
// the input that caused it.
inline void check(bool holds, const char* invariant) {
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
}

} // namespace Korva::Fuzz
