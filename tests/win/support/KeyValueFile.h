#pragma once
// Reads a file of "NAME=value" lines, as the test fixtures write them for the test programs.
#include <fstream>
#include <map>
#include <string>

namespace vek::testing {

inline std::map<std::string, std::string> ReadKeyValueFile(const char* path) {
    std::map<std::string, std::string> values;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

} // namespace vek::testing
