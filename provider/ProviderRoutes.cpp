#include "provider/ProviderRoutes.h"

#include "provider/ReplyXml.h"
#include "provider/WebPages.h"

#include <string>

namespace vek::provider {
namespace {

// Every exchange answers, whatever goes wrong inside it.
Reply Guarded(const Exchange& exchange, const HttpRequest& request) {
    try {
        return exchange(request);
    } catch (const std::exception&) {
        return {500, "internal error\n"};
    }
}

// A plain exchange run on the password-check threads in its peer's turn, with a copy of what it
// reads of the request; 503 at once when the peer has too many waiting.
DeferredExchange OffThread(PasswordCheckPool& pool, Exchange exchange) {
    return [&pool, exchange = std::move(exchange)](const HttpRequest& request, ReplySink reply) {
        const std::string peer(request.peer);
        const bool queued =
            pool.Submit(peer, [exchange, reply, method = std::string(request.method),
                               target = std::string(request.target),
                               userAgent = std::string(request.userAgent), peer] {
                reply(Guarded(exchange, HttpRequest{method, target, userAgent, peer}));
            });
        if (!queued)
            reply(
                {503, RefusalXml("too many registrations waiting from this address"), "text/xml"});
    };
}

// The update's checks on the I/O thread, its write through the writer, the reply after commit.
DeferredExchange Update(Exchanges& exchanges, UpdateWriter& writer) {
    return [&exchanges, &writer](const HttpRequest& request, ReplySink reply) {
        auto checked = exchanges.CheckUpdate(request.target, request.userAgent);
        if (auto* refusal = std::get_if<Reply>(&checked))
            return reply(std::move(*refusal));
        writer.Submit(
            std::get<PendingUpdate>(std::move(checked)),
            [reply = std::move(reply)](const PendingUpdate& update, UpdateOutcome outcome) {
                reply(UpdateReply(update.items, outcome));
            });
    };
}

} // namespace

Routes UpdateRoutes(const UpdateServerParts& parts, bool secure) {
    Routes routes;
    Exchanges& exchanges = parts.exchanges;
    if (secure) {
        routes.AddDeferred("/client/register.php",
                           OffThread(parts.passwordChecks, [&registration = parts.registration,
                                                            &throttle = parts.throttle](
                                                               const HttpRequest& request) {
                               return registration.Register(request.target, request.peer, throttle);
                           }));
    } else {
        routes.Add("/client/register.php", [](const HttpRequest&) {
            return Reply{403, "registration needs HTTPS\n"};
        });
        AddWebPages(routes);
    }
    routes.Add("/client/unregister.php", [&exchanges](const HttpRequest& request) {
        return exchanges.Unregister(request.target);
    });
    routes.Add("/list-hosts.php", [&exchanges](const HttpRequest& request) {
        return exchanges.ListHosts(request.target);
    });
    routes.Add("/notices.php", [&exchanges](const HttpRequest& request) {
        return exchanges.Notices(request.target);
    });
    routes.AddDeferred("/vekupdate.php", Update(exchanges, parts.writer));
    return routes;
}

Routes EchoRoutes(EchoAddress& echo) {
    Routes routes;
    routes.Add("/ip.php", [&echo](const HttpRequest& request) {
        echo.Refresh();
        return Reply{200, std::string(echo.For(request.peer))};
    });
    return routes;
}

} // namespace vek::provider
