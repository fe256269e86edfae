#include "core/readback/project_verify.h"

#include <cctype>
#include <cstdio>

#include "core/editors/editor_table.h"
#include "core/readback/bank_image_decoder.h"
#include "core/readback/image_description.h"
#include "core/outputs/gsd_file.h"
#include "core/outputs/module_layout.h"
#include "core/project/file_system.h"
#include "core/project/integer_text.h"

namespace kestrova {
namespace {

// A GSD file of the gateway is a few kilobytes; anything far larger is not one.
constexpr long long kMaxGsdFileBytes = 4LL * 1024 * 1024;

std::string Number(size_t value) { return std::to_string(value); }

// Both sides of one difference, in the words of the two sources.
struct Sides {
    const char* left;   // "in the image", "in the GSD file"
    const char* right;  // "in the project"
};
constexpr Sides kImageSides{"in the image", "in the project"};
constexpr Sides kGsdSides{"in the GSD file", "in the project"};

std::string Differs(const std::string& what, const std::string& left, const std::string& right, Sides sides) {
    return what + ": " + left + " " + sides.left + ", " + right + " " + sides.right;
}

// Field by field; the lists have the same names in the same order.
void CompareFields(const std::string& what, const std::vector<ImageField>& image,
                   const std::vector<ImageField>& project, std::vector<std::string>& out) {
    for (size_t i = 0; i < image.size() && i < project.size(); ++i)
        if (image[i].value != project[i].value)
            out.push_back(Differs(what, image[i].name + " " + image[i].value, project[i].value, kImageSides));
}

// Two lists of records: the count, then the records both hold field by field, then the records
// only one of them holds.
template <typename Record, typename Fields>
void CompareRecords(const char* plural, const char* singular, const std::vector<Record>& image,
                    const std::vector<Record>& project, Fields fields, std::vector<std::string>& out) {
    if (image.size() != project.size())
        out.push_back(Differs(plural, Number(image.size()), Number(project.size()), kImageSides));
    for (size_t i = 0; i < image.size() || i < project.size(); ++i) {
        const std::string what = std::string(singular) + " " + Number(i + 1);
        if (i >= project.size())
            out.push_back(what + ": only in the image: " + FieldsText(fields(image[i])));
        else if (i >= image.size())
            out.push_back(what + ": only in the project: " + FieldsText(fields(project[i])));
        else
            CompareFields(what, fields(image[i]), fields(project[i]), out);
    }
}

std::string Lower(std::string text) {
    for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The line without a comment: ";" outside a quoted text starts one.
std::string WithoutComment(const std::string& line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ';' && !quoted) return line.substr(0, i);
    }
    return line;
}

// The logical lines of the text: CR LF or LF line ends, "\" at the end continues a line.
std::vector<std::string> LogicalLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string pending;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = TrimBlanks(WithoutComment(text.substr(at, end - at)));
        at = end + 1;
        if (!line.empty() && line.back() == '\\') {
            line.pop_back();
            pending += line;
            continue;
        }
        lines.push_back(pending + line);
        pending.clear();
    }
    if (!pending.empty()) lines.push_back(pending);
    return lines;
}

std::optional<GsdModuleDeclaration> ReadModule(const std::string& value) {
    if (value.empty() || value.front() != '"') return std::nullopt;
    const size_t close = value.find('"', 1);
    if (close == std::string::npos) return std::nullopt;
    GsdModuleDeclaration module;
    module.name = value.substr(1, close - 1);
    const std::string bytes = value.substr(close + 1);
    for (size_t at = 0; at <= bytes.size();) {
        size_t end = bytes.find(',', at);
        if (end == std::string::npos) end = bytes.size();
        const std::string item = TrimBlanks(bytes.substr(at, end - at));
        if (!item.empty() || end < bytes.size()) module.configuration.push_back(TryIntegerText(item).value_or(-1));
        at = end + 1;
    }
    return module;
}

std::string Hex2(int32_t value) {
    if (value < 0 || value > 0xFF) return "?";
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value));
    return text;
}

// "input of 36 bytes (0x42,0x23,0x00,0x01)": the special identifier format of the gateway's
// modules (0x42 input, 0x82 output, then the length less one), else the bytes alone.
std::string ModuleText(const GsdModuleDeclaration& module) {
    std::string bytes;
    for (const auto byte : module.configuration) bytes += (bytes.empty() ? "" : ",") + Hex2(byte);
    const auto& c = module.configuration;
    if (c.size() >= 2 && (c[0] == 0x42 || c[0] == 0x82) && c[1] >= 0 && c[1] <= 0x3F)
        return std::string(c[0] == 0x42 ? "input" : "output") + " of " + std::to_string(c[1] + 1) + " bytes (" + bytes +
               ")";
    return "configuration (" + bytes + ")";
}

