#pragma once

#include "core/project/dialogs.h"

#include <memory>
#include <string>

namespace kestrova {

class TFKestrovaFirmWare;
class TFsaveproj;
class TFpargen;
class TFpdo;
class TFSetVar;
class TFSetPdo;
class TFBootSer;

// Every window of the program, created once at start in a fixed order (the main window
// first, so its workspace exists before any other window) and reused for the whole run.
struct ApplicationWindows {
    ApplicationWindows(const std::string& executableDirectory, Dialogs& dialogs);
    ~ApplicationWindows();

    std::unique_ptr<TFKestrovaFirmWare> main;
    // Owned by the main window, in the order of their creation.
    TFsaveproj* saveproj = nullptr;
    TFpargen* pargen = nullptr;
    TFpdo* pdo = nullptr;
    TFSetVar* setVar = nullptr;
    TFSetPdo* setPdo = nullptr;
    TFBootSer* bootSer = nullptr;
};

// The program: application title, windows, message loop.
int RunKestrova(int argc, char** argv);

}  // namespace kestrova
