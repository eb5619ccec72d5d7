#pragma once
// An icon in the notification area ("tray") with a hint, a pop-up menu and a double-click action.
// The icon has a hidden window of its own that receives its callback message and the shell's
// "TaskbarCreated" broadcast (an Explorer that restarted has lost every icon: it is added again).
// When the notification area refuses the first add (the shell is still starting), the add is
// retried every kRetryInterval ms until it succeeds. The pop-up menu follows the rules of the
// notification area: its window comes to the foreground before the menu opens, and WM_NULL is
// posted to it afterwards, so that the menu closes when the user clicks elsewhere. The chosen
// item goes to the command target as a menu command. The icon is removed when it is made
// inactive or destroyed.
#include "classlib/Timer.h"
#include "classlib/WinHandles.h"

#include <windows.h>

#include <functional>
#include <string>

namespace vek {

class TTrayIcon {
public:
    // The icon's callback message on its window: lParam is the mouse message.
    static constexpr UINT WM_TRAYICONNOTIFY = WM_APP + 1;
    static constexpr UINT kRetryInterval = 1000;

    TTrayIcon();
    ~TTrayIcon();
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    // Free for the owner's use.
    int Tag = 0;
    std::function<void()> OnDblClick;

    void SetIcon(HICON icon);
    void SetHint(const std::string& hint);
    // The menu shown on a right click, and the window its commands go to (WM_COMMAND, code 0).
    void SetPopupMenu(HMENU menu, HWND commandTarget);

    // Activating adds the icon (retrying while refused); deactivating removes it.
    void SetActive(bool active);
    // Whether the notification area holds the icon now.
    bool Added() const { return added_; }

    // The icon's own window.
    HWND Handle() const { return window_.get(); }

    // Opens the pop-up menu at the cursor; returns when it has closed.
    void ShowPopupMenu();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void HandleNotify(LPARAM mouseMessage);
    void Add();
    bool Notify(DWORD action);

    UniqueWindow window_;
    UINT taskbarCreated_;
    HICON icon_ = nullptr;
    std::string hint_;
    HMENU menu_ = nullptr;
    HWND commandTarget_ = nullptr;
    bool active_ = false;
    bool added_ = false;
    TTimer retry_;
};

} // namespace vek
