#pragma once
// Text without its leading and trailing blanks and control characters (codes 0 to 32), as the
// class library trims.
#include <string>
#include <string_view>

namespace vek {

std::string Trim(std::string_view text);

} // namespace vek
