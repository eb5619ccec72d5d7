# The provider's endpoints, one set for the whole system: the program reads them from a generated
# header (Main/core/EndpointConfig.h.in), the reference provider serves them by default (its own
# header is generated from the same values, below), so a -D given to one build tree must be
# given to the other. Loopback addresses and unprivileged ports, so the whole system runs on this
# machine without an outside network.
set(VEK_UPDATE_SERVER "127.0.0.1:8880" CACHE STRING "Update server for plain HTTP (address:port)")
set(VEK_UPDATE_SERVER_TLS "localhost:8443" CACHE STRING
    "Update server for HTTPS (host name:port; a certificate never matches an IP address)")
set(VEK_HTTP_ECHO_1 "127.0.0.2:8881" CACHE STRING "First HTTP IP-echo server (address:port)")
set(VEK_HTTP_ECHO_2 "127.0.0.3:8881" CACHE STRING "Second HTTP IP-echo server (address:port)")
set(VEK_DNS_ECHO_1 "127.0.0.2" CACHE STRING "First DNS IP-echo server (address)")
set(VEK_DNS_ECHO_2 "127.0.0.3" CACHE STRING "Second DNS IP-echo server (address)")
set(VEK_DNS_ECHO_PORT "8253" CACHE STRING "UDP port of both DNS IP-echo servers")
# The web pages the desktop client opens in the browser: the provider's web site and the two
# outside web tools (a port check and an open-relay check). By default the reference provider's
# plain HTTP server answers all three with short pages.
set(VEK_WEB_SITE "127.0.0.1:8880" CACHE STRING "The provider's web site (host[:port])")
set(VEK_PORT_CHECK_TOOL "127.0.0.1:8880" CACHE STRING "The outside port-check web tool (host[:port])")
set(VEK_OPEN_RELAY_TOOL "127.0.0.1:8880" CACHE STRING
    "The outside open-relay check web tool (host[:port])")

# What the reference provider binds, from the same values (its defaults; the native tree
# generates them into provider/ProviderEndpoints.h): <prefix>_HOST, <prefix>_ADDRESS and
# <prefix>_PORT of "host:port". An IPv4 address is bound as it is; a host name, such as
# "localhost", on 127.0.0.1, the loopback address it must name on this machine.
function(vek_bind_endpoint prefix value)
    if(NOT value MATCHES "^([^:]+):([0-9]+)$")
        message(FATAL_ERROR "${prefix} is not host:port: \"${value}\"")
    endif()
    set(host "${CMAKE_MATCH_1}")
    set(${prefix}_HOST "${host}" PARENT_SCOPE)
    set(${prefix}_PORT "${CMAKE_MATCH_2}" PARENT_SCOPE)
    if(host MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
        set(${prefix}_ADDRESS "${host}" PARENT_SCOPE)
    else()
        set(${prefix}_ADDRESS "127.0.0.1" PARENT_SCOPE)
    endif()
endfunction()
vek_bind_endpoint(VEK_UPDATE_SERVER "${VEK_UPDATE_SERVER}")
vek_bind_endpoint(VEK_UPDATE_SERVER_TLS "${VEK_UPDATE_SERVER_TLS}")
vek_bind_endpoint(VEK_HTTP_ECHO_1 "${VEK_HTTP_ECHO_1}")
vek_bind_endpoint(VEK_HTTP_ECHO_2 "${VEK_HTTP_ECHO_2}")
if(NOT VEK_DNS_ECHO_PORT MATCHES "^[0-9]+$")
    message(FATAL_ERROR "VEK_DNS_ECHO_PORT is not a port: \"${VEK_DNS_ECHO_PORT}\"")
endif()
