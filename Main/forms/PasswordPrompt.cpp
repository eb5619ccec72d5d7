#include "Main/forms/PasswordPrompt.h"

#include "Main/res/ControlIds.h"
#include "classlib/WinHandles.h"

namespace vek {
namespace {

constexpr int kWidth = 320;
constexpr int kMargin = 12;
constexpr int kGap = 10;
constexpr int kEditHeight = 21;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 6;
// The prompt's place before it is measured: room for three lines.
constexpr int kPromptHeight = 39;

constexpr int EditTop(int promptHeight) { return kMargin + promptHeight + kGap; }
constexpr int ButtonTop(int promptHeight) { return EditTop(promptHeight) + kEditHeight + kMargin; }
constexpr int Height(int promptHeight) { return ButtonTop(promptHeight) + kButtonHeight + kMargin; }
constexpr int kCancelLeft = kWidth - kMargin - kButtonWidth;
constexpr int kOkLeft = kCancelLeft - kButtonGap - kButtonWidth;

constexpr TFormControl kControls[] = {
    {IDC_PASSWORDPROMPT_LABEL1, "Label1",
     PixelRect{kMargin, kMargin, kWidth - 2 * kMargin, kPromptHeight}},
    {IDC_PASSWORDPROMPT_EDIT1, "Edit1",
     PixelRect{kMargin, EditTop(kPromptHeight), kWidth - 2 * kMargin, kEditHeight}},
    {IDC_PASSWORDPROMPT_BUTTON1, "Button1",
     PixelRect{kOkLeft, ButtonTop(kPromptHeight), kButtonWidth, kButtonHeight}},
    {IDC_PASSWORDPROMPT_BUTTON2, "Button2",
     PixelRect{kCancelLeft, ButtonTop(kPromptHeight), kButtonWidth, kButtonHeight}},
};

// The height the prompt's lines take in the label's font.
int PromptHeight(HWND label, const std::string& prompt) {
    const UniqueWindowDc dc(label);
    const ScopedSelection font(dc.get(),
                               reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)));
    RECT extent{0, 0, kWidth - 2 * kMargin, 0};
    ::DrawTextA(dc.get(), prompt.c_str(), static_cast<int>(prompt.size()), &extent,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return extent.bottom;
}

} // namespace

const TFormLayout kPasswordPromptFormLayout{
    "PasswordPrompt",       IDD_PASSWORDPROMPT, nullptr, 0, SIZE{kWidth, Height(kPromptHeight)},
    TPosition::OwnerCenter, kControls,
};

TPasswordPrompt::TPasswordPrompt(HWND owner, const std::string& title, const std::string& prompt,
                                 const std::string& value)
    : TForm(kPasswordPromptFormLayout) {
    OnCommand(IDOK, [this] { SetModalResult(mrOk); });
    OnCommand(IDCANCEL, [this] { SetModalResult(mrCancel); });
    CreateWindowFromTemplate(owner);
    FormCreate(title, prompt, value);
}

void TPasswordPrompt::FormCreate(const std::string& title, const std::string& prompt,
                                 const std::string& value) {
    ::SetWindowTextA(Handle(), title.c_str());
    SetControlText(IDC_PASSWORDPROMPT_LABEL1, prompt);
    SetControlText(IDC_PASSWORDPROMPT_EDIT1, value);
    ::SendMessageA(Control(IDC_PASSWORDPROMPT_EDIT1), EM_SETPASSWORDCHAR, '*', 0);
    // The dialog is as high as the prompt's lines.
    const int promptHeight = PromptHeight(Control(IDC_PASSWORDPROMPT_LABEL1), prompt);
    const int shrink = kPromptHeight - promptHeight;
    PixelRect label = ControlPlace(IDC_PASSWORDPROMPT_LABEL1);
    label.height = promptHeight;
    SetControlPlace(IDC_PASSWORDPROMPT_LABEL1, label);
    for (const int id :
         {IDC_PASSWORDPROMPT_EDIT1, IDC_PASSWORDPROMPT_BUTTON1, IDC_PASSWORDPROMPT_BUTTON2}) {
        PixelRect place = ControlPlace(id);
        place.top -= shrink;
        SetControlPlace(id, place);
    }
    RECT frame{};
    ::GetWindowRect(Handle(), &frame);
    ::SetWindowPos(Handle(), nullptr, frame.left, frame.top + shrink / 2, frame.right - frame.left,
                   frame.bottom - frame.top - shrink, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string TPasswordPrompt::Entered() const { return ControlText(IDC_PASSWORDPROMPT_EDIT1); }

bool InputPassword(HWND owner, const std::string& title, const std::string& prompt,
                   std::string& value) {
    TPasswordPrompt prompter(owner, title, prompt, value);
    if (prompter.ShowModal() != mrOk) {
        return false;
    }
    value = prompter.Entered();
    return true;
}

} // namespace vek
