// The local adapters: their IPv4 addresses, the stored choice of one, and the private-address
// test of a detected public address.
#include "Main/core/VEKGlobals.h"

#include <vector>

namespace vek {
namespace {

constexpr ULONG kBufferOverflow = 111; // ERROR_BUFFER_OVERFLOW: size written back
constexpr ULONG kNoData = 232;         // ERROR_NO_DATA: no adapter at the moment
constexpr ULONG kNotSupported = 50;    // ERROR_NOT_SUPPORTED

} // namespace

void TVEKGlobals::ProbeAdapterApi() {
    const GetAdaptersInfoFn query = adapters_->Load();
    if (query == nullptr) {
        return;
    }
    ULONG size = 0;
    if (query(nullptr, &size) != kBufferOverflow) {
        return;
    }
    std::vector<unsigned char> buffer(size, 0);
    const ULONG answer = query(reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data()), &size);
    if (answer == kNoData || answer == kNotSupported) {
        return;
    }
    getAdaptersInfo_ = query;
}

void TVEKGlobals::AddAdapterQueryItems(bool withNames) {
    ULONG size = 0;
    if (getAdaptersInfo_(nullptr, &size) != kBufferOverflow) {
        return;
    }
    std::vector<unsigned char> buffer(size, 0);
    // Only a buffer that the second query filled is walked.
    if (getAdaptersInfo_(reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data()), &size) != NO_ERROR) {
        return;
    }
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data());
         adapter != nullptr; adapter = adapter->Next) {
        const std::string description(adapter->Description,
                                      strnlen(adapter->Description, sizeof adapter->Description));
        for (const IP_ADDR_STRING* entry = &adapter->IpAddressList; entry != nullptr;
             entry = entry->Next) {
            std::string item(entry->IpAddress.String,
                             strnlen(entry->IpAddress.String, sizeof entry->IpAddress.String));
            if (withNames) {
                item += " | " + description;
            }
            AdapterList.push_back(std::move(item));
        }
    }
}

const std::vector<std::string>& TVEKGlobals::GetAdapterList(bool withNames) {
    AdapterList.clear();
    if (AdaptersAvailable()) {
        AddAdapterQueryItems(withNames);
        return AdapterList;
    }
    AdapterList = adapters_->LocalAddresses();
    if (withNames) {
        for (std::string& item : AdapterList) {
            item += " | Unidentified";
        }
    }
    return AdapterList;
}

std::int32_t TVEKGlobals::GetAdapter() {
    std::int32_t value = -1;
    if (Reg.ValueExists("Adapter")) {
        value = Reg.ReadInteger("Adapter");
    } else {
        SetAdapter(-1);
    }
    const auto count = static_cast<std::int32_t>(GetAdapterList(false).size());
    // A stored value below -1 can only come from a hand edit; like one past the end, it is reset.
    if (value > count - 1 || value < -1) {
        SetAdapter(-1);
        return -1;
    }
    return value;
}

void TVEKGlobals::SetAdapter(std::int32_t value) { Reg.WriteInteger("Adapter", value); }

bool TVEKGlobals::IsPrivateIP(const std::string& ip) {
    if (ip.rfind("10.", 0) == 0 || ip.rfind("192.168.", 0) == 0) {
        return true;
    }
    if (ip.rfind("172.", 0) != 0 || ip.size() < 7 || ip[6] != '.') {
        return false;
    }
    const char tens = ip[4];
    const char ones = ip[5];
    if (tens < '0' || tens > '9' || ones < '0' || ones > '9') {
        return false;
    }
    const int second = (tens - '0') * 10 + (ones - '0');
    return second >= 16 && second <= 31;
}

} // namespace vek
