#pragma once
// "serve" and "demo": run every server of the provider until SIGINT or SIGTERM.
#include <iosfwd>
#include <map>
#include <string>

namespace vek::provider {

struct ServeOptions {
    std::string dataDir;
    std::multimap<std::string, std::string> options; // "--http" -> "127.0.0.1:8880", ...
    bool demo = false;                               // create and print the demo account first
};

int Serve(const ServeOptions& options, std::ostream& out, std::ostream& err);

} // namespace vek::provider
