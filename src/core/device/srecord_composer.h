#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/device/run_and_wait.h"
#include "core/project/dialogs.h"
#include "core/project/product_variant.h"
#include "core/project/project_context.h"

namespace kestrova {

// Five banks of 16,384 bytes each, 0x10000 apart from 0x388000; each becomes 512 S2 records.
inline constexpr int kBankCount = 5;
inline constexpr std::uint32_t kFirstBankStart = 0x388000;
inline constexpr std::uint32_t kBankSpacing = 0x10000;
inline constexpr std::uint32_t kBankSize = 0x4000;
inline constexpr int kRecordDataBytes = 32;
inline constexpr int kRecordsPerBank = kBankSize / kRecordDataBytes;  // 512
// A bank binary shorter than the bank is padded with erased flash.
inline constexpr std::uint8_t kErasedByte = 0xFF;

// Lines of an S-record file longer than this are not S-record lines; such a file is refused as
// soon as the line count reaches one, before anything is written.
inline constexpr std::size_t kMaxSRecordLine = 256 * 1024;
// A count record holds up to 0xFFFF data records as S5, up to 0xFFFFFF as S6.
inline constexpr std::uint32_t kMaxS5Count = 0xFFFF;
inline constexpr std::uint32_t kMaxS6Count = 0xFFFFFF;

inline constexpr const char* kBaseFirmwareName = "sx51904.sx";
inline constexpr const char* kNewFilePrefix = "New_";
inline constexpr const char* kFlashProgrammerName = "FlashWrite";
inline constexpr char kPilcrow = '\xB6';  // the pilcrow of the Windows Western code page
inline constexpr const char* kSxFilter = "File Sx (*.Sx)|*.Sx";
inline constexpr const char* kSelectDirectoryBin = "Select Directory Bin";

// Messages of the composer (information boxes) and of the window's show (error boxes).
inline constexpr const char* kSxNotFound = "File *.Sx Not Found,Abort Procedure";
inline constexpr const char* kNewSxNotFound = "File New *.Sx Not Found,Abort Procedure";
inline constexpr const char* kDirectoryBinNotFound = "Directory Bin Not Found,Abort Procedure";
inline constexpr const char* kNewSxNotCreated = "File New Sx Not Create,Abort Procedure";
inline constexpr const char* kFlashWriteNotFound = "FlashWrite.exe Not Found, Procedure Aborted";
inline constexpr const char* kFirmwareFileNotFound = "Error! Firmware File not Found! Please reinstall the software.";
inline constexpr const char* kFirmwareDirectoryNotFound =
    "Error! Firmware Directory not Found! Please reinstall the software.";
inline constexpr const char* kNewNameNotValid =
    "Name of the new file not valid (a file name without directory),Abort Procedure";
inline constexpr const char* kNoS9Record = "File *.Sx without S9 record,Abort Procedure";
inline constexpr const char* kNewFirmwareNotGenerated = "New firmware not generated, FlashWrite not started.";

// Refusals of a composition that would write over a file it did not make.
// "Name of the new file not valid (pargen.xml is a project document),Abort Procedure", also for
// the base firmware and a folder.
std::string NewFileIsBase(const std::string& newFileName);
std::string NewFileIsDocument(const std::string& newFileName);
std::string NewFileIsFolder(const std::string& newFileName);
// "File BASE is a stage file of the composition,Abort Procedure" (BASE as given).
std::string BaseIsStageFile(const std::string& baseFirmware);
// "File PATH already exists; the composition makes this file itself and does not overwrite
// it,Abort Procedure".
std::string StageFileExists(const std::string& path);
// A line of the base that is not an S-record: "File BASE line 1234: bad checksum, Abort Procedure".
std::string SRecordLineRefused(const std::string& file, long long line, const std::string& reason);

// Bank n (1 to 5): first address, binary file name ("bank1.bin") and stage output file name
// ("°B1°.sx", UTF-8). The last stage writes the new file.
std::uint32_t BankStart(int bank);
std::string BankBinaryName(int bank);
std::string StageFileName(int bank);
// Message of a missing bank binary: "File bank1.bin Not Found,Abort Procedure".
std::string BankBinaryNotFound(int bank);

// The banks a variant sets when the window is shown: for 2 and 3 banks 1 and 2 (shown and
// checked), the others hidden; other variants set nothing (all five stay shown and checked).
std::optional<std::array<bool, kBankCount>> VariantBanks(int variant);

// One S2 record of 32 data bytes: "S224", six address digits, the data, the one's complement
// checksum, upper-case hexadecimal, ended by CR LF.
std::string S2RecordLine(std::uint32_t address, const std::uint8_t* data);
// Any record: "S", the type digit, the byte count, the address in as many bytes as the type has
// (S0, S1, S5, S9: 2; S2, S6, S8: 3; S3, S7: 4), the data and the checksum, ended by CR LF.
std::string SRecordLine(int type, std::uint32_t address, const std::uint8_t* data, int size);
// The count record of `records` data records: S5 up to 0xFFFF, S6 above.
std::string CountRecordLine(std::uint32_t records);

// What one composition works with. Directories end in '/'.
struct ComposerSettings {
    std::string baseFirmware;              // full path of the base S-record file
    std::string projectDirectory;          // stage files and the new file are made here
    std::string bankDirectory;             // bank1.bin ... bank5.bin; empty when unknown
    std::string newFileName;               // a file name in the project directory
    std::array<bool, kBankCount> banks{};  // enabled and selected
};

// The settings the window starts from for a project: the base firmware "sx51904.sx" in MASTER,
// the project's bin directory when it exists, "New_sx51904.sx", the banks of the variant.
ComposerSettings DefaultComposerSettings(const ProjectContext& context, int variant = kProductVariant);
// The window's show: nothing when MASTER holds "sx51904.sx", otherwise the error box's text.
std::optional<std::string> BaseFirmwareProblem(const ProjectContext& context);
// "New_" followed by the base firmware's file name.
std::string NewFileNameFor(const std::string& baseFirmware);
// `directory` with a trailing '/' (an empty text stays empty).
std::string WithSeparator(const std::string& directory);

// Result of one bank: merged stages give -1 (stopped), 0 (no record of the base in the bank's
// range, not inserted) or 1 (inserted); a bank not selected is passed through.
enum class BankOutcome { PassedThrough, Inserted, NotInserted, Failed };

struct ComposeReport {
    std::array<BankOutcome, kBankCount> banks{};
    int stages = 0;         // stages run, the last one included
    bool produced = false;  // the new file was written by this run
    std::string newFile;    // its full path
};

// Progress of the bank being merged: the position and the maximum (512 plus the input's
// line count). Called with (0, 0) when a bank merge starts and with position == maximum at
// its end, and at least every 1024 lines in between.
using ComposeProgress = std::function<void(long long position, long long maximum)>;

// Composes the new firmware: stage by stage, each selected bank's records replace those of its
// range (at the first record that reaches into it); a record crossing an end of the range keeps
// its bytes outside the range in records of its own type. Count records (S5, S6) are written
// with the new number of data records; S7, S8 and S9 end the file; empty lines are skipped; a
// line that is not an S-record stops the run naming the base and the line. Other stages pass
// their input on. Stops at the first stage that gives -1. The new file is renamed into place
// only when no stage failed; the base firmware is never changed. Refused before anything is
// written: a new file that is the base, a project document or a folder; a base that is a stage
// file; a stage file that exists already (stage files are created exclusively, and only those
// this run made are removed). Messages go to `dialogs`.
ComposeReport ComposeFirmware(const ComposerSettings& settings, Dialogs& dialogs, const ComposeProgress& progress = {});

// One line of text per bank, as kestrova-cli prints them ("bank 1: inserted at 0x388000").
std::string BankOutcomeText(int bank, BankOutcome outcome);

// ---- the flash programmer ----------------------------------------------------------------------

// The flash programmer and the base firmware are shipped files: looked up in the workspace,
// beside the executable and in the installed data folder.
std::string FlashProgrammerPath(const ProjectContext& context);
std::string BaseFirmwarePath(const ProjectContext& context);
// A quotation mark, the project directory and new file name, a quotation mark, the pilcrow byte
// and the port index in decimal (0 for COM1).
std::string FlashProgrammerParameterText(const std::string& projectDirectory, const std::string& newFileName,
                                         int portIndex);

// Starts a program with a parameter text without waiting for it (as RunAndWait starts it).
using ProgramStarter = std::function<RunOutcome(const std::string& program, const std::string& parameters)>;

// The launch: needs the new file and the flash programmer, then starts it. Returns whether it
// was started; a refusal or a failure to start is told through `dialogs`.
bool LaunchFlashProgrammer(const std::string& program, const ComposerSettings& settings, int portIndex,
                           Dialogs& dialogs, const ProgramStarter& starter);

// "Execute update firmware": the composition, then the launch, only when this run produced the
// new file (otherwise the user is told that nothing is flashed).
ComposeReport ExecuteUpdateFirmware(const std::string& flashProgrammer, const ComposerSettings& settings, int portIndex,
                                    Dialogs& dialogs, const ComposeProgress& progress, const ProgramStarter& starter);

}  // namespace kestrova
