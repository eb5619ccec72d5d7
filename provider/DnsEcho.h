#pragma once
// The DNS IP echo: a standard query for "ip", type A, class IN, answered with one A record that
// holds the echoed address. Other names get NXDOMAIN, other types of "ip" an empty answer;
// datagrams that are not a well-formed standard query with one question get no answer at all.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vek::provider {

std::optional<std::string> DnsEchoReply(std::string_view query,
                                        const std::array<std::uint8_t, 4>& address);

} // namespace vek::provider
