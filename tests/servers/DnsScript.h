#pragma once
// The scripted replies of the DNS-format test responder, chosen by the first label of the
// question's name:
//   ip        A 198.51.100.N, N the last byte of the responder's own address
//   a         A 203.0.113.7              cname   CNAME, then A
//   soa       SOA in the authority only  aaaa    AAAA 2001:db8::1
//   zero      A with RDLENGTH 0          wrongid A, under another ID
//   rcode3    name error                 shortN  the first N bytes of an A reply (N 0 to 11)
//   truncated RDLENGTH 4, two bytes      loop    an owner name that points at itself
//   norecords no record                  silent  no reply
//   otherq    A, under another question  elsewhere A, sent from the other responder's address
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vek::servers {

// The reply datagram, or nothing for no reply.
std::optional<std::string> ScriptedDnsReply(std::string_view query, std::uint8_t ownLastByte);

// Whether the reply goes out from the other responder's socket ("elsewhere").
bool RepliesFromSibling(std::string_view query);

// An A-type answer whose data is the query exactly as it arrived.
std::optional<std::string> QueryEchoReply(std::string_view query);

} // namespace vek::servers
