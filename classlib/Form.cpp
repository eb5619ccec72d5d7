#include "classlib/Form.h"

#include "classlib/ClassLibError.h"
#include "classlib/HandlerBoundary.h"
#include "classlib/MessagePump.h"

#include <commctrl.h>

#include <algorithm>

namespace vek {
namespace {

class NoModalHook final : public IModalHook {
public:
    void Showing(TForm&) override {}
};

// Messages whose answer a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

RECT WindowRectIn(HWND window, HWND parent) {
    RECT place{};
    ::GetWindowRect(window, &place);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

LRESULT RunMessageHandler(const std::function<LRESULT(WPARAM, LPARAM)>& handler, bool userAction,
                          HWND window, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    const auto run = [&] { result = handler(wParam, lParam); };
    if (userAction) {
        RunUserAction(window, run);
    } else {
        RunQuietly(run);
    }
    return result;
}

// A dialog class of its own: the system's dialog procedure with the form's icon.
void RegisterFormClass(const char* name, int iconId) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    if (::GetClassInfoExA(instance, name, &windowClass)) {
        return;
    }
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &::DefDlgProcA;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    if (iconId != 0) {
        windowClass.hIcon = static_cast<HICON>(
            ::LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                         ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), LR_SHARED));
        windowClass.hIconSm = static_cast<HICON>(::LoadImageA(
            instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
            ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
    windowClass.lpszClassName = name;
    if (::RegisterClassExA(&windowClass) == 0) {
        const DWORD error = ::GetLastError();
        throw EClassLibError(std::string("The window class ") + name +
                             " could not be registered (error " + std::to_string(error) + ")");
    }
}

// The common controls the templates use (status bar, list view, animation) are registered once.
void RegisterCommonControls() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    static_cast<void>(registered);
}

} // namespace

TForm::TForm(const TFormLayout& layout) : layout_(layout) {}

TForm::~TForm() {
    if (handle_ != nullptr) {
        // No handler of a half-destroyed object may run while the window goes.
        HWND window = handle_;
        Unbind();
        ::DestroyWindow(window);
    }
}

void TForm::CreateWindowFromTemplate(HWND owner) {
    RegisterCommonControls();
    if (layout_.windowClass != nullptr) {
        RegisterFormClass(layout_.windowClass, layout_.iconId);
    }
    HWND window =
        ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(layout_.templateId),
                             owner, &TForm::DialogProc, reinterpret_cast<LPARAM>(this));
    if (window == nullptr) {
        const DWORD error = ::GetLastError();
        throw EClassLibError(std::string("The window ") + layout_.name +
                             " could not be created (error " + std::to_string(error) + ")");
    }
}

INT_PTR CALLBACK TForm::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* form = reinterpret_cast<TForm*>(lParam);
        form->Bind(window);
        return form->focusAtCreation_ ? TRUE : FALSE;
    }
    auto* self = reinterpret_cast<TForm*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        self->Unbind();
        return FALSE;
    }
    const std::optional<LRESULT> result = self->Dispatch(message, wParam, lParam);
    if (!result) {
        return FALSE;
    }
    if (AnswersDirectly(message)) {
        return static_cast<INT_PTR>(*result);
    }
    ::SetWindowLongPtrA(window, DWLP_MSGRESULT, *result);
    return TRUE;
}

void TForm::Bind(HWND window) {
    handle_ = window;
    ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    AddDialogWindow(window);
    for (const auto& [key, handler] : controlMessages_) {
        ::SetWindowSubclass(::GetDlgItem(window, key.first), &TForm::ControlProc,
                            static_cast<UINT_PTR>(key.first), reinterpret_cast<DWORD_PTR>(this));
    }
    ApplyLayout();
}

void TForm::Unbind() {
    for (const auto& [key, handler] : controlMessages_) {
        ::RemoveWindowSubclass(::GetDlgItem(handle_, key.first), &TForm::ControlProc,
                               static_cast<UINT_PTR>(key.first));
    }
    RemoveDialogWindow(handle_);
    ::SetWindowLongPtrA(handle_, DWLP_USER, 0);
    handle_ = nullptr;
}

