// The firmware composer on any base file: a new file or one message, never a crash, a hang or
// undefined behaviour; no stage file is left behind, and a new file holds only S-record lines.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/device/srecord_composer.h"
#include "core/project/error.h"
#include "core/project/file_system.h"

namespace {

class QuietDialogs : public kestrova::Dialogs {
public:
    void ShowMessage(kestrova::MessageKind, const std::string& text) override { messages += text; }
    std::optional<std::string> ChooseFolder(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override { return std::nullopt; }
    std::string messages;
};

void Write(const std::string& path, const void* data, size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) std::abort();
    if (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
    ::close(fd);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A project folder with bank1.bin and bank2.bin, made once for the run and removed at its end.
class ProjectFolder {
public:
    ProjectFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        directory_ = pattern + "/";
        std::filesystem::create_directories(directory_ + "bin");
        const std::string bank(kestrova::kBankSize, '\x5A');
        Write(directory_ + "bin/bank1.bin", bank.data(), bank.size());
        Write(directory_ + "bin/bank2.bin", bank.data(), 100);
    }
    ~ProjectFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
    const std::string& Directory() const { return directory_; }

private:
    std::string directory_;
};

const std::string& Project() {
    static const ProjectFolder folder;
    return folder.Directory();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& project = Project();
    kestrova::ComposerSettings settings;
    settings.baseFirmware = project + "base.sx";
    settings.projectDirectory = project;
    settings.bankDirectory = project + "bin/";
    settings.newFileName = "New.sx";
    settings.banks = {true, true, false, false, false};
    Write(settings.baseFirmware, data, size);
    ::unlink((project + settings.newFileName).c_str());
    QuietDialogs dialogs;
    try {
        const kestrova::ComposeReport report = kestrova::ComposeFirmware(settings, dialogs);
        if (!report.produced && dialogs.messages.empty()) std::abort();  // a refusal always says why
        if (report.produced) {
            const std::string text = ReadAll(report.newFile);
            for (size_t at = 0; at < text.size();) {
                const size_t end = text.find("\r\n", at);
                if (end == std::string::npos || end == at || text[at] != 'S') std::abort();
                at = end + 2;
            }
        }
    } catch (const kestrova::Error&) {
    }
    for (int bank = 1; bank <= kestrova::kBankCount; ++bank)
        if (kestrova::FileExists(project + kestrova::StageFileName(bank))) std::abort();
    return 0;
}
