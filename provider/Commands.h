#pragma once
// The provider's command line: "serve", "demo" and the operator's commands on the store.
#include <iosfwd>
#include <string>
#include <vector>

namespace vek::provider {

// args are the words after the program name. Returns the process exit code: 0 done, 1 refused
// or failed, 2 usage error. "serve" and "demo" return when SIGINT or SIGTERM arrives.
int RunCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err);

} // namespace vek::provider
