#pragma once
// Where the core gets the local adapters from: the IP Helper's adapter query, loaded at run time,
// and the socket layer's list of local addresses as the fallback.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <memory>
#include <string>
#include <vector>

namespace vek {

using GetAdaptersInfoFn = ULONG(WINAPI*)(PIP_ADAPTER_INFO, PULONG);

class IAdapterApi {
public:
    virtual ~IAdapterApi() = default;
    // Loads "iphlpapi.dll" and looks up GetAdaptersInfo; nullptr when either is missing. The
    // library stays loaded until this object is destroyed.
    virtual GetAdaptersInfoFn Load() = 0;
    // The machine's local IPv4 addresses as the socket layer knows them.
    virtual std::vector<std::string> LocalAddresses() = 0;
};

std::unique_ptr<IAdapterApi> MakeSystemAdapterApi();

} // namespace vek
