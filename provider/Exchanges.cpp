#include "provider/Exchanges.h"

#include "common/RequestLine.h"
#include "provider/Names.h"
#include "provider/ReplyXml.h"
#include "provider/RequestTarget.h"

#include <charconv>
#include <chrono>

namespace vek::provider {
namespace {

constexpr std::size_t kMaxUpdateItems = 256;
constexpr std::size_t kMaxEchoedName = 255;
constexpr std::int64_t kHighestMessageId = 214748364;
constexpr std::string_view kStatus3 = "status=3";

// A signed request whose signature and client id have been checked.
struct Authorised {
    RequestTarget target;
    std::optional<ClientRecord> client;
    ReplyCode refusal = ReplyCode::HostUnchanged; // BadCredentials or BadSignature when refused

    bool ok() const { return refusal == ReplyCode::HostUnchanged; }
};

// version: the client version whose bar the update checks ("" for the other exchanges).
Authorised Authorise(Store& store, std::string_view rawTarget, const std::string& version = "") {
    const std::string target = UnescapeRequestTarget(rawTarget);
    const auto signedTarget = SplitSignedTarget(target);
    Authorised result{ParseRequestTarget(signedTarget ? signedTarget->signedText : target),
                      std::nullopt, ReplyCode::HostUnchanged};
    const auto clientId = result.target.Single("email");
    if (clientId && IsValidClientId(*clientId))
        result.client = store.FindClient(*clientId, version);
    if (!result.client) {
        result.refusal = ReplyCode::BadCredentials;
    } else if (!signedTarget || !SignatureMatches(*signedTarget, result.client->key)) {
        result.refusal = ReplyCode::BadSignature;
    }
    return result;
}

std::optional<std::int64_t> MessageId(const std::optional<std::string>& text) {
    if (!text)
        return -1;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size() || value < -1 ||
        value > kHighestMessageId) {
        return std::nullopt;
    }
    return value;
}

// The item's name as it can stand before the ":" of a reply line.
std::string EchoedName(std::string_view name) {
    std::string out(name.substr(0, kMaxEchoedName));
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == ':')
            c = '?';
    }
    return out;
}

std::string ReplyLines(const std::vector<UpdateItem>& items, const std::vector<ReplyCode>& codes) {
    std::string body;
    for (std::size_t i = 0; i < items.size(); ++i) {
        body += EchoedName(items[i].name) + ":" + std::to_string(static_cast<int>(codes[i])) + "\n";
    }
    return body;
}

std::string SameCodeLines(const std::vector<UpdateItem>& items, ReplyCode code) {
    if (items.empty())
        return std::to_string(static_cast<int>(code)) + "\n";
    return ReplyLines(items, std::vector<ReplyCode>(items.size(), code));
}

std::vector<UpdateItem> UpdateItems(const RequestTarget& target) {
    std::vector<UpdateItem> items;
    for (const auto& param : target.params) {
        if (param.name == "h[]")
            items.push_back({false, param.value});
        if (param.name == "g[]")
            items.push_back({true, param.value});
    }
    return items;
}

// The registration's replies: one may carry a client key, so none is kept by any cache.
Reply RegistrationReply(int status, std::string xml) {
    return {status, std::move(xml), kXml, {{"Cache-Control", "no-store"}}};
}

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

std::string ClientVersion(std::string_view userAgent) {
    static constexpr std::string_view kPrefix = "VEK v";
    if (userAgent.substr(0, kPrefix.size()) != kPrefix)
        return {};
    const auto slash = userAgent.find('/', kPrefix.size());
    if (slash == std::string_view::npos)
        return {};
    return std::string(userAgent.substr(kPrefix.size(), slash - kPrefix.size()));
}

