#pragma once
// A closed-loop HTTP load on loopback: many keep-alive connections, each with one request in
// flight (the next sent when its reply arrives), served by a few threads that poll their
// connections. Connections come from several source addresses (127.0.1.1 and on unless told
// otherwise, 32 from each),
// as peers of their own. Every wait is bounded.
#include "provider/Endpoint.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vek::provider::probe {

struct LoadResult {
    long good = 0;   // replies the check accepted
    long failed = 0; // other replies, lost connections, replies later than 5 s
    double seconds = 0;
    double p50Ms = 0; // request-to-reply latency of the good replies
    double p99Ms = 0;

    double PerSecond() const { return seconds > 0 ? good / seconds : 0; }
};

struct Load {
    // The whole request for the connection's n-th request.
    std::function<std::string(std::size_t connection, std::uint64_t n)> request;
    // Whether the reply (status and body) is the expected one.
    std::function<bool(std::size_t connection, std::uint64_t n, int status, std::string_view body)>
        check;
};

inline constexpr const char* kFirstSourceAddress = "127.0.1.1";

// firstSource: the source address of the first 32 connections; the next 32 come from the next
// address, and so on.
LoadResult RunLoad(const Endpoint& server, std::size_t connections,
                   std::chrono::duration<double> duration, const Load& load,
                   const std::string& firstSource = kFirstSourceAddress);

// The loopback address of the connection's peer: firstSource for the first 32, the address after
// it for the next 32, and so on.
std::string SourceAddressOf(std::size_t connection,
                            const std::string& firstSource = kFirstSourceAddress);

} // namespace vek::provider::probe