void TForm::ApplyLayout() {
    for (const TFormControl& control : layout_.controls) {
        HWND window = ::GetDlgItem(handle_, control.id);
        if (control.pixels && window != nullptr) {
            const PixelRect& place = *control.pixels;
            ::SetWindowPos(window, nullptr, place.left, place.top, place.width, place.height,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (layout_.clientSize.cx > 0) {
        // Sized from the frame's metrics first, then corrected by what the client area measures
        // (a menu bar may take more than one line).
        RECT frame{0, 0, layout_.clientSize.cx, layout_.clientSize.cy};
        ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrA(handle_, GWL_STYLE)),
                             ::GetMenu(handle_) != nullptr,
                             static_cast<DWORD>(::GetWindowLongPtrA(handle_, GWL_EXSTYLE)));
        int width = frame.right - frame.left;
        int height = frame.bottom - frame.top;
        ::SetWindowPos(handle_, nullptr, 0, 0, width, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client{};
        ::GetClientRect(handle_, &client);
        width += layout_.clientSize.cx - client.right;
        height += layout_.clientSize.cy - client.bottom;
        ::SetWindowPos(handle_, nullptr, 0, 0, width, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Place();
}

void TForm::Place() {
    RECT area{};
    HWND owner = ::GetWindow(handle_, GW_OWNER);
    if (layout_.position == TPosition::Designed) {
        return;
    }
    // A hidden owner (the hidden application window) has no place to centre on.
    if (layout_.position == TPosition::OwnerCenter && owner != nullptr &&
        ::IsWindowVisible(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT own{};
    ::GetWindowRect(handle_, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int left = area.left + (area.right - area.left - width) / 2;
    const int top = area.top + (area.bottom - area.top - height) / 2;
    ::SetWindowPos(handle_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::optional<LRESULT> TForm::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto found = messages_.find(message); found != messages_.end()) {
        const auto [handler, userAction] = found->second;
        return RunMessageHandler(handler, userAction, handle_, wParam, lParam);
    }
    switch (message) {
    case WM_COMMAND:
        return HandleCommand(wParam, lParam);
    case WM_NOTIFY: {
        auto& header = *reinterpret_cast<NMHDR*>(lParam);
        const auto found = notifications_.find({static_cast<int>(header.idFrom), header.code});
        if (found == notifications_.end()) {
            return std::nullopt;
        }
        const auto handler = found->second;
        LRESULT result = 0;
        RunUserAction(handle_, [&] { result = handler(header); });
        return result;
    }
    case WM_CLOSE:
        HandleClose();
        return 0;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return HandleColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
        return std::nullopt;
    }
}

std::optional<LRESULT> TForm::HandleCommand(WPARAM wParam, LPARAM) {
    const int id = LOWORD(wParam);
    const auto found = commands_.find({id, HIWORD(wParam)});
    if (found == commands_.end()) {
        return std::nullopt;
    }
    // A disabled control is never clicked (a dialog's Enter key asks for its default button
    // whatever its state).
    HWND control = ::GetDlgItem(handle_, id);
    if (control != nullptr && !::IsWindowEnabled(control)) {
        return 0;
    }
    const Action action = found->second;
    RunUserAction(handle_, action);
    return 0;
}

std::optional<LRESULT> TForm::HandleColor(UINT message, HDC dc, HWND control) {
    std::optional<COLORREF> back = color_;
    if (message != WM_CTLCOLORDLG) {
        if (const auto look = looks_.find(::GetDlgCtrlID(control)); look != looks_.end()) {
            if (look->second.textColor) {
                ::SetTextColor(dc, *look->second.textColor);
            }
            if (look->second.backColor) {
                back = look->second.backColor;
            }
        }
    }
    if (!back) {
        return std::nullopt;
    }
    ::SetBkColor(dc, *back);
    return reinterpret_cast<LRESULT>(BrushOf(*back));
}

HBRUSH TForm::BrushOf(COLORREF color) {
    UniqueGdiObject<HBRUSH>& brush = brushes_[color];
    if (!brush) {
        brush.reset(::CreateSolidBrush(color));
    }
    return brush.get();
}

void TForm::HandleClose() {
    bool mayClose = false;
    RunUserAction(handle_, [&] { mayClose = FormCloseQuery(); });
    if (!mayClose) {
        return;
    }
    if (modal_) {
        if (modalResult_ == mrNone) {
            modalResult_ = mrCancel;
        }
        return;
    }
    RunUserAction(handle_, [&] { FormClose(); });
    if (mainForm_) {
        ::DestroyWindow(handle_);
        ::PostQuitMessage(0);
        return;
    }
    Hide();
}

LRESULT CALLBACK TForm::ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR formPointer) {
    auto* form = reinterpret_cast<TForm*>(formPointer);
    const auto found = form->controlMessages_.find({static_cast<int>(id), message});
    if (found != form->controlMessages_.end()) {
        const auto [handler, userAction] = found->second;
        std::optional<LRESULT> result;
        const auto run = [&] { result = handler(wParam, lParam); };
        if (userAction) {
            RunUserAction(form->handle_, run);
        } else {
            RunQuietly(run);
        }
        if (result) {
            return *result;
        }
    }
    return ::DefSubclassProc(control, message, wParam, lParam);
}

void TForm::OnCommand(int id, WORD code, Action action) {
    commands_[{id, code}] = std::move(action);
}

void TForm::OnNotify(int id, UINT code, std::function<LRESULT(NMHDR&)> handler) {
    notifications_[{id, code}] = std::move(handler);
}

void TForm::OnMessage(UINT message, MessageHandler handler, bool userAction) {
    messages_[message] = {std::move(handler), userAction};
}

void TForm::OnControlMessage(int id, UINT message, ControlHandler handler, bool userAction) {
    const bool subclassed =
        std::any_of(controlMessages_.begin(), controlMessages_.end(),
                    [id](const auto& entry) { return entry.first.first == id; });
    controlMessages_[{id, message}] = {std::move(handler), userAction};
    if (handle_ != nullptr && !subclassed) {
        ::SetWindowSubclass(::GetDlgItem(handle_, id), &TForm::ControlProc,
                            static_cast<UINT_PTR>(id), reinterpret_cast<DWORD_PTR>(this));
    }
}

void TForm::UseHandCursor(int id) {
    OnControlMessage(id, WM_SETCURSOR, [](WPARAM, LPARAM) -> std::optional<LRESULT> {
        ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
    });
}

void TForm::SetColor(COLORREF color) {
    color_ = color;
    if (handle_ != nullptr) {
        ::InvalidateRect(handle_, nullptr, TRUE);
    }
}

void TForm::SetControlLook(int id, const Look& look) {
    looks_[id] = look;
    if (look.font != nullptr && handle_ != nullptr) {
        ::SendMessageA(::GetDlgItem(handle_, id), WM_SETFONT, reinterpret_cast<WPARAM>(look.font),
                       TRUE);
    }
}

HFONT TForm::MakeFont(const char* face, int height, int weight, bool underline) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    fonts_.emplace_back(::CreateFontIndirectA(&font));
    return fonts_.back().get();
}

int TForm::IdOf(std::string_view name) const {
    for (const TFormControl& control : layout_.controls) {
        if (name == control.name) {
            return control.id;
        }
    }
    throw EClassLibError(std::string(layout_.name) + " has no component named " +
                         std::string(name));
}

std::string_view TForm::NameOf(int id) const {
    for (const TFormControl& control : layout_.controls) {
        if (control.id == id) {
            return control.name;
        }
    }
    return {};
}

HWND TForm::Control(int id) const { return ::GetDlgItem(handle_, id); }

std::string TForm::ControlText(int id) const {
    HWND control = Control(id);
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TForm::SetControlText(int id, const std::string& text) {
    ::SetWindowTextA(Control(id), text.c_str());
}

void TForm::SetControlEnabled(int id, bool enabled) {
    ::EnableWindow(Control(id), enabled ? TRUE : FALSE);
}

void TForm::SetControlVisible(int id, bool visible) {
    ::ShowWindow(Control(id), visible ? SW_SHOW : SW_HIDE);
}

PixelRect TForm::ControlPlace(int id) const {
    const RECT place = WindowRectIn(Control(id), handle_);
    return {place.left, place.top, place.right - place.left, place.bottom - place.top};
}

void TForm::SetControlPlace(int id, const PixelRect& place) {
    ::SetWindowPos(Control(id), nullptr, place.left, place.top, place.width, place.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TForm::Visible() const { return handle_ != nullptr && ::IsWindowVisible(handle_) != FALSE; }

void TForm::Show() { ::ShowWindow(handle_, SW_SHOW); }

void TForm::Hide() { ::ShowWindow(handle_, SW_HIDE); }

void TForm::Close() { ::SendMessageA(handle_, WM_CLOSE, 0, 0); }

int TForm::ShowModal() {
    modalResult_ = mrNone;
    HWND owner = ::GetWindow(handle_, GW_OWNER);
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner) {
        ::EnableWindow(owner, FALSE);
    }
    modal_ = true;
    ::ShowWindow(handle_, SW_SHOW);
    ::SetForegroundWindow(handle_);
    seams::Seam<IModalHook>::Get().Showing(*this);
    endedOnQuit_ = !RunModalLoop([this] { return modalResult_ != mrNone || handle_ == nullptr; });
    modal_ = false;
    if (endedOnQuit_ || modalResult_ == mrNone) {
        modalResult_ = mrCancel;
    }
    // The owner is enabled before the dialog hides, so that the activation returns to it.
    if (disableOwner) {
        ::EnableWindow(owner, TRUE);
    }
    if (handle_ != nullptr) {
        ::ShowWindow(handle_, SW_HIDE);
    }
    return modalResult_;
}

} // namespace vek

namespace seams {
template <> vek::IModalHook*& Seam<vek::IModalHook>::Current() {
    static vek::NoModalHook none;
    static vek::IModalHook* current = &none;
    return current;
}
} // namespace seams
