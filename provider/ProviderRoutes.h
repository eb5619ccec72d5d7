#pragma once
// The exchanges of each HTTP server by path: the update server's (over HTTP or HTTPS) and the
// HTTP IP echo's. Update writes go through the one store writer; the registration's slow
// password check runs off the I/O threads.
#include "provider/EchoAddress.h"
#include "provider/Exchanges.h"
#include "provider/HttpExchange.h"
#include "provider/PasswordCheckPool.h"
#include "provider/UpdateWriter.h"

namespace vek::provider {

struct UpdateServerParts {
    Exchanges& exchanges;              // the worker's own, for the quick exchanges
    Exchanges& registration;           // used on the password-check threads
    RegistrationThrottle& throttle;    // of the registrations' failures
    PasswordCheckPool& passwordChecks; // for the registration
    UpdateWriter& writer;
};

Routes UpdateRoutes(const UpdateServerParts& parts, bool secure);
Routes EchoRoutes(EchoAddress& echo);

} // namespace vek::provider
