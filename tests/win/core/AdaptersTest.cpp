// The local adapters through a scripted adapter query: the probe, the list with and without
// names, the stored choice and the private-address test; and once against the system's query.
#include "tests/win/support/AdapterFakes.h"
#include "tests/win/support/CoreFixture.h"

#include <cstring>
#include <deque>
#include <regex>

namespace vek::testing {
namespace {

using Items = std::vector<std::string>;

const std::vector<FakeAdapter> kAdapters = {{"Eth A", {"192.0.2.10", "192.0.2.11"}},
                                            {"Wifi B", {"198.51.100.5"}}};

class AdaptersTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        ScriptedAdapters() = AdapterScript{};
    }
    void TearDown() override { ScriptedAdapters() = AdapterScript{}; }

    std::unique_ptr<TVEKGlobals> MakeWithFake(bool loads = true,
                                              std::vector<std::string> local = {}) {
        return MakeGlobals({"-unregister"},
                           std::make_unique<FakeAdapters>(
                               std::make_shared<std::vector<std::string>>(std::move(local)),
                               loads ? &ScriptedGetAdaptersInfo : nullptr));
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
    ScriptedAdapters().adapters = kAdapters;
    ScriptedAdapters().answers = GetParam().answers;
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
    ScriptedAdapters().adapters = kAdapters;
    auto globals = MakeWithFake();
    EXPECT_EQ(globals->GetAdapterList(true),
              (Items{"192.0.2.10 | Eth A", "192.0.2.11 | Eth A", "198.51.100.5 | Wifi B"}));
    EXPECT_EQ(globals->GetAdapterList(false), (Items{"192.0.2.10", "192.0.2.11", "198.51.100.5"}));
}

TEST_F(AdaptersTest, AFailedQueryAddsNothing) {
    ScriptedAdapters().adapters = kAdapters;
    auto globals = MakeWithFake();
    ASSERT_TRUE(globals->AdaptersAvailable());
    // The second query fails: its zero-filled buffer holds no record to walk.
    ScriptedAdapters().answers = {ERROR_BUFFER_OVERFLOW, ERROR_NOT_ENOUGH_MEMORY};
    EXPECT_EQ(globals->GetAdapterList(true), Items{});
    ScriptedAdapters().answers = {ERROR_NO_DATA};
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
    ScriptedAdapters().adapters = kAdapters; // three addresses
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
    ScriptedAdapters().adapters = kAdapters;
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
