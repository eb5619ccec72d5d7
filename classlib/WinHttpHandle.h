#pragma once
// The owner of WinHTTP handles (sessions, connections, requests). It has a header of its own
// because winhttp.h and wininet.h cannot be included in one source file.
#include "classlib/WinHandles.h"

#include <winhttp.h>

namespace vek {

struct InternetHandleTraits {
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET handle) { ::WinHttpCloseHandle(handle); }
};
using UniqueInternet = UniqueOwner<HINTERNET, InternetHandleTraits>;

} // namespace vek
