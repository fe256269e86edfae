#include "core/report/project_summary.h"

#include <ctime>

#include "core/outputs/bank_image.h"
#include "core/outputs/project_limits.h"
#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/readback/project_verify.h"
#include "core/report/sha256.h"

namespace kestrova {
namespace {

// The largest file fingerprinted: an image is about 100 kB, a GSD file a few kB.
constexpr long long kMaxFingerprintBytes = 16LL * 1024 * 1024;

std::string FolderName(std::string directory) {
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    const size_t slash = directory.rfind('/');
    return slash == std::string::npos ? directory : directory.substr(slash + 1);
}

// Control characters (line breaks, terminal escapes) become blanks.
std::string Printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text;
}

template <typename Verify>
SummaryFile Fingerprint(const std::string& what, const std::string& path, Verify verify) {
    SummaryFile file;
    file.what = what;
    file.path = path;
    const std::string bytes = ReadWholeFile(path, kMaxFingerprintBytes);
    file.size = static_cast<long long>(bytes.size());
    file.sha256 = Sha256Hex(bytes);
    try {
        file.differences = verify();
    } catch (const Error& error) {
        file.problem = error.what();
    }
    return file;
}

}  // namespace

std::string CurrentDateText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

ProjectSummary BuildProjectSummary(const ProjectContext& context, const SummaryOptions& options) {
    RequireProjectDirectory(context);
    ProjectSummary summary;
    summary.projectDirectory = context.projectDirectory;
    summary.projectName = FolderName(context.projectDirectory);
    summary.date = options.date.empty() ? CurrentDateText() : options.date;

    // The limits check and the layout read the documents first: one that does not parse stops here.
    const auto refusal = ProjectLimitsRefusal(context);
    summary.layout = ComputeModuleLayout(context);
    summary.warnings = LintProject(context);

    std::optional<BankImage> image;
    try {
        image = BuildBankImage(context);
    } catch (const Error& error) {
        summary.listProblem = error.what();
    }
    if (image) {
        summary.hasParameters = image->parameters.has_value();
        if (image->parameters) summary.communication = ParameterFields(*image->parameters);
        for (size_t i = 0; i < image->receiveFrames.size(); ++i) {
            const auto& frame = image->receiveFrames[i];
            summary.receiveFrames.push_back(
                {"R" + std::to_string(i + 1), Printable(frame.mnemonic), ReceiveFrameFields(frame)});
        }
        for (size_t i = 0; i < image->sendFrames.size(); ++i) {
            const auto& frame = image->sendFrames[i];
            summary.sendFrames.push_back(
                {"S" + std::to_string(i + 1), Printable(frame.mnemonic), SendFrameFields(frame)});
        }
        summary.timers = image->timers;
    }

    if (refusal) {
        summary.refusal = *refusal;
    } else if (!image) {
        summary.refusal = summary.listProblem;
    } else {
        try {
            summary.map = BuildIoMap(context);
        } catch (const Error& error) {
            summary.refusal = error.what();
        }
    }

    const std::string imagePath = BankImagePath(context);
    if (FileExists(imagePath))
        summary.files.push_back(
            Fingerprint("configuration image", imagePath, [&] { return VerifyBankImage(context, imagePath); }));
    if (!options.gsdPath.empty())
        summary.files.push_back(
            Fingerprint("GSD file", options.gsdPath, [&] { return VerifyGsdFile(context, options.gsdPath); }));
    return summary;
}

}  // namespace kestrova
