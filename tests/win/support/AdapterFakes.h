#pragma once
// The core's adapter layer scripted: the local addresses as the socket layer lists them, and
// the system's adapter query answered from a script.
#include "Main/core/AdapterApi.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace vek::testing {

// The adapter layer over a list of local addresses that the test may change at any time; its
// adapter query is `query` (none: the query cannot be loaded).
class FakeAdapters final : public IAdapterApi {
public:
    explicit FakeAdapters(std::shared_ptr<std::vector<std::string>> addresses,
                          GetAdaptersInfoFn query = nullptr)
        : addresses_(std::move(addresses)), query_(query) {}
    GetAdaptersInfoFn Load() override { return query_; }
    std::vector<std::string> LocalAddresses() override { return *addresses_; }

private:
    std::shared_ptr<std::vector<std::string>> addresses_;
    GetAdaptersInfoFn query_;
};

struct FakeAdapter {
    std::string description;
    std::vector<std::string> addresses;
};

// What ScriptedGetAdaptersInfo answers: scripted answers first, one per call; then the answers
// of a query over `adapters` (111 with the size for a missing or small buffer, else the records).
struct AdapterScript {
    std::deque<ULONG> answers;
    std::vector<FakeAdapter> adapters;
};

// The one script, which a test resets at its start and end.
AdapterScript& ScriptedAdapters();

// GetAdaptersInfo answering from ScriptedAdapters(), its records laid out as the system lays
// them out.
ULONG WINAPI ScriptedGetAdaptersInfo(PIP_ADAPTER_INFO info, PULONG size);

} // namespace vek::testing
