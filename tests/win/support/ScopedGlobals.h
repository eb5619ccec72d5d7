#pragma once
// Owners for what a test installs on the core: the program's Globals and a core object's main
// window. Each puts back what was there before when it ends, also when a failed assertion has
// left the test early, so that no later test meets a pointer to an object that is gone.
#include "Main/core/VEKGlobals.h"

namespace vek::testing {

// Globals is the given core object for the owner's lifetime.
class ScopedGlobals {
public:
    explicit ScopedGlobals(TVEKGlobals& globals) : previous_(Globals) { Globals = &globals; }
    ~ScopedGlobals() { Globals = previous_; }
    ScopedGlobals(const ScopedGlobals&) = delete;
    ScopedGlobals& operator=(const ScopedGlobals&) = delete;

private:
    TVEKGlobals* previous_;
};

// The core object's MainWindow is the given window (or none) for the owner's lifetime.
class ScopedMainWindow {
public:
    ScopedMainWindow(TVEKGlobals& globals, IMainWindow* window)
        : globals_(globals), previous_(globals.MainWindow) {
        globals_.MainWindow = window;
    }
    ~ScopedMainWindow() { globals_.MainWindow = previous_; }
    ScopedMainWindow(const ScopedMainWindow&) = delete;
    ScopedMainWindow& operator=(const ScopedMainWindow&) = delete;

private:
    TVEKGlobals& globals_;
    IMainWindow* previous_;
};

} // namespace vek::testing
