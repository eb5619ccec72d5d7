// The notice pop-up's components: template id, component names and the places in pixels. The
// entry's labels, the bottom bar and the window's height are laid out again for every entry.
#include "Main/forms/Unit5.h"
#include "Main/res/ControlIds.h"

namespace vek {
namespace {

constexpr TFormControl kControls[] = {
    {IDC_NOTICE_PANEL2, "Panel2", PixelRect{0, 0, 216, 76}},
    {IDC_NOTICE_IMAGE1, "Image1", PixelRect{4, 4, 32, 32}},
    {IDC_NOTICE_LABEL1, "Label1", PixelRect{42, 4, 165, 16}},
    {IDC_NOTICE_LABEL2, "Label2", PixelRect{4, 39, 200, 13}},
    {IDC_NOTICE_PANEL1, "Panel1", PixelRect{0, 56, 216, 20}},
    {IDC_NOTICE_LABEL3, "Label3", PixelRect{8, 58, 140, 13}},
    {IDC_NOTICE_BUTTON1, "Button1", PixelRect{152, 58, 57, 17}},
    {IDC_NOTICE_PANEL3, "Panel3", PixelRect{204, 2, 10, 10}},
    {IDC_NOTICE_IMAGE2, "Image2", PixelRect{204, 2, 10, 10}},
};

} // namespace

const TFormLayout kNoticeFormLayout{
    "NoticeForm", IDD_NOTICE, nullptr, IDI_TARVOVEK, SIZE{216, 76}, TPosition::Designed, kControls,
};

} // namespace vek
