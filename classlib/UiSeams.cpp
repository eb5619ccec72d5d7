#include "classlib/UiSeams.h"

#include <cstring>

namespace seams {
namespace {

class RealMessageBoxApi final : public IMessageBoxApi {
public:
    int MessageBoxA(HWND owner, const std::string& text, const std::string& caption,
                    UINT type) override {
        return ::MessageBoxA(owner, text.c_str(), caption.c_str(), type);
    }
};

class RealProgramLauncher final : public IProgramLauncher {
public:
    UINT WinExec(const std::string& commandLine, UINT showCommand) override {
        return ::WinExec(commandLine.c_str(), showCommand);
    }
};

class RealClipboardApi final : public IClipboardApi {
public:
    bool SetText(HWND owner, const std::string& text) override {
        if (!::OpenClipboard(owner)) {
            return false;
        }
        bool placed = false;
        if (::EmptyClipboard()) {
            // The clipboard takes the memory over once SetClipboardData succeeds.
            HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
            if (memory != nullptr) {
                if (void* bytes = ::GlobalLock(memory)) {
                    std::memcpy(bytes, text.c_str(), text.size() + 1);
                    ::GlobalUnlock(memory);
                    placed = ::SetClipboardData(CF_TEXT, memory) != nullptr;
                }
                if (!placed) {
                    ::GlobalFree(memory);
                }
            }
        }
        ::CloseClipboard();
        return placed;
    }
};

class RealNotifyIconApi final : public INotifyIconApi {
public:
    BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) override {
        return ::Shell_NotifyIconA(message, data);
    }
};

} // namespace

#define VEK_UI_SEAM(Interface, Implementation)                                                     \
    template <> Interface*& Seam<Interface>::Current() {                                           \
        static Implementation real;                                                                \
        static Interface* current = &real;                                                         \
        return current;                                                                            \
    }

VEK_UI_SEAM(IMessageBoxApi, RealMessageBoxApi)
VEK_UI_SEAM(IProgramLauncher, RealProgramLauncher)
VEK_UI_SEAM(IClipboardApi, RealClipboardApi)
VEK_UI_SEAM(INotifyIconApi, RealNotifyIconApi)

} // namespace seams
