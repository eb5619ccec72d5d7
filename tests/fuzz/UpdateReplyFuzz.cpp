// libFuzzer target: the update reply grammar and the address form test must end, without a memory
// fault, on every input, and every line they return must come from the input.
#include "common/DottedQuad.h"
#include "common/UpdateReply.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)vek::IsNoAnswerReply(text);
    (void)vek::IsDottedQuad(text);
    for (const vek::UpdateReplyLine& line : vek::ParseUpdateReply(text)) {
        if (line.name.size() >= size || line.name.find_first_of("\r\n:") != std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