std::string LengthText(const GsdLength& length) {
    if (!length.present) return "missing";
    return length.value ? std::to_string(*length.value) : std::string("not a valid number");
}

}  // namespace

std::vector<std::string> CompareBankImages(const BankImage& image, const BankImage& project) {
    std::vector<std::string> out;
    CompareRecords("receive frames", "receive frame", image.receiveFrames, project.receiveFrames, ReceiveFrameFields,
                   out);
    CompareRecords("send frames", "send frame", image.sendFrames, project.sendFrames, SendFrameFields, out);
    if (image.parameters && project.parameters)
        CompareFields("parameter block", ParameterFields(*image.parameters), ParameterFields(*project.parameters), out);
    else if (image.parameters)
        out.push_back("parameter block: only in the image (the project has no pargen.xml)");
    else if (project.parameters)
        out.push_back("parameter block: only in the project (the image was built without pargen.xml)");
    if (image.timers.size() != project.timers.size())
        out.push_back(Differs("timers", Number(image.timers.size()), Number(project.timers.size()), kImageSides));
    for (size_t i = 0; i < image.timers.size() || i < project.timers.size(); ++i) {
        const std::string what = "timer T" + Number(i + 1);
        if (i >= project.timers.size())
            out.push_back(what + ": only in the image: " + std::to_string(image.timers[i]) + " ms");
        else if (i >= image.timers.size())
            out.push_back(what + ": only in the project: " + std::to_string(project.timers[i]) + " ms");
        else if (image.timers[i] != project.timers[i])
            out.push_back(Differs(what, std::to_string(image.timers[i]) + " ms",
                                  std::to_string(project.timers[i]) + " ms", kImageSides));
    }
    return out;
}

std::vector<std::string> VerifyBankImage(const ProjectContext& context, const std::string& imagePath) {
    const BankImage image = ReadBankImageFile(imagePath);
    return CompareBankImages(image, BuildBankImage(context));
}

GsdDeclaration ReadGsdDeclaration(const std::string& text) {
    GsdDeclaration declaration;
    for (const auto& line : LogicalLines(text)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string keyword = Lower(TrimBlanks(line.substr(0, equals)));
        const std::string value = TrimBlanks(line.substr(equals + 1));
        // The first of each length line counts, as a master reads the file.
        const auto length = [&value](GsdLength& field) {
            if (!field.present) field = GsdLength{true, TryIntegerText(value)};
        };
        if (keyword == "max_module")
            length(declaration.maxModule);
        else if (keyword == "max_input_len")
            length(declaration.maxInputLen);
        else if (keyword == "max_output_len")
            length(declaration.maxOutputLen);
        else if (keyword == "max_data_len")
            length(declaration.maxDataLen);
        else if (keyword == "module")
            declaration.modules.push_back(ReadModule(value).value_or(GsdModuleDeclaration{value, {}}));
    }
    return declaration;
}

std::vector<std::string> CompareGsdDeclarations(const GsdDeclaration& file, const GsdDeclaration& project) {
    std::vector<std::string> out;
    const std::pair<const char*, GsdLength GsdDeclaration::*> lengths[] = {
        {"Max_Module", &GsdDeclaration::maxModule},
        {"Max_Input_Len", &GsdDeclaration::maxInputLen},
        {"Max_Output_Len", &GsdDeclaration::maxOutputLen},
        {"Max_Data_Len", &GsdDeclaration::maxDataLen},
    };
    for (const auto& [keyword, field] : lengths)
        if (file.*field != project.*field)
            out.push_back(Differs(keyword, LengthText(file.*field), LengthText(project.*field), kGsdSides));
    if (file.modules.size() != project.modules.size())
        out.push_back(Differs("modules", Number(file.modules.size()), Number(project.modules.size()), kGsdSides));
    for (size_t i = 0; i < file.modules.size() || i < project.modules.size(); ++i) {
        const std::string what = "module " + Number(i + 1);
        if (i >= project.modules.size())
            out.push_back(what + ": only in the GSD file: " + ModuleText(file.modules[i]));
        else if (i >= file.modules.size())
            out.push_back(what + ": only in the project: " + ModuleText(project.modules[i]));
        else if (file.modules[i].configuration != project.modules[i].configuration)
            out.push_back(Differs(what, ModuleText(file.modules[i]), ModuleText(project.modules[i]), kGsdSides));
    }
    return out;
}

std::vector<std::string> VerifyGsdFile(const ProjectContext& context, const std::string& gsdPath) {
    const GsdDeclaration file = ReadGsdDeclaration(ReadWholeFile(gsdPath, kMaxGsdFileBytes));
    const GsdDeclaration project = ReadGsdDeclaration(GsdText(ComputeModuleLayout(context)));
    return CompareGsdDeclarations(file, project);
}

}  // namespace kestrova
