// The notices reply read whole into what the fetch applies, or rejected whole.
#include "Main/core/NoticesReply.h"

#include <gtest/gtest.h>

#include <string>

namespace vek {
namespace {

std::string Xml(const std::string& root) { return "<?xml version=\"1.0\"?>" + root; }
std::string User(const std::string& children) { return Xml("<user>" + children + "</user>"); }

// The reply as one line: its kind, then for a "user" reply each child it had and every entry
// as item#code. A rejection must say why, for the log, and whether its root was "user".
std::string Describe(const TNoticesReply& reply) {
    if (reply.kind != TNoticesReplyKind::User) {
        const char* kinds[] = {"not xml", "", "disabled", "rejected"};
        const bool unexplained =
            reply.kind == TNoticesReplyKind::Rejected && reply.rejection.empty();
        return unexplained ? "rejected without a reason"
                           : kinds[static_cast<int>(reply.kind)] +
                                 std::string(reply.userRoot ? " user" : "");
    }
    const TNoticesUser& user = reply.user;
    std::string text = "user";
    text += user.enhanced ? " enhanced=" + std::to_string(*user.enhanced) : "";
    text += user.remoteInterval ? " remoteinterval=" + std::to_string(*user.remoteInterval) : "";
    text += user.error ? " error" : "";
    text += user.email ? " email=" + *user.email : "";
    for (const TNoticeEntry& entry : user.notices) {
        text += " [" + entry.NoticeItem + "#" + std::to_string(entry.NoticeCode) + "]";
    }
    return text;
}

struct ReplyCase {
    const char* label;
    std::string reply;
    std::string expected;
};

void PrintTo(const ReplyCase& row, std::ostream* out) { *out << row.label; }

class NoticesReplyReading : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(NoticesReplyReading, GivesAllOfTheReplyOrRejectsIt) {
    EXPECT_EQ(Describe(ReadNoticesReply(GetParam().reply)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, NoticesReplyReading,
    ::testing::Values(
        ReplyCase{"AlertsBeforeNoticesInDocumentOrder",
                  User("<notices><notice id=\"5\" title=\"N5\" link=\"http://n/5\">five</notice>"
                       "<notice id=\"3\">three</notice><notice id=\"9\" title=\"N9\"/></notices>"
                       "<alerts><alert id=\"7\" title=\"A7\">seven</alert>"
                       "<alert id=\"2\" link=\"http://a/2\">two</alert></alerts>"),
                  "user [A7|seven|#72] [|two|http://a/2#22] [N5|five|http://n/5#51] "
                  "[|three|#31] [N9||#91]"},
        ReplyCase{"ErrorAndEmail", User("<error/><email>me@example.org</email>"),
                  "user error email=me@example.org"},
        ReplyCase{"LastEmailCounts",
                  User("<email>old@example.org</email><email>new@example.org</email>"),
                  "user email=new@example.org"},
        ReplyCase{"ChildNamesInAnyCase",
                  User("<EMAIL>me@example.org</EMAIL><Enhanced>TRUE</Enhanced>"
                       "<ALERTS><alert id=\"1\"/></ALERTS>"),
                  "user enhanced=1 email=me@example.org [||#12]"},
        ReplyCase{"ItemNamesExact",
                  User("<alerts><Alert id=\"1\"/><notice id=\"2\"/><alert id=\"3\"/></alerts>"),
                  "user [||#32]"},
        ReplyCase{"RemoteIntervalAsSentAndNumberAsBoolean",
                  User("<remoteinterval>1000</remoteinterval><enhanced>0</enhanced>"),
                  "user enhanced=0 remoteinterval=1000"},
        ReplyCase{"EnhancedNotBoolean", User("<enhanced>yes</enhanced>"), "rejected user"},
        ReplyCase{"RemoteIntervalNotNumber", User("<remoteinterval>5 min</remoteinterval>"),
                  "rejected user"},
        ReplyCase{"BadIdRejectsAll",
                  User("<email>me@example.org</email><notices><notice id=\"4\"/>"
                       "<notice id=\"x4\"/></notices>"),
                  "rejected user"},
        ReplyCase{"IdTooLargeForItsCode", User("<alerts><alert id=\"214748365\"/></alerts>"),
                  "rejected user"},
        // The id's text and the kind digit, read as one number.
        ReplyCase{"IdAbsentZeroSignedStillConvert",
                  User("<alerts><alert/><alert id=\"0\"/><alert id=\"-5\"/></alerts>"
                       "<notices><notice id=\"+3\"/></notices>"),
                  "user [||#2] [||#2] [||#-52] [||#31]"},
        ReplyCase{"DisabledRoot", Xml("<disabled><email>x</email></disabled>"), "disabled"},
        ReplyCase{"RootNameExact", Xml("<User><email>me@example.org</email></User>"), "rejected"},
        ReplyCase{"BrokenXml", Xml("<user><email>me@example.org</user>"), "rejected"},
        ReplyCase{"NoAnswer", "-1", "not xml"}),
    [](const ::testing::TestParamInfo<ReplyCase>& info) { return info.param.label; });

// A rejection quotes the reply's text with its control bytes escaped; other bytes stay.
TEST(NoticesRejectionTest, QuotesTheReplyWithItsControlBytesEscaped) {
    const TNoticesReply reply =
        ReadNoticesReply(User("<remoteinterval>1\n01/01/2020 00:00:00: x\t\x7f&#233;"
                              "</remoteinterval>"));
    EXPECT_EQ(reply.rejection, "remoteinterval \"1\\x0A01/01/2020 00:00:00: x\\x09\\x7F\xE9\" "
                               "is not a decimal integer");
}

} // namespace
} // namespace vek
