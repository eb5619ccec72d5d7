#pragma once
// The current user's security identifier as text, the form under which the user's settings hive
// is named below HKEY_USERS. The service stores it as ServiceUser when it is installed.
#include <windows.h>

#include <string>

namespace vek {

// The buffer the SID text is built in, in characters.
inline constexpr DWORD kSidTextBufferSize = 261;

// The SID of the thread's token (an impersonated caller) or else of the process's token; empty
// on any failure.
std::string GetCurrentUserSid();

// The text of the token user's SID, written into buffer of size characters.
bool GetTokenUserSidText(HANDLE token, char* buffer, DWORD& size);

// Writes "S-1-<authority>-<sub-authority>..." into buffer. A buffer smaller than the text's
// largest possible size fails with ERROR_INSUFFICIENT_BUFFER, size set to that size.
bool SidToText(PSID sid, char* buffer, DWORD& size);

} // namespace vek
