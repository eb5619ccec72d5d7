// The local adapters through a scripted adapter query: the probe, the list with and without
// names, the stored choice and the private-address test; and once against the system's query.
#include "CoreFixture.h"

#include <cstring>
#include <deque>
#include <regex>

namespace vek::testing {
namespace {

struct FakeAdapter {
    std::string description;
    std::vector<std::string> addresses;
};

// What the fake query answers: scripted answers first, one per call; then the answers of a
// query over `adapters` (111 with the size for a missing or small buffer, else the records).
struct AdapterScript {
    std::deque<ULONG> answers;
    std::vector<FakeAdapter> adapters;
};

AdapterScript& Script() {
    static AdapterScript script;
    return script;
}

ULONG NeededSize() {
    ULONG size = 0;
    for (const FakeAdapter& adapter : Script().adapters) {
        size += sizeof(IP_ADAPTER_INFO);
        if (adapter.addresses.size() > 1) {
            size += static_cast<ULONG>((adapter.addresses.size() - 1) * sizeof(IP_ADDR_STRING));
        }
    }
    return size == 0 ? sizeof(IP_ADAPTER_INFO) : size;
}

// Lays the records out as the system does: adapters first, extra address entries after them.
void FillRecords(PIP_ADAPTER_INFO buffer) {
    const auto& adapters = Script().adapters;
    auto* extra = reinterpret_cast<IP_ADDR_STRING*>(buffer + adapters.size());
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        IP_ADAPTER_INFO& record = buffer[i];
        record.Next = i + 1 < adapters.size() ? &buffer[i + 1] : nullptr;
        adapters[i].description.copy(record.Description, sizeof record.Description - 1);
        IP_ADDR_STRING* entry = &record.IpAddressList;
        for (std::size_t a = 0; a < adapters[i].addresses.size(); ++a) {
            adapters[i].addresses[a].copy(entry->IpAddress.String,
                                          sizeof entry->IpAddress.String - 1);
            entry->Next = a + 1 < adapters[i].addresses.size() ? extra : nullptr;
            if (entry->Next != nullptr) {
                entry = extra++;
            }
        }
    }
}

ULONG WINAPI FakeGetAdaptersInfo(PIP_ADAPTER_INFO info, PULONG size) {
    AdapterScript& script = Script();
    const ULONG needed = NeededSize();
    ULONG answer;
    if (!script.answers.empty()) {
        answer = script.answers.front();
        script.answers.pop_front();
    } else if (script.adapters.empty()) {
        answer = ERROR_NO_DATA;
    } else {
        answer = info == nullptr || *size < needed ? ERROR_BUFFER_OVERFLOW : NO_ERROR;
    }
    if (answer == ERROR_BUFFER_OVERFLOW) {
        *size = needed;
    } else if (answer == NO_ERROR && info != nullptr && *size >= needed) {
        FillRecords(info);
    }
    return answer;
}

class FakeAdapterApi final : public IAdapterApi {
public:
    FakeAdapterApi(bool loads, std::vector<std::string> local)
        : loads_(loads), local_(std::move(local)) {}
    GetAdaptersInfoFn Load() override { return loads_ ? &FakeGetAdaptersInfo : nullptr; }
    std::vector<std::string> LocalAddresses() override { return local_; }

private:
    bool loads_;
    std::vector<std::string> local_;
};

using Items = std::vector<std::string>;

const std::vector<FakeAdapter> kAdapters = {{"Eth A", {"192.0.2.10", "192.0.2.11"}},
                                            {"Wifi B", {"198.51.100.5"}}};

class AdaptersTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        Script() = AdapterScript{};
    }
    void TearDown() override { Script() = AdapterScript{}; }

    std::unique_ptr<TVEKGlobals> MakeWithFake(bool loads = true,
                                              std::vector<std::string> local = {}) {
        return MakeGlobals({"-unregister"},
                           std::make_unique<FakeAdapterApi>(loads, std::move(local)));
    }
};

