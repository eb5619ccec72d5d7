// The host selection's components: template ids, component names and the places in pixels of a
// client area of 249 x 436.
#include "Main/forms/Unit2.h"
#include "Main/res/ControlIds.h"

namespace vek {
namespace {

constexpr int kLeft = 8;
constexpr int kWidth = 233;
constexpr int kLine = 13;
constexpr int kButtonsTop = 404;

// A line of the instructions, a whole width wide.
constexpr PixelRect Line(int number) { return {kLeft, 8 + number * kLine, kWidth, kLine}; }
constexpr PixelRect Button(int left) { return {left, kButtonsTop, 75, 25}; }

constexpr TFormControl kControls[] = {
    {IDC_HOSTSELECT_LABEL1, "Label1", Line(0)},
    // The link follows the second line's text after a blank.
    {IDC_HOSTSELECT_LABEL2, "Label2", PixelRect{kLeft, 21, 176, kLine}},
    {IDC_HOSTSELECT_LABEL4, "Label4", PixelRect{184, 21, 56, kLine}},
    {IDC_HOSTSELECT_LABEL10, "Label10", Line(2)},
    {IDC_HOSTSELECT_LABEL8, "Label8", Line(3)},
    {IDC_HOSTSELECT_LISTVIEW1, "ListView1", PixelRect{kLeft, 66, kWidth, 305}},
    {IDC_HOSTSELECT_CHECKBOX1, "CheckBox1", PixelRect{kLeft, 379, kWidth, 17}},
    {IDC_HOSTSELECT_BUTTON1, "Button1", Button(88)},
    {IDC_HOSTSELECT_BUTTON2, "Button2", Button(166)},
};

} // namespace

const TFormLayout kHostSelectFormLayout{
    "HostSelect", IDD_HOSTSELECT, nullptr, 0, SIZE{249, 436}, TPosition::OwnerCenter, kControls,
};

} // namespace vek
