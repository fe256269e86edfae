#pragma once

#include <string>

namespace kestrova {

// Full paths of the project documents, in the order DeriveDocumentPaths computes them.
struct DocumentPaths {
    std::string pargen;         // pargen.xml
    std::string receiveFrame;   // Receive_Frame.xml
    std::string receiveInfo;    // Receive_Info.xml
    std::string emcyDef;        // emcydef.xml
    std::string emcyWord;       // emcyword.xml
    std::string timerDef;       // TimerDef.xml
    std::string sdoPdo;         // sdopdo.xml
    std::string sendFrame;      // Send_Frame.xml
    std::string sendInfo;       // Send_Info.xml
};

// The workspace of the run: one instance, owned by the main window and lent by reference.
// Every reader takes the paths from here when it needs them and keeps no copy.
struct ProjectContext {
    std::string executableDirectory;  // the program's folder, without a trailing separator
    std::string workspaceDirectory;   // settings file, MASTER and PROJECTS (see workspace_location)
    std::string masterDirectory;      // workspaceDirectory + "/MASTER"
    std::string projectsDirectory;    // workspaceDirectory + "/PROJECTS"
    std::string projectName;          // "/Demo" when reopened or opened, "Demo" when just created
    std::string projectDirectory;     // empty only after a cancelled "Open project" (see workspace)
    DocumentPaths documents;

    // Recomputes the nine document paths from projectDirectory. Without a project directory
    // every path is empty: no path is ever built on the file system's root; the document
    // readers find no document there and the writers refuse it with "Project not valid".
    void DeriveDocumentPaths();
    // The path of another file of the project ("sdo.xml", "bin/bank.bin"), by the same rule:
    // empty when no project directory is set.
    std::string ProjectFilePath(const std::string& relative) const;
};

// A context for the given executable directory with MASTER and PROJECTS below the workspace
// (by default the executable directory itself), no project.
ProjectContext MakeProjectContext(const std::string& executableDirectory, const std::string& workspaceDirectory = {});

}  // namespace kestrova