struct ProbeCase {
    const char* name;
    std::deque<ULONG> answers;
    bool kept;
};

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class AdapterProbeTest : public AdaptersTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(AdapterProbeTest, KeepsTheQueryOnlyAfterAGoodSecondAnswer) {
    Script().adapters = kAdapters;
    Script().answers = GetParam().answers;
    auto globals = MakeWithFake(true, {"203.0.113.9"});
    EXPECT_EQ(globals->AdaptersAvailable(), GetParam().kept);
    const Items expected =
        GetParam().kept ? Items{"192.0.2.10", "192.0.2.11", "198.51.100.5"} : Items{"203.0.113.9"};
    EXPECT_EQ(globals->GetAdapterList(false), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AdapterProbeTest,
    ::testing::Values(ProbeCase{"OverflowThenSuccess", {ERROR_BUFFER_OVERFLOW, NO_ERROR}, true},
                      ProbeCase{"OverflowThenOtherError", {ERROR_BUFFER_OVERFLOW, 87}, true},
                      ProbeCase{"FirstNoData", {ERROR_NO_DATA}, false},
                      ProbeCase{"FirstSuccess", {NO_ERROR}, false},
                      ProbeCase{"SecondNotSupported", {ERROR_BUFFER_OVERFLOW, 50}, false},
                      ProbeCase{"SecondNoData", {ERROR_BUFFER_OVERFLOW, ERROR_NO_DATA}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AdaptersTest, WithoutTheQueryTheSocketLayerAddressesAreUnidentified) {
    auto globals = MakeWithFake(false, {"10.1.2.3", "192.0.2.7"});
    EXPECT_FALSE(globals->AdaptersAvailable());
    EXPECT_EQ(globals->GetAdapterList(true),
              (Items{"10.1.2.3 | Unidentified", "192.0.2.7 | Unidentified"}));
    EXPECT_EQ(globals->GetAdapterList(false), (Items{"10.1.2.3", "192.0.2.7"}));
}

TEST_F(AdaptersTest, EveryAddressOfEveryAdapterIsListed) {
    Script().adapters = kAdapters;
    auto globals = MakeWithFake();
    EXPECT_EQ(globals->GetAdapterList(true),
              (Items{"192.0.2.10 | Eth A", "192.0.2.11 | Eth A", "198.51.100.5 | Wifi B"}));
    EXPECT_EQ(globals->GetAdapterList(false), (Items{"192.0.2.10", "192.0.2.11", "198.51.100.5"}));
}

TEST_F(AdaptersTest, AFailedQueryAddsNothing) {
    Script().adapters = kAdapters;
    auto globals = MakeWithFake();
    ASSERT_TRUE(globals->AdaptersAvailable());
    // The second query fails: its zero-filled buffer holds no record to walk.
    Script().answers = {ERROR_BUFFER_OVERFLOW, ERROR_NOT_ENOUGH_MEMORY};
    EXPECT_EQ(globals->GetAdapterList(true), Items{});
    Script().answers = {ERROR_NO_DATA};
    EXPECT_EQ(globals->GetAdapterList(false), Items{});
    EXPECT_EQ(globals->GetAdapterList(false).size(), 3u);
}

struct StoredCase {
    const char* name;
    std::optional<std::int32_t> stored;
    std::int32_t returned;
    std::int32_t afterwards;
};

void PrintTo(const StoredCase& c, std::ostream* os) { *os << c.name; }

class StoredAdapterTest : public AdaptersTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredAdapterTest, OnlyAPositionInTheListIsHandedOut) {
    Script().adapters = kAdapters; // three addresses
    if (GetParam().stored) {
        SetRawDword(HKEY_CURRENT_USER, kSettingsPath, "Adapter",
                    static_cast<DWORD>(*GetParam().stored));
    }
    auto globals = MakeWithFake();
    EXPECT_EQ(globals->GetAdapter(), GetParam().returned);
    const auto stored = Raw("Adapter");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->type, static_cast<DWORD>(REG_DWORD));
    std::int32_t value = 0;
    std::memcpy(&value, stored->data.data(), sizeof value);
    EXPECT_EQ(value, GetParam().afterwards);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredAdapterTest,
    ::testing::Values(StoredCase{"Absent", std::nullopt, -1, -1}, StoredCase{"None", -1, -1, -1},
                      StoredCase{"First", 0, 0, 0}, StoredCase{"Last", 2, 2, 2},
                      StoredCase{"PastTheEnd", 3, -1, -1}, StoredCase{"BelowMinusOne", -7, -1, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AdaptersTest, AnEmptyListResetsAnyStoredPosition) {
    SetRawDword(HKEY_CURRENT_USER, kSettingsPath, "Adapter", 0);
    auto globals = MakeWithFake(false, {});
    EXPECT_EQ(globals->GetAdapter(), -1);
}

TEST_F(AdaptersTest, GetAdapterRefillsTheSharedListWithoutNames) {
    Script().adapters = kAdapters;
    auto globals = MakeWithFake();
    const Items& list = globals->GetAdapterList(true);
    ASSERT_EQ(list.size(), 3u);
    globals->GetAdapter();
    EXPECT_EQ(list, (Items{"192.0.2.10", "192.0.2.11", "198.51.100.5"}));
}

TEST_F(AdaptersTest, PrivateAddressesAreTheRfc1918Prefixes) {
    auto globals = MakeWithFake(false);
    for (const char* ip : {"10.0.0.1", "192.168.1.1", "172.16.0.1", "172.31.255.255", "10."}) {
        EXPECT_TRUE(globals->IsPrivateIP(ip)) << ip;
    }
    for (const char* ip : {"100.1.2.3", "192.169.0.1", "172.15.0.1", "172.32.0.1", "172.1.2.3",
                           "172.100.1.1", "127.0.0.1", "", "172.", "172.16", "172.1a.0.1",
                           "172.+2.0.1", "172.-1.0.1", "1.10.0.1", "11.0.0.1"}) {
        EXPECT_FALSE(globals->IsPrivateIP(ip)) << ip;
    }
}

TEST(SystemAdapters, ItemsAreDottedAddressesAndNamedOnes) {
    SettingsKeyGuard guard;
    TVEKGlobals globals(TVEKGlobalsOptions{{"-unregister"}, nullptr});
    static const std::regex kDotted("^[0-9]{1,3}(\\.[0-9]{1,3}){3}$");
    const Items bare = globals.GetAdapterList(false);
    EXPECT_FALSE(bare.empty());
    for (const std::string& item : bare) {
        EXPECT_TRUE(std::regex_match(item, kDotted)) << item;
    }
    const Items named = globals.GetAdapterList(true);
    ASSERT_EQ(named.size(), bare.size());
    for (std::size_t i = 0; i < named.size(); ++i) {
        EXPECT_EQ(named[i].rfind(bare[i] + " | ", 0), 0u) << named[i];
    }
}

} // namespace
} // namespace vek::testing
