#pragma once
// Seams over the calls of the desktop client that open something a test cannot answer, or that
// reach outside the process: message boxes, program starts, the clipboard and the notification
// area. The default of each calls the real API; tests install their own with
// seams::Seam<I>::Override.
#include "classlib/Seams.h"

#include <shellapi.h>

#include <string>

namespace seams {

class IMessageBoxApi {
public:
    virtual ~IMessageBoxApi() = default;
    virtual int MessageBoxA(HWND owner, const std::string& text, const std::string& caption,
                            UINT type) = 0;
};

class IProgramLauncher {
public:
    virtual ~IProgramLauncher() = default;
    virtual UINT WinExec(const std::string& commandLine, UINT showCommand) = 0;
};

// The clipboard's plain text.
class IClipboardApi {
public:
    virtual ~IClipboardApi() = default;
    // Replaces the clipboard's content with the text; false when the clipboard was not available.
    virtual bool SetText(HWND owner, const std::string& text) = 0;
};

class INotifyIconApi {
public:
    virtual ~INotifyIconApi() = default;
    virtual BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) = 0;
};

inline IMessageBoxApi& MessageBoxes() { return Seam<IMessageBoxApi>::Get(); }
inline IProgramLauncher& Programs() { return Seam<IProgramLauncher>::Get(); }
inline IClipboardApi& Clipboard() { return Seam<IClipboardApi>::Get(); }
inline INotifyIconApi& NotifyIcons() { return Seam<INotifyIconApi>::Get(); }

template <> IMessageBoxApi*& Seam<IMessageBoxApi>::Current();
template <> IProgramLauncher*& Seam<IProgramLauncher>::Current();
template <> IClipboardApi*& Seam<IClipboardApi>::Current();
template <> INotifyIconApi*& Seam<INotifyIconApi>::Current();

} // namespace seams
