// The account dialog's look and its idle, busy and error states; its links and their hover.
#include "Main/forms/Unit4.h"

#include "Main/core/VEKGlobals.h"
#include "Main/core/WebSite.h"
#include "Main/res/ControlIds.h"
#include "classlib/AutoSizeLabel.h"

#include <commctrl.h>

namespace vek {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr int kTopPanelHeight = 133;
constexpr int kAnimationSize = 32;
constexpr int kAnimationFrames = 8;
// Where the busy text stands beside the animation, and where the error texts stand.
constexpr int kBusyTextLeft = 173;
constexpr int kErrorLeft = 135;
constexpr int kMinimumEmailLength = 4;

// The labels on the white top panel.
constexpr int kPanelLabels[] = {
    IDC_USERPASS_LABEL3, IDC_USERPASS_LABEL5, IDC_USERPASS_LABEL7,  IDC_USERPASS_LABEL10,
    IDC_USERPASS_LABEL8, IDC_USERPASS_LABEL9, IDC_USERPASS_LABEL11, IDC_USERPASS_LABEL12,
};
constexpr int kLinkLabels[] = {IDC_USERPASS_LABEL4, IDC_USERPASS_LABEL6};
constexpr int kRequestControls[] = {IDC_USERPASS_EDIT1, IDC_USERPASS_EDIT2, IDC_USERPASS_BUTTON1,
                                    IDC_USERPASS_BUTTON2};

// How far the base line of a control's text lies below its top.
int Ascent(HWND control) {
    const UniqueWindowDc dc(control);
    const ScopedSelection font(dc.get(),
                               reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc.get(), &metrics);
    return metrics.tmAscent;
}

} // namespace

TUserPass::TUserPass(HWND owner)
    : TForm(kUserPassFormLayout), animation_(kAnimationInterval, false, [this] {
          frame_ = (frame_ + 1) % kAnimationFrames;
          ::InvalidateRect(Control(IDC_USERPASS_JVGIFANIMATOR1), nullptr, FALSE);
      }) {
    OnCommand(IDC_USERPASS_BUTTON1, [this] { Button1Click(); });
    OnCommand(IDC_USERPASS_BUTTON2, [this] { SetModalResult(mrCancel); });
    OnCommand(IDC_USERPASS_EDIT1, EN_CHANGE, [this] { Edit1Change(); });
    OnCommand(IDC_USERPASS_EDIT2, EN_CHANGE, [this] { Edit1Change(); });
    OnCommand(IDC_USERPASS_IMAGE1, [this] { Image1Click(); });
    OnCommand(IDC_USERPASS_LABEL4, [this] { Label4Click(); });
    OnCommand(IDC_USERPASS_LABEL6, [this] { Label6Click(); });
    for (const int link : kLinkLabels) {
        UseHandCursor(link);
        OnControlMessage(link, WM_MOUSEMOVE, [this, link](WPARAM, LPARAM) {
            if (!hovered_[link]) {
                Label4MouseEnter(link);
            }
            return std::nullopt;
        });
        OnControlMessage(link, WM_MOUSELEAVE, [this, link](WPARAM, LPARAM) {
            Label4MouseLeave(link);
            return std::nullopt;
        });
    }
    UseHandCursor(IDC_USERPASS_IMAGE1);
    OnMessage(WM_ERASEBKGND, [this](WPARAM wParam, LPARAM) {
        return EraseBackground(reinterpret_cast<HDC>(wParam));
    });
    OnMessage(WM_DRAWITEM, [this](WPARAM, LPARAM lParam) {
        return DrawAnimation(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    });
    CreateWindowFromTemplate(owner);
    // A dialog over a hidden owner could not be found again behind other windows.
    if (owner == nullptr || !::IsWindowVisible(owner)) {
        const LONG_PTR style = ::GetWindowLongPtrA(Handle(), GWL_EXSTYLE);
        ::SetWindowLongPtrA(Handle(), GWL_EXSTYLE, style | WS_EX_APPWINDOW);
    }
    FormCreate();
}

void TUserPass::FormCreate() {
    frames_.reset(::ImageList_LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_BUSY),
                                         kAnimationSize, 0, CLR_NONE, IMAGE_BITMAP,
                                         LR_CREATEDIBSECTION));
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(Handle(), WM_GETFONT, 0, 0));
    for (const int label : kPanelLabels) {
        SetControlLook(label, {std::nullopt, kWhite, font});
    }
    LOGFONTA bold{};
    ::GetObjectA(font, sizeof bold, &bold);
    SetControlLook(IDC_USERPASS_LABEL11,
                   {kRed, kWhite, MakeFont(bold.lfFaceName, bold.lfHeight, FW_BOLD)});
    linkFont_ = MakeFont("MS Sans Serif", -11);
    hoverFont_ = MakeFont("MS Sans Serif", -11, FW_NORMAL, true);
    for (const int link : kLinkLabels) {
        SetLinkLook(link, false);
    }
    ::SendMessageA(Control(IDC_USERPASS_EDIT2), EM_SETPASSWORDCHAR, '*', 0);
    // One line each, never wrapped.
    for (const int label : {IDC_USERPASS_LABEL3, IDC_USERPASS_LABEL5, IDC_USERPASS_LABEL8}) {
        FitLabelToCaption(Control(label));
    }
    PlaceAfter(IDC_USERPASS_LABEL4, IDC_USERPASS_LABEL7);
    PlaceAfter(IDC_USERPASS_LABEL10, IDC_USERPASS_LABEL4);
    PlaceAfter(IDC_USERPASS_LABEL9, IDC_USERPASS_LABEL6);
}

