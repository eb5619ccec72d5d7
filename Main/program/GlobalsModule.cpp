// The core's module initialisation: Globals exists before the entry's main block runs and is
// freed when the program ends, after the main block has returned.
#include "Main/core/VEKGlobals.h"

#include <cstdlib>

namespace vek {
namespace {

std::vector<std::string> ProcessArguments() {
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) {
        arguments.emplace_back(__argv[i]);
    }
    return arguments;
}

struct GlobalsModule {
    GlobalsModule() { Globals = new TVEKGlobals(TVEKGlobalsOptions{ProcessArguments(), nullptr}); }
    ~GlobalsModule() {
        delete Globals;
        Globals = nullptr;
    }
};

GlobalsModule globalsModule;

} // namespace
} // namespace vek
