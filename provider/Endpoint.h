#pragma once
// An IPv4 address and port, written "address:port" on the command line.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vek::provider {

struct Endpoint {
    std::string address;
    int port = 0;

    std::string ToString() const { return address + ":" + std::to_string(port); }
};

// "127.0.0.2:8253"; port 0 asks the system for a free port.
std::optional<Endpoint> ParseEndpoint(std::string_view text);

} // namespace vek::provider
