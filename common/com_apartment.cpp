#include "common/com_apartment.h"

#include "common/error_categories.h"

#include <objbase.h>

namespace Korva::Win32 {

ComApartment::ComApartment(DWORD flags) {
    const HRESULT result = ::CoInitializeEx(nullptr, flags);
    if (FAILED(result))
        throwHResult(result, "CoInitializeEx");
}

ComApartment::~ComApartment() {
    ::CoUninitialize();
}

} // namespace Korva::Win32
