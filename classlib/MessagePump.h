#pragma once
// The program's one message pump. The main loop, every modal loop, each round of the anti-freeze
// and the service application's loop dispatch through it. A message for a window inside an open
// dialog goes through IsDialogMessageA first, so Tab, Enter and Esc work in every dialog, modal
// ones included, also while a request blocks in a nested round.
#include <windows.h>

#include <functional>
#include <optional>

namespace vek {

// The dialogs whose keyboard navigation the pump serves; a dialog is added while its window lives.
void AddDialogWindow(HWND dialog);
void RemoveDialogWindow(HWND dialog);

// Dispatches one retrieved message, through its dialog where it has one.
void DispatchThroughDialogs(MSG& message);

// Dispatches everything queued now, without waiting. A WM_QUIT met on the way ends the round and
// is kept in `quit` (the first one counts) for the loop that owns it.
void DispatchQueued(std::optional<int>& quit);

// Dispatches everything queued now; a WM_QUIT met on the way is posted again for the loop that
// owns it.
void ProcessMessages();

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Runs until done() holds or WM_QUIT arrives, which is posted again for the outer loop. Returns
// false when it ended on WM_QUIT.
bool RunModalLoop(const std::function<bool()>& done);

} // namespace vek
