#pragma once
// The desktop client's window identity: the window class and caption that together are the
// single-instance key, and the message by which a second instance and the service reach it.
#include <windows.h>

namespace vek {

inline constexpr char kApplicationTitle[] = "Tarvo VEK";
inline constexpr char kMainWindowClass[] = "TVEK";
inline constexpr char kMainWindowCaption[] = "Tarvo VEK v3.0.4";
// wParam 1: another instance started; wParam 2: a service notice (lParam 1 started, 2 stopped).
inline constexpr UINT WM_CLIENTNOTIFY = 12690;

} // namespace vek
