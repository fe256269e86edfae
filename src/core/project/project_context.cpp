#include "core/project/project_context.h"

namespace kestrova {

std::string ProjectContext::ProjectFilePath(const std::string& relative) const {
    if (projectDirectory.empty()) return {};
    return projectDirectory + "/" + relative;
}

void ProjectContext::DeriveDocumentPaths() {
    const auto path = [this](const char* file) { return ProjectFilePath(file); };
    documents.pargen = path("pargen.xml");
    documents.receiveFrame = path("Receive_Frame.xml");
    documents.receiveInfo = path("Receive_Info.xml");
    documents.emcyDef = path("emcydef.xml");
    documents.emcyWord = path("emcyword.xml");
    documents.timerDef = path("TimerDef.xml");
    documents.sdoPdo = path("sdopdo.xml");
    documents.sendFrame = path("Send_Frame.xml");
    documents.sendInfo = path("Send_Info.xml");
}

ProjectContext MakeProjectContext(const std::string& executableDirectory, const std::string& workspaceDirectory) {
    ProjectContext context;
    context.executableDirectory = executableDirectory;
    context.workspaceDirectory = workspaceDirectory.empty() ? executableDirectory : workspaceDirectory;
    context.masterDirectory = context.workspaceDirectory + "/MASTER";
    context.projectsDirectory = context.workspaceDirectory + "/PROJECTS";
    context.projectDirectory = context.projectsDirectory;
    context.DeriveDocumentPaths();
    return context;
}

}  // namespace kestrova
