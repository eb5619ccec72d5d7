// The main window's status rows as the core writes them: labels, lights, the status bar, and the
// window's visibility with its taskbar button.
#include "Main/forms/Unit1.h"

#include "Main/res/ControlIds.h"
#include "classlib/AutoSizeLabel.h"

#include <commctrl.h>

namespace vek {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr int kLightSize = 24;

int LightId(StatusLight light) {
    switch (light) {
    case StatusLight::JvImageSquare1:
        return IDC_VEK_JVIMAGESQUARE1;
    case StatusLight::JvImageSquare2:
        return IDC_VEK_JVIMAGESQUARE2;
    case StatusLight::JvImageSquare3:
        return IDC_VEK_JVIMAGESQUARE3;
    }
    return 0;
}

} // namespace

void TVEK::MakeLook() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    ImageList1.reset(::ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_LIGHTS), kLightSize, 0,
                                            CLR_NONE, IMAGE_BITMAP, LR_CREATEDIBSECTION));
    SetColor(kWhite);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(TForm::Handle(), WM_GETFONT, 0, 0));
    for (const int blue : {IDC_VEK_LABEL4, IDC_VEK_LABEL6, IDC_VEK_LABEL8}) {
        SetControlLook(blue, {kBlue, std::nullopt, font});
    }
    UseHandCursor(IDC_VEK_IMAGE1);
    // The status bar takes its place at the bottom from the window's size.
    ::SendMessageA(Control(IDC_VEK_STATUSBAR1), WM_SIZE, 0, 0);
    for (const int label :
         {IDC_VEK_LABEL1, IDC_VEK_LABEL3, IDC_VEK_LABEL4, IDC_VEK_LABEL5, IDC_VEK_LABEL6,
          IDC_VEK_LABEL7, IDC_VEK_LABEL8, IDC_VEK_LABEL9, IDC_VEK_LABEL10}) {
        FitLabelToCaption(Control(label));
    }
    // The summary rows as designed: each label where the one before it ends.
    SetLabelLeft(MainLabel::Label9, LabelLeft(MainLabel::Label8) + LabelWidth(MainLabel::Label8));
}

int TVEK::LabelId(MainLabel label) { return IDC_VEK_LABEL1 + static_cast<int>(label) - 1; }

HWND TVEK::Label(MainLabel label) const { return Control(LabelId(label)); }

void TVEK::SetLabelCaption(MainLabel label, const std::string& caption) {
    ::SetWindowTextA(Label(label), caption.c_str());
    // The client id label keeps its width and ends in an ellipsis.
    if (label != MainLabel::Label2) {
        FitLabelToCaption(Label(label));
    }
}

void TVEK::SetLabelHint(MainLabel label, const std::string& hint) { hints_[label] = hint; }

int TVEK::LabelLeft(MainLabel label) {
    RECT place{};
    ::GetWindowRect(Label(label), &place);
    ::MapWindowPoints(HWND_DESKTOP, TForm::Handle(), reinterpret_cast<POINT*>(&place), 2);
    return place.left;
}

void TVEK::SetLabelLeft(MainLabel label, int left) {
    RECT place{};
    ::GetWindowRect(Label(label), &place);
    ::MapWindowPoints(HWND_DESKTOP, TForm::Handle(), reinterpret_cast<POINT*>(&place), 2);
    // Painted whole at its new place rather than copied from its old one: a label moved while a
    // dialog over it has just closed would otherwise keep the pixels of what covered it.
    ::SetWindowPos(Label(label), nullptr, left, place.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

int TVEK::LabelWidth(MainLabel label) {
    RECT place{};
    ::GetWindowRect(Label(label), &place);
    return place.right - place.left;
}

void TVEK::SetLabelVisible(MainLabel label, bool visible) {
    ::ShowWindow(Label(label), visible ? SW_SHOW : SW_HIDE);
}

void TVEK::SetLightImage(StatusLight light, int imageIndex) {
    lights_[light] = imageIndex;
    ::InvalidateRect(Control(LightId(light)), nullptr, TRUE);
}

LRESULT TVEK::DrawLight(const DRAWITEMSTRUCT& item) {
    for (const auto& [light, image] : lights_) {
        if (static_cast<int>(item.CtlID) == LightId(light)) {
            ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            ::ImageList_Draw(ImageList1.get(), image, item.hDC, item.rcItem.left, item.rcItem.top,
                             ILD_NORMAL);
            return TRUE;
        }
    }
    return FALSE;
}

void TVEK::SetStatusText(const std::string& text) {
    ::SendMessageA(Control(IDC_VEK_STATUSBAR1), SB_SETTEXTA, 0,
                   reinterpret_cast<LPARAM>(text.c_str()));
}

void TVEK::SetVisible(bool visible) {
    if (visible) {
        Show();
    } else {
        Hide();
    }
}

void TVEK::SetShowOnTaskbar(bool show) {
    // With the button on, the window is unowned and an application window; with it off, the
    // hidden application window owns it, and a hidden window has no button.
    HWND window = TForm::Handle();
    LONG_PTR style = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
    style = show ? (style | WS_EX_APPWINDOW) : (style & ~WS_EX_APPWINDOW);
    ::SetWindowLongPtrA(window, GWL_EXSTYLE, style);
    ::SetWindowLongPtrA(window, GWLP_HWNDPARENT,
                        show ? 0 : reinterpret_cast<LONG_PTR>(applicationWindow_.get()));
}

} // namespace vek
