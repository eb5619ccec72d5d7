// The preferences dialog's components: template ids, component names and the places in pixels of
// a client area of 466 x 332. Each check box, and the adapter title, sits on the top edge of its
// group box.
#include "Main/forms/Unit3.h"
#include "Main/res/ControlIds.h"

namespace vek {
namespace {

constexpr int kBoxLeft = 8;
constexpr int kBoxWidth = 450;
constexpr int kTextLeft = 20;
constexpr int kTextWidth = 434;
constexpr int kHeadingLeft = 16;
constexpr int kHeadingHeight = 17;

constexpr PixelRect Box(int top, int height) { return {kBoxLeft, top, kBoxWidth, height}; }
constexpr PixelRect Heading(int boxTop, int width) {
    return {kHeadingLeft, boxTop - 2, width, kHeadingHeight};
}
constexpr PixelRect Explanation(int boxTop, int height) {
    return {kTextLeft, boxTop + 18, kTextWidth, height};
}

constexpr int kStartupTop = 6;
constexpr int kServiceTop = 56;
constexpr int kMethodTop = 154;
constexpr int kAdapterTop = 204;

constexpr TFormControl kControls[] = {
    {IDC_OPTIONS_JVCHECKBOX2, "JvCheckBox2", Heading(kStartupTop, 92)},
    {IDC_OPTIONS_GROUPBOX1, "GroupBox1", Box(kStartupTop, 44)},
    {IDC_OPTIONS_LABEL8, "Label8", Explanation(kStartupTop, 16)},
    {IDC_OPTIONS_JVCHECKBOX1, "JvCheckBox1", Heading(kServiceTop, 136)},
    {IDC_OPTIONS_GROUPBOX2, "GroupBox2", Box(kServiceTop, 92)},
    {IDC_OPTIONS_LABEL10, "Label10", Explanation(kServiceTop, 68)},
    {IDC_OPTIONS_JVCHECKBOX4, "JvCheckBox4", Heading(kMethodTop, 196)},
    {IDC_OPTIONS_GROUPBOX3, "GroupBox3", Box(kMethodTop, 44)},
    {IDC_OPTIONS_LABEL3, "Label3", Explanation(kMethodTop, 16)},
    {IDC_OPTIONS_LABEL1, "Label1", PixelRect{18, kAdapterTop, 84, 13}},
    {IDC_OPTIONS_GROUPBOX4, "GroupBox4", Box(kAdapterTop, 92)},
    {IDC_OPTIONS_LABEL18, "Label18", Explanation(kAdapterTop, 40)},
    // The height of a drop-down list's box includes its open list.
    {IDC_OPTIONS_COMBOBOX1, "ComboBox1", PixelRect{kTextLeft, kAdapterTop + 61, kTextWidth, 150}},
    {IDC_OPTIONS_BUTTON1, "Button1", PixelRect{298, 301, 75, 25}},
    {IDC_OPTIONS_BUTTON2, "Button2", PixelRect{383, 301, 75, 25}},
};

} // namespace

const TFormLayout kOptionsFormLayout{
    "OptionsForm", IDD_OPTIONS, nullptr, 0, SIZE{466, 332}, TPosition::OwnerCenter, kControls,
};

} // namespace vek
