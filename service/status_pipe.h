#pragma once

#include <windows.h>

namespace Korva::QELD {

// The local pipe on which the running slideshow answers status queries.
inline constexpr const wchar_t* statusPipeName = L"\\\\.\\pipe\\QELDSVC.status";

// How long one connection may take, from connecting to the client closing
// its end after the reply. A client that sends nothing or never reads loses
// its connection after this; it never delays the slideshow, which the
// server does not wait for or make wait.
inline constexpr DWORD statusConnectionTimeout = 2000;

} // namespace Korva::QELD
