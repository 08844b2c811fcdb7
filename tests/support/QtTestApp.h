// The one QApplication of a GUI test program, made before its first test: 144 dpi and
// the "MS UI Gothic" substitution the diary installs at start-up.
#pragma once

namespace testing {
class Environment;
}

// Registers the environment with GoogleTest; call once per test program, at namespace
// scope: const auto* const g_environment = InstallQtTestEnvironment();
testing::Environment* InstallQtTestEnvironment();
