// libFuzzer target: the DNS reply reader and the record text must end, without a memory fault,
// on every input.
#include "common/DnsMessage.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    const std::uint16_t id = size >= 2 ? static_cast<std::uint16_t>((data[0] << 8) | data[1]) : 0;
    const vek::DnsReply reply = vek::ParseDnsReply(message, id);
    for (const vek::DnsRecord& record : reply.records) {
        (void)vek::DottedRecordData(record);
    }
    return 0;
}
