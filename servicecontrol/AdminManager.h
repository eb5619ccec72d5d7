#pragma once
// The elevated admin server's interface, shared by the program (its caller) and the server
// itself: it installs, removes and restarts the service with administrator rights.
#include <windows.h>
#include <objbase.h>

namespace vek {

// {138740A1-4B08-46CE-AE44-CCC67F24FA56}
inline constexpr CLSID CLSID_ServiceAdmin = {
    0x138740A1, 0x4B08, 0x46CE, {0xAE, 0x44, 0xCC, 0xC6, 0x7F, 0x24, 0xFA, 0x56}};
// {ABB1F70C-8CD2-4F4D-BAFD-1CAD71610CDE}
inline constexpr IID IID_IServiceAdmin = {
    0xABB1F70C, 0x8CD2, 0x4F4D, {0xBA, 0xFD, 0x1C, 0xAD, 0x71, 0x61, 0x0C, 0xDE}};

// The service actions, as the program and the server pass them.
enum ServiceAction : LONG { ServiceInstall = 1, ServiceUninstall = 2, ServiceRestart = 3 };

// Its one method follows the three of IUnknown. ManageService returns 1 on success and any
// other value on failure. The server's marshalling code (AdminManager.idl) declares the same
// layout.
class IServiceAdmin : public IUnknown {
public:
    virtual LONG STDMETHODCALLTYPE ManageService(LONG action, const char* commandLine) = 0;
};

} // namespace vek
