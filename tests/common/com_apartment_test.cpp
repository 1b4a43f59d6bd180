#include "common/com_apartment.h"
#include "common/error_categories.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <thread>

using namespace Korva::Win32;

// A thread already in the other kind of apartment must get an error, and
// neither that failure nor a nested initialisation of the same kind may undo
// the thread's own apartment: a destructor that ran for either would leave
// the thread without COM while its owner still decodes pictures.
TEST(ComApartment, OtherKindFailsAndNestingBalancesOnlyItself) {
    std::thread([] {
        const ComApartment single(COINIT_APARTMENTTHREADED);
        try {
            const ComApartment multi(COINIT_MULTITHREADED);
            ADD_FAILURE() << "a multithreaded apartment inside a single-threaded one";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code(), std::error_code(RPC_E_CHANGED_MODE, HRESULT_category()));
            EXPECT_EQ(std::string(e.what()).rfind("CoInitializeEx", 0), 0u) << e.what();
        }
        { const ComApartment nested(COINIT_APARTMENTTHREADED); }
        // Still single-threaded: asking for the other kind is refused again.
        EXPECT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    }).join();
}
