// tarvo-provider: the reference provider's servers and operator commands.
#include "provider/Commands.h"

#include <iostream>

int main(int argc, char** argv) {
    return vek::provider::RunCommand(std::vector<std::string>(argv + 1, argv + argc), std::cin,
                                     std::cout, std::cerr);
}
