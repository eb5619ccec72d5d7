// The provider's host-list reply as the host selection reads it.
#include <gtest/gtest.h>

#include "common/HostListReply.h"

#include <string>
#include <vector>

namespace vek {
namespace {

struct ListCase {
    const char* name;
    std::string reply;
    HostListOutcome outcome;
    // "group,host,domain" per record.
    std::vector<std::string> records;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

class HostListReplyTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(HostListReplyTest, ReadsTheRecordsOfTheGrammar) {
    const HostListReply list = ReadHostListReply(GetParam().reply);
    EXPECT_EQ(list.outcome, GetParam().outcome);
    std::vector<std::string> records;
    for (const HostListRecord& record : list.records) {
        records.push_back(record.group + "," + record.host + "," + record.domain);
    }
    EXPECT_EQ(records, GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, HostListReplyTest,
    ::testing::Values(
        ListCase{"NoAnswer", "-1", HostListOutcome::NoAnswer, {}},
        ListCase{"Refused", "status=3", HostListOutcome::CredentialsRefused, {}},
        ListCase{
            "NoGroup", "#,a.example.com\n", HostListOutcome::List, {",a.example.com,example.com"}},
        ListCase{"EmptyGroupPartSkipped",
                 ",a.example.com|home,b.example.com\n",
                 HostListOutcome::List,
                 {"home,b.example.com,example.com"}},
        ListCase{"DomainCutAtTheFirstAt",
                 "home,mx.example.com@x@y\n",
                 HostListOutcome::List,
                 {"home,mx.example.com@x@y,example.com"}},
        ListCase{"LastByteDroppedWhateverItIs",
                 "home,a.example.com|home,b.example.comX",
                 HostListOutcome::List,
                 {"home,a.example.com,example.com", "home,b.example.com,example.com"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vek
