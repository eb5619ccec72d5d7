// libFuzzer target: the host-list reader must end, without a memory fault, on every input, and
// every record it returns must hold the grammar's parts taken from the input.
#include "common/HostListReply.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const vek::HostListRecord& record : vek::ReadHostListReply(text).records) {
        const std::size_t dot = record.host.find('.');
        if (record.host.size() >= size || dot == 0 || dot == std::string::npos ||
            record.domain.empty() ||
            record.host.compare(dot + 1, record.domain.size(), record.domain) != 0) {
            std::abort();
        }
    }
    return 0;
}
