// The main window's components: template ids, component names and the places in pixels.
#include "Main/forms/Unit1.h"
#include "Main/res/ControlIds.h"

#include <iterator>

namespace vek {
namespace {

// Each status row holds, left to right, a light, its labels, an info picture and a button.
constexpr int kLightLeft = 138;
constexpr int kLabelLeft = 168;
constexpr int kInfoLeft = 352;
constexpr int kButtonLeft = 372;
constexpr int kRow1 = 24;
constexpr int kRow2 = 69;
constexpr int kRow3 = 114;
constexpr int kLine = 13;

constexpr PixelRect Light(int row) { return {kLightLeft, row, 24, 24}; }
constexpr PixelRect Info(int row) { return {kInfoLeft, row + 5, 14, 14}; }
constexpr PixelRect RowButton(int row) { return {kButtonLeft, row + 1, 75, 23}; }
constexpr PixelRect Text(int row, int line, int width) {
    return {kLabelLeft, row + line * kLine, width, kLine};
}

constexpr TFormControl kControls[] = {
    {IDC_VEK_IMAGE1, "Image1", PixelRect{0, 0, 123, 159}},
    {IDC_VEK_GROUPBOX1, "GroupBox1", PixelRect{129, 3, 329, 150}},
    {IDC_VEK_JVIMAGESQUARE2, "JvImageSquare2", Light(kRow1)},
    {IDC_VEK_LABEL2, "Label2", Text(kRow1, 0, 180)},
    {IDC_VEK_LABEL11, "Label11", Text(kRow1, 1, 180)},
    {IDC_VEK_IMAGE2, "Image2", Info(kRow1)},
    {IDC_VEK_BUTTON4, "Button4", RowButton(kRow1)},
    {IDC_VEK_JVIMAGESQUARE3, "JvImageSquare3", Light(kRow2)},
    {IDC_VEK_LABEL3, "Label3", Text(kRow2, 0, 50)},
    // The core lays out Label4 to Label9 after Label3 as their captions change.
    {IDC_VEK_LABEL4, "Label4", Text(kRow2, 0, 0)},
    {IDC_VEK_LABEL5, "Label5", Text(kRow2, 0, 0)},
    {IDC_VEK_LABEL6, "Label6", Text(kRow2, 0, 0)},
    {IDC_VEK_LABEL7, "Label7", Text(kRow2, 0, 0)},
    {IDC_VEK_LABEL8, "Label8", Text(kRow2, 1, 0)},
    {IDC_VEK_LABEL9, "Label9", Text(kRow2, 1, 0)},
    {IDC_VEK_IMAGE3, "Image3", Info(kRow2)},
    {IDC_VEK_BUTTON1, "Button1", RowButton(kRow2)},
    {IDC_VEK_JVIMAGESQUARE1, "JvImageSquare1", Light(kRow3)},
    {IDC_VEK_LABEL1, "Label1", Text(kRow3, 0, 60)},
    {IDC_VEK_LABEL10, "Label10", Text(kRow3, 1, 60)},
    {IDC_VEK_IMAGE4, "Image4", Info(kRow3)},
    {IDC_VEK_BUTTON7, "Button7", RowButton(kRow3)},
    {IDC_VEK_STATUSBAR1, "StatusBar1"},
    {IDM_VEK_FILE1, "File1"},
    {IDM_VEK_OPTIONS1, "Options1"},
    {IDM_VEK_N1, "N1"},
    {IDM_VEK_HIDE1, "Hide1"},
    {IDM_VEK_N3, "N3"},
    {IDM_VEK_EXIT1, "Exit1"},
    {IDM_VEK_EDIT1, "Edit1"},
    {IDM_VEK_COPYIPADDRESS1, "CopyIPAddress1"},
    {IDM_VEK_COPYCLIENTID1, "CopyClientID1"},
    {IDM_VEK_OOLS1, "ools1"},
    {IDM_VEK_OPENPORTCHECKTOOL1, "OpenPortCheckTool1"},
    {IDM_VEK_DOMAINREGISTRATIONSEARCH1, "DomainRegistrationSearch1"},
    {IDM_VEK_CHECKANOPENRELAY1, "CheckanOpenRelay1"},
    {IDM_VEK_N2, "N2"},
    {IDM_VEK_LOGS1, "Logs1"},
    {IDM_VEK_GRAPHICALCLIENTLOG1, "GraphicalClientLog1"},
    {IDM_VEK_BACKGROUNDSERVICELOG1, "BackgroundServiceLog1"},
    {IDM_VEK_HELP1, "Help1"},
    {IDM_VEK_GETTINGSTARTED1, "GettingStarted1"},
    {IDM_VEK_SUPPORT1, "Support1"},
    {IDM_VEK_N4, "N4"},
    {IDM_VEK_ERMSOFSERVICE1, "ermsofService1"},
    {IDM_VEK_POPUPMENU1, "PopupMenu1"},
    {IDM_VEK_SHOW1, "Show1"},
    {IDM_VEK_COPYIPADDRESS2, "CopyIPAddress2"},
    {IDM_VEK_N5, "N5"},
    {IDM_VEK_EXIT2, "Exit2"},
};

// A row button's focus rectangle stands 3 pixels inside its edge; its caption keeps 3 more clear.
constexpr int kCaptionClearance = 6;

} // namespace

// The row buttons keep their size: a caption that measures wider than leaves room for the focus
// rectangle beside it takes a narrower font.
void TVEK::FitButtonCaptions() {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(TForm::Handle(), WM_GETFONT, 0, 0));
    const int buttons[] = {IDC_VEK_BUTTON4, IDC_VEK_BUTTON1, IDC_VEK_BUTTON7};
    for (std::size_t at = 0; at < std::size(buttons); ++at) {
        buttonCaptions_[at].Fit(Control(buttons[at]), font,
                                ControlPlace(buttons[at]).width - 2 * kCaptionClearance);
    }
}

const TFormLayout kVEKFormLayout{
    "VEK",     IDD_VEK, kMainWindowClass, IDI_TARVOVEK, SIZE{464, 178}, TPosition::ScreenCenter,
    kControls,
};

} // namespace vek
