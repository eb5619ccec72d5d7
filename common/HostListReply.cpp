#include "common/HostListReply.h"

#include "common/DelimitedText.h"

#include <optional>

namespace vek {
namespace {

constexpr char kNoGroup[] = "#";

std::optional<HostListRecord> ReadRecord(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos || comma == 0) {
        return std::nullopt;
    }
    const std::string_view group = text.substr(0, comma);
    const std::string_view host = text.substr(comma + 1);
    const std::size_t dot = host.find('.');
    if (dot == std::string_view::npos || dot == 0) {
        return std::nullopt;
    }
    std::string_view domain = host.substr(dot + 1);
    domain = domain.substr(0, domain.find('@'));
    if (domain.empty()) {
        return std::nullopt;
    }
    return HostListRecord{group == kNoGroup ? std::string() : std::string(group), std::string(host),
                          std::string(domain)};
}

} // namespace

HostListReply ReadHostListReply(std::string_view reply) {
    if (reply == "-1") {
        return {HostListOutcome::NoAnswer, {}};
    }
    if (reply == "status=3") {
        return {HostListOutcome::CredentialsRefused, {}};
    }
    HostListReply list;
    if (reply.empty()) {
        return list;
    }
    reply.remove_suffix(1);
    for (const std::string& item : ReadDelimitedText(reply, '|')) {
        if (auto record = ReadRecord(item)) {
            list.records.push_back(std::move(*record));
        }
    }
    return list;
}

} // namespace vek
