#pragma once

#include "tools/vtablet/drivers/kernel.h"

namespace Korva::VTablet::Kernel {

// The files of the opens that a tablet with the deny-open fault refused.
// Wine completes CreateFile whatever a driver answers to the create request,
// so such an open fails at its first request instead, with the status the
// create would have had; Windows fails the open itself.
class DeniedFiles {
public:
    static constexpr NTSTATUS status = STATUS_SHARING_VIOLATION;

    void init() { KeInitializeSpinLock(&lock_); }
    // False when the table is full: the open then fails as it would on
    // Windows, at the create.
    bool add(PFILE_OBJECT file) { return exchange(nullptr, file); }
    void remove(PFILE_OBJECT file) { exchange(file, nullptr); }
    bool contains(PFILE_OBJECT file) {
        KIRQL irql;
        KeAcquireSpinLock(&lock_, &irql);
        bool found = false;
        for (PFILE_OBJECT entry : files_)
            found = found || (file && entry == file);
        KeReleaseSpinLock(&lock_, irql);
        return found;
    }

private:
    bool exchange(PFILE_OBJECT from, PFILE_OBJECT to) {
        KIRQL irql;
        KeAcquireSpinLock(&lock_, &irql);
        bool done = false;
        for (PFILE_OBJECT& entry : files_) {
            if (!done && entry == from) {
                entry = to;
                done = true;
            }
        }
        KeReleaseSpinLock(&lock_, irql);
        return done;
    }

    KSPIN_LOCK lock_;
    PFILE_OBJECT files_[32] = {};
};

} // namespace Korva::VTablet::Kernel
