// libFuzzer target: the hint markup reader must end, without a memory fault, on every input; no
// run is empty, two runs side by side on a line differ in style, and the runs never hold more
// text than the input.
#include "common/HintMarkup.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view markup(reinterpret_cast<const char*>(data), size);
    std::size_t text = 0;
    for (const vek::THintLine& line : vek::ParseHintMarkup(markup)) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            const bool sameStyle =
                i > 0 && line[i - 1].bold == line[i].bold && line[i - 1].italic == line[i].italic;
            if (line[i].text.empty() || sameStyle) {
                std::abort();
            }
            text += line[i].text.size();
        }
    }
    if (text > size) {
        std::abort();
    }
    return 0;
}
