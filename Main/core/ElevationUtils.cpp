#include "Main/core/ElevationUtils.h"

#include "classlib/Seams.h"

#include <cstdio>
#include <iterator>

namespace vek {
namespace {

std::string ComErrorText(HRESULT code) {
    char text[64];
    std::snprintf(text, sizeof text, "COM call failed with 0x%08lX",
                  static_cast<unsigned long>(code));
    return text;
}

void CheckComResult(HRESULT code) {
    if (FAILED(code)) {
        throw EComCallError(code);
    }
}

// The bind options the elevation moniker reads: the record's size, the local-server context
// and the window that owns the prompt; everything else zero. The program is 32-bit, where the
// record is 36 bytes (a 64-bit build of the tests has the platform's 64-bit layout).
static_assert(sizeof(void*) != 4 || sizeof(BIND_OPTS3) == 36,
              "the elevation moniker expects a 36-byte BIND_OPTS3");

BIND_OPTS3 ElevationBindOptions(HWND owner) {
    BIND_OPTS3 options{};
    options.cbStruct = sizeof options;
    options.dwClassContext = CLSCTX_LOCAL_SERVER;
    options.hwnd = owner;
    return options;
}

} // namespace

EComCallError::EComCallError(HRESULT code) : EClassLibError(ComErrorText(code)), code_(code) {}

bool IsElevated() {
    seams::ITokenApi& tokens = seams::Token();
    seams::SeamToken token;
    if (!tokens.OpenProcessToken(TOKEN_QUERY, token.put())) {
        return false;
    }
    TOKEN_ELEVATION elevation{};
    DWORD returned = 0;
    return tokens.GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation,
                                      &returned) &&
           elevation.TokenIsElevated != 0;
}

std::wstring ElevationMonikerName(REFCLSID classId) {
    // The braced, upper-case registry form of the class id, as StringFromCLSID writes it.
    wchar_t braced[39];
    ::StringFromGUID2(classId, braced, static_cast<int>(std::size(braced)));
    return std::wstring(L"Elevation:Administrator!new:") + braced;
}

void CreateElevatedComObject(HWND owner, REFCLSID classId, REFIID interfaceId, void** object) {
    if (IsElevated()) {
        CheckComResult(seams::Com().CoCreateInstance(classId, nullptr, kElevatedClassContext,
                                                     interfaceId, object));
        return;
    }
    const std::wstring moniker = ElevationMonikerName(classId);
    BIND_OPTS3 options = ElevationBindOptions(owner);
    CheckComResult(seams::Com().CoGetObject(moniker.c_str(), &options, interfaceId, object));
}

} // namespace vek