// Closing while the request is under way would leave its answer nowhere.
bool TUserPass::FormCloseQuery() { return !busy_; }

void TUserPass::Edit1Change() {
    SetControlEnabled(IDC_USERPASS_BUTTON1,
                      ControlText(IDC_USERPASS_EDIT1).size() >= kMinimumEmailLength &&
                          !ControlText(IDC_USERPASS_EDIT2).empty());
}

void TUserPass::Image1Click() { OpenLink(WebSiteUrl(Globals->Endpoints, "")); }

void TUserPass::Label4Click() { OpenLink(WebSiteUrl(Globals->Endpoints, "newUser.php")); }

void TUserPass::Label6Click() { OpenLink(WebSiteUrl(Globals->Endpoints, "forgotPw.php")); }

void TUserPass::OpenLink(const std::string& url) {
    pvlUrl1.Url = url;
    pvlUrl1.LaunchUrl();
}

void TUserPass::Label4MouseEnter(int label) {
    hovered_[label] = true;
    SetLinkLook(label, true);
    TRACKMOUSEEVENT tracking{sizeof tracking, TME_LEAVE, Control(label), 0};
    ::TrackMouseEvent(&tracking);
}

void TUserPass::Label4MouseLeave(int label) {
    hovered_[label] = false;
    SetLinkLook(label, false);
}

void TUserPass::SetLinkLook(int label, bool underlined) {
    SetControlLook(label, {kBlue, kWhite, underlined ? hoverFont_ : linkFont_});
    FitLabelToCaption(Control(label));
}

void TUserPass::ShowBusy() {
    busy_ = true;
    for (const int control : kRequestControls) {
        SetControlEnabled(control, false);
    }
    SetControlVisible(IDC_USERPASS_LABEL11, false);
    MoveLeft(IDC_USERPASS_LABEL12, kBusyTextLeft);
    SetControlText(IDC_USERPASS_LABEL12, "Authorizing VEK...");
    FitLabelToCaption(Control(IDC_USERPASS_LABEL12));
    SetControlVisible(IDC_USERPASS_LABEL12, true);
    frame_ = 0;
    SetControlVisible(IDC_USERPASS_JVGIFANIMATOR1, true);
    animation_.SetEnabled(true);
}

void TUserPass::ShowError() {
    busy_ = false;
    for (const int control : kRequestControls) {
        SetControlEnabled(control, true);
    }
    animation_.SetEnabled(false);
    SetControlVisible(IDC_USERPASS_JVGIFANIMATOR1, false);
    MoveLeft(IDC_USERPASS_LABEL11, kErrorLeft);
    MoveLeft(IDC_USERPASS_LABEL12, kErrorLeft);
    SetControlText(IDC_USERPASS_LABEL11, "An error occured.");
    FitLabelToCaption(Control(IDC_USERPASS_LABEL11));
    SetControlVisible(IDC_USERPASS_LABEL11, true);
    SetControlText(IDC_USERPASS_LABEL12, "Please verify username and password.");
    FitLabelToCaption(Control(IDC_USERPASS_LABEL12));
    SetControlVisible(IDC_USERPASS_LABEL12, true);
    // The focus went with the disabled controls: it comes back to the first field.
    ::SendMessageA(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(IDC_USERPASS_EDIT1)),
                   TRUE);
}

// The label goes where the one before it ends, its text on the same base line (the link labels
// have a font of their own).
void TUserPass::PlaceAfter(int label, int before) {
    FitLabelToCaption(Control(before));
    FitLabelToCaption(Control(label));
    const PixelRect left = ControlPlace(before);
    PixelRect place = ControlPlace(label);
    place.left = left.left + left.width;
    place.top = left.top + Ascent(Control(before)) - Ascent(Control(label));
    SetControlPlace(label, place);
}

void TUserPass::MoveLeft(int label, int left) {
    PixelRect place = ControlPlace(label);
    place.left = left;
    SetControlPlace(label, place);
}

LRESULT TUserPass::EraseBackground(HDC dc) {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    RECT panel = client;
    panel.bottom = kTopPanelHeight;
    ::FillRect(dc, &panel, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    return 1;
}

LRESULT TUserPass::DrawAnimation(const DRAWITEMSTRUCT& item) {
    if (item.CtlID != IDC_USERPASS_JVGIFANIMATOR1) {
        return FALSE;
    }
    ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::ImageList_Draw(frames_.get(), frame_, item.hDC, item.rcItem.left, item.rcItem.top,
                     ILD_NORMAL);
    return TRUE;
}

} // namespace vek
