# The provider's endpoints, one set for the whole system: the program reads them from a generated
# header (Main/EndpointConfig.h.in), the reference provider serves them. Loopback addresses and
# unprivileged ports, so the whole system runs on this machine without an outside network.
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
