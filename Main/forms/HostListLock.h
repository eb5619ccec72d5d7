#pragma once
// The host-list lock: a password whose hash is stored as HostPassword, asked before the host
// selection opens while the lock flag of the stored client key is set.
#include <windows.h>

#include <string>

namespace vek {

// The upper-case hexadecimal SHA-1 of the password's bytes followed by a fixed text.
std::string HostPasswordHash(const std::string& password);

// Whether the host selection may open now. Unlocked it may; locked, the user is asked for the
// password until it is right or they give up; with the lock flag set but no stored password
// (damaged) it may not, and the user is told so. Prompts and boxes are owned by owner.
bool PassHostListGate(HWND owner);

} // namespace vek
