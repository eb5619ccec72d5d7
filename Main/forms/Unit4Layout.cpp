// The account dialog's components: template ids, component names and the places in pixels.
#include "Main/forms/Unit4.h"
#include "Main/res/ControlIds.h"

namespace vek {
namespace {

// The text of the white top panel starts right of the brand picture.
constexpr int kTextLeft = 135;
constexpr int kLine = 13;

constexpr PixelRect Text(int top, int width) { return {kTextLeft, top, width, kLine}; }

constexpr TFormControl kControls[] = {
    {IDC_USERPASS_IMAGE1, "Image1", PixelRect{1, 1, 123, 131}},
    {IDC_USERPASS_LABEL3, "Label3", Text(10, 205)},
    {IDC_USERPASS_LABEL5, "Label5", Text(23, 205)},
    // The link lines: each label is placed where the one before it ends.
    {IDC_USERPASS_LABEL7, "Label7", Text(42, 0)},
    {IDC_USERPASS_LABEL4, "Label4", Text(42, 0)},
    {IDC_USERPASS_LABEL10, "Label10", Text(42, 0)},
    {IDC_USERPASS_LABEL8, "Label8", Text(61, 205)},
    {IDC_USERPASS_LABEL6, "Label6", Text(74, 0)},
    {IDC_USERPASS_LABEL9, "Label9", Text(74, 0)},
    {IDC_USERPASS_JVGIFANIMATOR1, "JvGIFAnimator1", PixelRect{kTextLeft, 95, 32, 32}},
    {IDC_USERPASS_LABEL11, "Label11", Text(91, 0)},
    {IDC_USERPASS_LABEL12, "Label12", Text(105, 0)},
    {IDC_USERPASS_LABEL1, "Label1", PixelRect{12, 148, 85, kLine}},
    {IDC_USERPASS_EDIT1, "Edit1", PixelRect{100, 144, 233, 21}},
    {IDC_USERPASS_LABEL2, "Label2", PixelRect{12, 175, 85, kLine}},
    {IDC_USERPASS_EDIT2, "Edit2", PixelRect{100, 171, 233, 21}},
    {IDC_USERPASS_BUTTON1, "Button1", PixelRect{177, 199, 75, 23}},
    {IDC_USERPASS_BUTTON2, "Button2", PixelRect{258, 199, 75, 23}},
};

} // namespace

const TFormLayout kUserPassFormLayout{
    "UserPass", IDD_USERPASS, nullptr, 0, SIZE{345, 229}, TPosition::OwnerCenter, kControls,
};

} // namespace vek
