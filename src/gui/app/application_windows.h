#pragma once

#include "core/project/dialogs.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace kestrova {

class TFKestrovaFirmWare;
class TFsaveproj;
class TFHelp;
class TFAbout;
class TFSELstringhe;
class TFModifyFileSx;
class TFpargen;
class TFsdo;
class TFpdo;
class TFemcy;
class TFWemcy;
class TFXML;
class TFInfopdo;
class TFSetVar;
class TFSetPdo;
class TF_Rec_Info;
class TF_Sen_Info;
class TFBootSer;
class TFReplay;
class TFOverview;

// Every window of the program, created once at start in a fixed order (the main window
// first, so its workspace exists before any other window) and reused for the whole run.
struct ApplicationWindows {
    ApplicationWindows(const std::string& executableDirectory, Dialogs& dialogs,
                       const std::string& workspaceDirectory = {});
    ~ApplicationWindows();

    std::unique_ptr<TFKestrovaFirmWare> main;
    // Owned by the main window, in the order of their creation.
    TFsaveproj* saveproj = nullptr;
    TFHelp* help = nullptr;
    TFAbout* about = nullptr;
    TFSELstringhe* selString = nullptr;
    TFModifyFileSx* modifyFileSx = nullptr;
    TFpargen* pargen = nullptr;
    TFsdo* sdo = nullptr;
    TFpdo* pdo = nullptr;
    TFemcy* emcy = nullptr;
    TFWemcy* wemcy = nullptr;
    TFXML* xml = nullptr;
    TFInfopdo* infopdo = nullptr;
    TFSetVar* setVar = nullptr;
    TFSetPdo* setPdo = nullptr;
    TF_Rec_Info* recInfo = nullptr;
    TF_Sen_Info* senInfo = nullptr;
    TFBootSer* bootSer = nullptr;
    TFReplay* replay = nullptr;
    TFOverview* overview = nullptr;  // "Project Overview", created after the windows its warnings open

    // What "kestrova --window CLASS" runs, by window class name ("TFpargen", "TF_Rec_Info"...).
    std::map<std::string, std::function<void()>> openers;
    // Shows the window of that class as its owner would; false for an unknown class name.
    bool Open(const std::string& windowClass) const;
};

// The start options of the program ("--help", "--window CLASS"), after Qt took its own.
struct StartOptions {
    bool help = false;
    bool version = false;
    std::string window;  // class name of a window to open once the main window is up
    std::string problem;  // a usage error, for stderr
};
StartOptions ParseStartOptions(const std::vector<std::string>& arguments);
std::string StartOptionsHelp();

// The program: application title, windows, message loop.
int RunKestrova(int argc, char** argv);

}  // namespace kestrova
