#pragma once

#include <windows.h>

#include <cstddef>

namespace Korva::QELD {

// The local pipe on which the running slideshow answers status queries.
inline constexpr const wchar_t* statusPipeName = L"\\\\.\\pipe\\QELDSVC.status";

// How long one connection may take, from connecting to the client closing
// its end after the reply. A client that sends nothing or never reads loses
// its connection after this; it never delays the slideshow, which the
// server does not wait for or make wait.
inline constexpr DWORD statusConnectionTimeout = 2000;

// The longest reply a client reads: far above the status of the most tablets
// and lists the slideshow serves, far below what could strain a client.
inline constexpr std::size_t statusReplyLimit = 4 * 1024 * 1024;

} // namespace Korva::QELD
