#pragma once
// The system's folders as a test names them; every library asked for is recorded by its full
// path, and loaded only when the test says so. Installed for its lifetime.
#include "classlib/SystemLibrary.h"

#include <string>
#include <vector>

namespace vek::testing {

class FakeSystemFiles final : public seams::ISystemFiles {
public:
    std::string SystemFolder() override { return systemFolder; }
    std::string WindowsFolder() override { return windowsFolder; }
    HMODULE LoadLibraryA(const std::string& fullPath) override {
        loaded.push_back(fullPath);
        return load ? ::LoadLibraryA(fullPath.c_str()) : nullptr;
    }
    // Keeps the real system folder, and loads from it, so that only the Windows folder is named.
    void UseTheRealSystemFolder() {
        char folder[MAX_PATH] = {};
        ::GetSystemDirectoryA(folder, MAX_PATH);
        systemFolder = folder;
        load = true;
    }

    std::string systemFolder = "S:\\system";
    std::string windowsFolder = "W:\\windows";
    bool load = false;
    std::vector<std::string> loaded;

private:
    seams::Seam<seams::ISystemFiles>::Override override_{*this};
};

} // namespace vek::testing
