// Screenshots of windows: under Wine, PrintWindow draws only a window's background, so what the
// screen shows over the window's rectangle is copied, then saved as PNG through GDI+.
#include "tests/win/support/FormDriver.h"

#include "classlib/WinHandles.h"

#include <gdiplus.h>

#include <cstdlib>
#include <vector>

namespace vek::testing {
namespace {

bool PngEncoder(CLSID& encoder) {
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) {
        return false;
    }
    std::vector<char> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok) {
        return false;
    }
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(encoders[i].MimeType) == L"image/png") {
            encoder = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

std::string ScreenshotFolder() {
    const char* folder = std::getenv("VEK_SCREENSHOTS");
    std::string path = folder != nullptr && *folder != '\0' ? folder : "screenshots";
    ::CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

} // namespace

std::string SaveScreenshot(HWND window, const std::string& name) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpUntilIdle();
    RECT place{};
    ::GetWindowRect(window, &place);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;

    UniqueGdiObject<HBITMAP> bitmap;
    {
        const UniqueWindowDc screen(nullptr);
        const UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
        bitmap.reset(::CreateCompatibleBitmap(screen.get(), width, height));
        // GDI+ takes the bitmap only once it is selected out of its DC again.
        const ScopedSelection selection(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), place.left, place.top, SRCCOPY);
    }

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    std::string path;
    CLSID encoder{};
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
        if (PngEncoder(encoder)) {
            Gdiplus::Bitmap picture(bitmap.get(), nullptr);
            path = ScreenshotFolder() + "\\" + name + ".png";
            const std::wstring widePath(path.begin(), path.end());
            if (picture.Save(widePath.c_str(), &encoder, nullptr) != Gdiplus::Ok) {
                path.clear();
            }
        }
        Gdiplus::GdiplusShutdown(token);
    }
    EXPECT_FALSE(path.empty()) << "the screenshot " << name << " was not saved";
    return path;
}

} // namespace vek::testing