Reply Exchanges::Register(std::string_view rawTarget, std::string_view peer,
                          RegistrationThrottle& throttle) {
    const auto target = ParseRequestTarget(UnescapeRequestTarget(rawTarget));
    const auto email = target.Single("email");
    const auto password = target.Single("pass");
    if (!email || !password)
        return RegistrationReply(400, RefusalXml("missing e-mail or password"));
    const std::string decodedEmail = PercentDecode(*email);
    const std::string decodedPassword = PercentDecode(*password);
    if (!IsValidEmail(decodedEmail) || !IsValidPassword(decodedPassword)) {
        return RegistrationReply(403, RefusalXml("invalid e-mail or password"));
    }
    const auto now = RegistrationThrottle::Clock::now();
    if (throttle.Paused(decodedEmail, peer, now) > RegistrationThrottle::Clock::duration::zero())
        return RegistrationReply(403, RefusalXml("too many failed attempts; try again later"));
    const auto login = store_.Authenticate(decodedEmail, decodedPassword);
    if (!login) {
        throttle.Failed(decodedEmail, peer, RegistrationThrottle::Clock::now());
        return RegistrationReply(403, RefusalXml("invalid e-mail or password"));
    }
    throttle.Succeeded(decodedEmail, peer, RegistrationThrottle::Clock::now());
    if (login->banned)
        return RegistrationReply(403, RefusalXml("account banned"));
    return RegistrationReply(200, RegistrationXml(store_.IssueClient(login->id)));
}

Reply Exchanges::Unregister(std::string_view rawTarget) {
    const auto request = Authorise(store_, rawTarget);
    if (!request.ok())
        return {403, std::string(kStatus3)};
    store_.RemoveClient(*request.target.Single("email"));
    return {200, "ok\n"};
}

Reply Exchanges::ListHosts(std::string_view rawTarget) {
    const auto request = Authorise(store_, rawTarget);
    if (!request.ok() || !request.client->enabled || request.client->accountBanned) {
        return {200, std::string(kStatus3)};
    }
    std::string body;
    for (const auto& entry : store_.HostList(request.client->accountId)) {
        if (!body.empty())
            body += '|';
        body += (entry.group.empty() ? std::string("#") : entry.group) + "," + entry.host;
    }
    // The client drops the reply's last character: a line end after the last record.
    return {200, body + "\n"};
}

Reply Exchanges::Notices(std::string_view rawTarget) {
    const auto request = Authorise(store_, rawTarget);
    if (!request.ok())
        return {403, std::string(kStatus3)};
    if (!request.client->enabled)
        return {200, DisabledXml(), kXml};
    const auto lastNotice = MessageId(request.target.Single("lastnotice"));
    const auto lastAlert = MessageId(request.target.Single("lastalert"));
    if (!lastNotice || !lastAlert)
        return {400, "invalid lastnotice or lastalert\n"};
    AccountValues account = store_.Account(request.client->accountId);
    if (request.client->accountBanned && !account.error)
        account.error = "account banned";
    return {200,
            NoticesXml(account, store_.MessagesAfter(MessageKind::Alert, *lastAlert),
                       store_.MessagesAfter(MessageKind::Notice, *lastNotice)),
            kXml};
}

std::variant<Reply, PendingUpdate> Exchanges::CheckUpdate(std::string_view rawTarget,
                                                          std::string_view userAgent) {
    const std::string version = ClientVersion(userAgent);
    const auto request = Authorise(store_, rawTarget, version);
    auto items = UpdateItems(request.target);
    if (!request.ok())
        return Reply{200, SameCodeLines(items, request.refusal)};
    if (request.client->accountBanned)
        return Reply{200, SameCodeLines(items, ReplyCode::AccountBanned)};
    if (!request.client->enabled)
        return Reply{200, SameCodeLines(items, ReplyCode::ClientDisabled)};
    if (!version.empty() && request.client->versionBarred)
        return Reply{200, SameCodeLines(items, ReplyCode::ClientVersionBarred)};
    const auto given = request.target.Single("ip");
    auto address = given ? CanonicalIPv4(*given) : std::nullopt;
    if (!address)
        return Reply{400, "invalid ip\n"};
    if (items.empty())
        return Reply{400, "no host or group\n"};
    if (items.size() > kMaxUpdateItems)
        return Reply{400, "too many hosts and groups\n"};
    return PendingUpdate{request.client->accountId, std::move(items), std::move(*address), Now()};
}

Reply UpdateReply(const std::vector<UpdateItem>& items, const UpdateOutcome& outcome) {
    if (!outcome)
        return {200, SameCodeLines(items, ReplyCode::InternalError)};
    return {200, ReplyLines(items, *outcome)};
}

} // namespace vek::provider
