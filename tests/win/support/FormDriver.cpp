#include "tests/win/support/FormDriver.h"

#include "classlib/MessagePump.h"

#include <commctrl.h>

#include <algorithm>

namespace vek::testing {

int MessageBoxScript::MessageBoxA(HWND, const std::string& text, const std::string& caption,
                                  UINT type) {
    shown.push_back({text, caption, type});
    if (answers_.empty()) {
        ADD_FAILURE() << "a message box without a scripted answer: " << text;
        return IDCANCEL;
    }
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void ModalScript::When(std::string formName, Step step) {
    steps_.emplace_back(std::move(formName), std::move(step));
}

void ModalScript::Showing(TForm& form) {
    shown.emplace_back(form.Name());
    if (steps_.empty() || steps_.front().first != form.Name()) {
        ADD_FAILURE() << "the form " << form.Name() << " was shown without a scripted step";
        form.SetModalResult(mrCancel);
        return;
    }
    const Step step = std::move(steps_.front().second);
    steps_.pop_front();
    step(form);
    if (form.ModalResult() == mrNone && form.Handle() != nullptr) {
        ADD_FAILURE() << "the scripted step left the form " << form.Name() << " open";
        form.SetModalResult(mrCancel);
    }
}

UINT ProgramLaunches::WinExec(const std::string& commandLine, UINT showCommand) {
    launched.push_back({commandLine, showCommand});
    return answer;
}

BOOL NotifyIconRecorder::Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
    calls.push_back({message, data->hWnd, data->uCallbackMessage, data->szTip});
    BOOL answer = TRUE;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    if (answer) {
        shown = message != NIM_DELETE;
        tip = data->szTip;
    }
    return answer;
}

int NotifyIconRecorder::Count(DWORD message) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [message](const Call& call) {
        return call.message == message;
    }));
}

namespace {
constexpr UINT kRunAction = WM_APP + 7;
}

PostedAction::PostedAction(std::function<void()> action)
    : action_(std::move(action)),
      window_(::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleA(nullptr), nullptr)) {
    ::SetWindowSubclass(window_, &PostedAction::Proc, 1, reinterpret_cast<DWORD_PTR>(this));
    ::PostMessageA(window_, kRunAction, 0, 0);
}

PostedAction::~PostedAction() {
    ::RemoveWindowSubclass(window_, &PostedAction::Proc, 1);
    ::DestroyWindow(window_);
}

LRESULT CALLBACK PostedAction::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR self) {
    if (message == kRunAction) {
        auto& posted = *reinterpret_cast<PostedAction*>(self);
        posted.ran_ = true;
        posted.action_();
        return 0;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void Click(TForm& form, std::string_view name) {
    HWND control = form.Control(name);
    ASSERT_NE(control, nullptr) << name;
    char className[32] = {};
    ::GetClassNameA(control, className, sizeof className);
    if (lstrcmpiA(className, "Button") == 0) {
        ::SendMessageA(control, BM_CLICK, 0, 0);
        return;
    }
    RECT client{};
    ::GetClientRect(control, &client);
    const LPARAM middle = MAKELPARAM(client.right / 2, client.bottom / 2);
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    ::SendMessageA(control, WM_LBUTTONUP, 0, middle);
}

void Type(TForm& form, std::string_view name, const std::string& text) {
    ::SetWindowTextA(form.Control(name), text.c_str());
}

bool IsEnabled(const TForm& form, std::string_view name) {
    return ::IsWindowEnabled(form.Control(name)) != FALSE;
}

bool IsShown(const TForm& form, std::string_view name) {
    return (::GetWindowLongPtrA(form.Control(name), GWL_STYLE) & WS_VISIBLE) != 0;
}

namespace {

void WalkMenu(const TForm& form, HMENU menu, int depth, std::vector<MenuItem>& items) {
    const int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        char caption[256] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = caption;
        info.cch = sizeof caption;
        ::GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
        const bool separator = (info.fType & MFT_SEPARATOR) != 0;
        items.push_back({depth, std::string(form.NameOf(static_cast<int>(info.wID))),
                         separator ? "-" : caption, (info.fState & MFS_DISABLED) == 0,
                         (info.fState & MFS_DEFAULT) != 0});
        if (info.hSubMenu != nullptr) {
            WalkMenu(form, info.hSubMenu, depth + 1, items);
        }
    }
}

} // namespace

std::vector<MenuItem> MenuTree(const TForm& form, HMENU menu) {
    std::vector<MenuItem> items;
    WalkMenu(form, menu, 0, items);
    return items;
}

void ChooseMenuItem(TForm& form, HMENU menu, std::string_view name) {
    const UINT id = static_cast<UINT>(form.IdOf(name));
    const UINT state = ::GetMenuState(menu, id, MF_BYCOMMAND);
    ASSERT_NE(state, static_cast<UINT>(-1)) << "no menu item " << name;
    ASSERT_EQ(state & (MF_DISABLED | MF_GRAYED), 0u) << "the menu item " << name << " is disabled";
    ::SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void PumpUntilIdle(DWORD bound) {
    const DWORD start = ::GetTickCount();
    MSG message;
    while (::GetTickCount() - start < bound &&
           ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (message.message == WM_QUIT) {
            return;
        }
        ::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
        DispatchThroughDialogs(message);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD bound) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start >= bound) {
            return false;
        }
        PumpUntilIdle(bound);
        if (!done()) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}

} // namespace vek::testing
