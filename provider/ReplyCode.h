#pragma once
// The codes of the update reply lines ("name:code"), as this provider uses them. The client
// counts 0, 1, 11, 12 as good and 2, 8, 10 as missing; the others stop or delay its updates.
namespace vek::provider {

enum class ReplyCode : int {
    HostUnchanged = 0,        // the host already had this address
    HostUpdated = 1,          // the host's address was changed
    HostNotFound = 2,         // no host of this name exists
    BadCredentials = 3,       // no "email" client id, or an unknown client id
    BadSignature = 4,         // the "pass" signature is missing or wrong
    InternalError = 5,        // the store failed; nothing of the request was written
    AccountBanned = 6,        // the client's account is banned by the operator
    GroupNotFound = 8,        // the account has no group of this name
    HostNotInAccount = 10,    // the host exists but belongs to another account
    GroupUpdated = 11,        // at least one host of the group was changed
    GroupUnchanged = 12,      // every host of the group already had this address (or it is empty)
    ClientDisabled = 98,      // the client id is disabled within its account
    ClientVersionBarred = 99, // the operator barred this client version
};

} // namespace vek::provider
