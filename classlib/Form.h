#pragma once
// The window and dialog layer. Every window of the desktop client is a dialog made from a
// DIALOGEX template of the program's resources, driven by one TForm object:
// - the object is bound to its window at WM_INITDIALOG and unbound at WM_NCDESTROY;
// - handlers are members registered per message, per command id and notification code, and per
//   control message; each runs inside the handler boundary (HandlerBoundary.h): commands and
//   handlers registered as user actions show an error, every other handler only logs it;
// - product code names controls and menu items by their ids (Main/res/ControlIds.h), so that a
//   misspelt name does not compile; the tests' fixture (tests/win/support/FormDriver.h) finds
//   them by the component names of the form's control table;
// - where the control table fixes a place in pixels, the control is put there when the window is
//   made (dialog units do not map onto pixels exactly);
// - a form is shown modelessly (Show, Hide) or modally (ShowModal, ended by ModalResult).
//
// A form reaches the client core through Globals (Main/core/VEKGlobals.h), and what a test must
// answer (message boxes, program starts, the clipboard, the notification area) through the seams
// of UiSeams.h. While the main window lives, a blocking request of the core (Globals->HttpGet,
// the public-IP check) keeps messages flowing (the anti-freeze, AntiFreeze.h): timers, menu
// commands and other handlers of every form run before it returns. The handler that made it may
// find its form and Globals changed, and keeps its own controls from starting it again (the
// account dialog disables them while it registers).
//
// Handlers are registered before CreateWindowFromTemplate: the window is sent messages while it
// is made. The one exception is the host selection's minimum size (WM_GETMINMAXINFO, Unit2.cpp),
// registered after it, so that the dialog is made at its designed client size; where the system's
// frames are thinner than designed, it then grows to the minimum about the same centre.
//
// A new window takes these files, in this order:
// 1. Main/res/ControlIds.h: the template's id and one id per control and menu item;
// 2. Main/res/Forms.rc: its DIALOGEX template (and MENUEX where it has a menu);
// 3. Main/forms/UnitN.h and UnitN.cpp: the TForm subclass with its handlers, and UnitNLayout.cpp:
//    the control table (id, component name, pixel place) and the TFormLayout; a window not named
//    UnitN (PasswordPrompt) keeps its control table and TFormLayout at the top of its own .cpp;
// 4. Main/forms/CMakeLists.txt: its sources in the vek_forms library;
// 5. tests/win/forms/<Name>Test.cpp, added with vek_window_test in that folder's CMakeLists.txt:
//    the window driven through FormDriver, with a screenshot saved under build/win/screenshots.
#include "classlib/Seams.h"
#include "classlib/WinHandles.h"

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vek {

inline constexpr int mrNone = 0;
inline constexpr int mrOk = IDOK;
inline constexpr int mrCancel = IDCANCEL;

struct PixelRect {
    int left;
    int top;
    int width;
    int height;
};

// One control or menu item of a form: its id in the template, its component name, and the place
// in client pixels where one is fixed.
struct TFormControl {
    int id;
    const char* name;
    std::optional<PixelRect> pixels = std::nullopt;
};

enum class TPosition { Designed, ScreenCenter, OwnerCenter };

struct TFormLayout {
    // The form's name (tests and logs find forms by it) and its DIALOGEX template.
    const char* name;
    int templateId;
    // The window class of a form that needs its own (the main window's class is part of its
    // identity); nullptr for the system's dialog class. Registered at first use with the icon.
    const char* windowClass;
    int iconId;
    // The client area in pixels; {0, 0} keeps the template's size.
    SIZE clientSize;
    TPosition position;
    std::span<const TFormControl> controls;
};

class TForm;

// Told when a form is about to run its modal loop; tests answer modal forms through it.
class IModalHook {
public:
    virtual ~IModalHook() = default;
    virtual void Showing(TForm& form) = 0;
};

class TForm {
public:
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    const char* Name() const { return layout_.name; }
    HWND Handle() const { return handle_; }

    // A control of the form by its id from Main/res/ControlIds.h: the product's one way to name
    // a control, so that a misspelt name does not compile.
    HWND Control(int id) const;
    std::string ControlText(int id) const;
    void SetControlText(int id, const std::string& text);
    void SetControlEnabled(int id, bool enabled);
    void SetControlVisible(int id, bool visible);
    PixelRect ControlPlace(int id) const;
    void SetControlPlace(int id, const PixelRect& place);

    // By component name, for the tests' fixture, which finds controls and menu items as the
    // form's control table names them; product code names them by id. An unknown name is an
    // error; NameOf is empty for an id the table does not name.
    int IdOf(std::string_view name) const;
    std::string_view NameOf(int id) const;
    HWND Control(std::string_view name) const { return Control(IdOf(name)); }
    std::string ControlText(std::string_view name) const { return ControlText(IdOf(name)); }
    PixelRect ControlPlace(std::string_view name) const { return ControlPlace(IdOf(name)); }

    bool Visible() const;
    void Show();
    void Hide();
    // Asks the window to close, as its close box does.
    void Close();

    // Shows the form and runs its modal loop until ModalResult is set, or the window is gone;
    // returns ModalResult. A loop that WM_QUIT ends returns Cancel, and EndedOnQuit() tells it
    // from a Cancel the user chose; the quit is posted again for the loop that owns it.
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    bool EndedOnQuit() const { return endedOnQuit_; }

protected:
    explicit TForm(const TFormLayout& layout);

    // Makes the window from its template; called at the end of the derived constructor, after the
    // handlers are registered. An owner of nullptr makes an unowned window.
    void CreateWindowFromTemplate(HWND owner);

    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
    using Action = std::function<void()>;

    // A command of a control or menu item (BN_CLICKED, STN_CLICKED and menu commands are code 0):
    // a user action. Commands of a disabled control are not run.
    void OnCommand(int id, Action action) { OnCommand(id, 0, std::move(action)); }
    void OnCommand(int id, WORD code, Action action);
    // WM_NOTIFY of a control.
    void OnNotify(int id, UINT code, std::function<LRESULT(NMHDR&)> handler);
    // Any other message of the form's window; a user action shows its errors.
    void OnMessage(UINT message, MessageHandler handler, bool userAction = false);
    // A message to one control (hover, cursor, wheel, clicks on pictures); the handler's result
    // is the control's answer, std::nullopt lets the control handle the message itself.
    using ControlHandler = std::function<std::optional<LRESULT>(WPARAM, LPARAM)>;
    void OnControlMessage(int id, UINT message, ControlHandler handler, bool userAction = false);

    // The form's background colour (the system's dialog colour until set) and the text colour
    // and font of single controls.
    void SetColor(COLORREF color);
    struct Look {
        std::optional<COLORREF> textColor;
        std::optional<COLORREF> backColor;
        HFONT font = nullptr;
    };
    void SetControlLook(int id, const Look& look);
    // A font that lives as long as the form.
    HFONT MakeFont(const char* face, int height, int weight = FW_NORMAL, bool underline = false);
    // The hand cursor over a control.
    void UseHandCursor(int id);

    // Asked when the window is about to close; false keeps it open.
    virtual bool FormCloseQuery() { return true; }
    // After a close was granted: hides the window.
    virtual void FormClose() {}
    // A main form ends the program's message loop when it closes.
    void MakeMainForm() { mainForm_ = true; }
    // A form that never takes the focus when its window is made: a dialog's first control would
    // take it, which activates the dialog even while it is hidden.
    void TakeNoFocusAtCreation() { focusAtCreation_ = false; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR form);
    void Bind(HWND window);
    void Unbind();
    std::optional<LRESULT> Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> HandleCommand(WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> HandleColor(UINT message, HDC dc, HWND control);
    void HandleClose();
    void ApplyLayout();
    void Place();

    const TFormLayout& layout_;
    HWND handle_ = nullptr;
    bool mainForm_ = false;
    bool focusAtCreation_ = true;
    bool modal_ = false;
    bool endedOnQuit_ = false;
    int modalResult_ = mrNone;

    std::map<std::pair<int, WORD>, Action> commands_;
    std::map<std::pair<int, UINT>, std::function<LRESULT(NMHDR&)>> notifications_;
    std::map<UINT, std::pair<MessageHandler, bool>> messages_;
    std::map<std::pair<int, UINT>, std::pair<ControlHandler, bool>> controlMessages_;

    HBRUSH BrushOf(COLORREF color);

    std::map<int, Look> looks_;
    std::optional<COLORREF> color_;
    std::map<COLORREF, UniqueGdiObject<HBRUSH>> brushes_;
    std::vector<UniqueGdiObject<HFONT>> fonts_;
};

} // namespace vek

namespace seams {
template <> vek::IModalHook*& Seam<vek::IModalHook>::Current();
}
