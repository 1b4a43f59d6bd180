#pragma once

#include "common/core/noncopyable.h"

#include <windows.h>

namespace Korva::Win32 {

// COM initialised on the calling thread for the life of the object, with the
// given COINIT flags. A thread already in an apartment of another kind
// (RPC_E_CHANGED_MODE) fails like any other error. The destructor must run
// on the thread that made the object.
class ComApartment : noncopyable {
public:
    // Throws std::system_error (HRESULT category) when COM cannot be
    // initialised; the thread is then left as it was.
    explicit ComApartment(DWORD flags);
    // An object exists only where the initialisation succeeded, so this
    // always balances it, also when COM was initialised on the thread
    // already (S_FALSE counts as one more initialisation).
    ~ComApartment();
};

} // namespace Korva::Win32
