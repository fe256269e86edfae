#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/outputs/bank_image.h"
#include "core/project/project_context.h"

namespace kestrova {

// Checks that a bank.bin and a GSD file found in the field still match the project: the
// differences are listed in the user's words, one line each, empty when consistent.

// "receive frame 3: PGN 0xFEF2 in the image, 0xFEF1 in the project"
std::vector<std::string> CompareBankImages(const BankImage& image, const BankImage& project);

// Builds the image from the project's documents in memory (nothing is written) and compares
// it with the image file. Throws Error when the file cannot be read or is not an image, and
// when the project's documents cannot be compiled.
std::vector<std::string> VerifyBankImage(const ProjectContext& context, const std::string& imagePath);

// What a GSD file declares about the project's layout: the length lines and the modules.
struct GsdModuleDeclaration {
    std::string name;                    // the quoted name, "DI  (PORT1)    "
    std::vector<int32_t> configuration;  // the configuration bytes after the name
};
// A length line: absent, a number, or present with a text that is not a number.
struct GsdLength {
    bool present = false;
    std::optional<int32_t> value;  // nothing when absent or not a number

    bool operator==(const GsdLength& other) const { return present == other.present && value == other.value; }
    bool operator!=(const GsdLength& other) const { return !(*this == other); }
};
struct GsdDeclaration {
    GsdLength maxModule, maxInputLen, maxOutputLen, maxDataLen;
    std::vector<GsdModuleDeclaration> modules;  // in file order
};

// Reads the keywords Max_Module, Max_Input_Len, Max_Output_Len, Max_Data_Len and Module from
// GSD text: keywords without regard to case, comments after ";" and lines continued with "\".
GsdDeclaration ReadGsdDeclaration(const std::string& text);

// "module 2: output of 64 bytes (0x82,0x3F,0x00,0x02) in the GSD file, output of 8 bytes
// (0x82,0x07,0x00,0x02) in the project"
std::vector<std::string> CompareGsdDeclarations(const GsdDeclaration& file, const GsdDeclaration& project);

// Computes the project's module layout and compares the GSD file's module list and length
// lines with it. Throws Error when the file cannot be read and when the project's layout has
// no GSD file (as the GSD writer refuses it).
std::vector<std::string> VerifyGsdFile(const ProjectContext& context, const std::string& gsdPath);

}  // namespace kestrova
