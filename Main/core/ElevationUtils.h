#pragma once
// Whether the process runs elevated, and the creation of a COM object with administrator rights:
// directly when already elevated, else through the elevation moniker, whose prompt is owned by
// the given window.
#include <windows.h>
#include <objbase.h>

#include "classlib/ClassLibError.h"

#include <string>

namespace vek {

// A failed COM call, carrying its result code.
class EComCallError : public EClassLibError {
public:
    explicit EComCallError(HRESULT code);
    HRESULT ErrorCode() const { return code_; }

private:
    HRESULT code_;
};

// CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER.
inline constexpr DWORD kElevatedClassContext = 7;

bool IsElevated();

// "Elevation:Administrator!new:{CLASS-ID}" in UTF-16.
std::wstring ElevationMonikerName(REFCLSID classId);

// Creates the object and returns its interface in object; raises EComCallError on failure.
void CreateElevatedComObject(HWND owner, REFCLSID classId, REFIID interfaceId, void** object);

} // namespace vek
