#include "Main/core/AdapterApi.h"

#include "classlib/SocketSupport.h"
#include "classlib/SystemLibrary.h"
#include "classlib/WinHandles.h"

namespace vek {
namespace {

class SystemAdapterApi final : public IAdapterApi {
public:
    GetAdaptersInfoFn Load() override {
        module_ = LoadSystemLibrary("iphlpapi.dll");
        if (!module_) {
            return nullptr;
        }
        return reinterpret_cast<GetAdaptersInfoFn>(
            reinterpret_cast<void*>(::GetProcAddress(module_.get(), "GetAdaptersInfo")));
    }

    // The addresses the machine's own host name resolves to, as the socket layer lists them.
    std::vector<std::string> LocalAddresses() override {
        std::vector<std::string> addresses;
        const WinsockSession winsock;
        if (!winsock.Started()) {
            return addresses;
        }
        char host[256] = {};
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        UniqueAddressInfo found;
        if (::gethostname(host, sizeof host) != 0 ||
            ::getaddrinfo(host, nullptr, &hints, found.put()) != 0) {
            return addresses;
        }
        for (const addrinfo* entry = found.get(); entry != nullptr; entry = entry->ai_next) {
            char text[INET_ADDRSTRLEN] = {};
            const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
            if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr) {
                addresses.emplace_back(text);
            }
        }
        return addresses;
    }

private:
    UniqueModule module_;
};

} // namespace

std::unique_ptr<IAdapterApi> MakeSystemAdapterApi() { return std::make_unique<SystemAdapterApi>(); }

} // namespace vek
