#include "core/outputs/gsd_file.h"

#include "core/project/error.h"
#include "core/project/file_system.h"

#include <cstdio>

namespace kestrova {
namespace {

constexpr size_t kBoxWidth = 85;

// ";*", blanks, "*": an empty line of the header box.
std::string BoxBlank() { return ";*" + std::string(kBoxWidth - 3, ' ') + "*"; }

// The text, blanks up to column 84, then the closing "*" of the box.
std::string Padded(const std::string& text) {
    std::string line = text;
    if (line.size() < kBoxWidth - 1) line.append(kBoxWidth - 1 - line.size(), ' ');
    return line + "*";
}

std::string Address(const std::string& text) { return Padded(";*" + std::string(11, ' ') + text); }

const char* const kAddressTexts[] = {
    "Quorvane Way 48",
    "12048 Kestrova",
    "Province of Kestrova - Europe",
    "Tel. : +00 000 0000000",
    "FAX. : +00 000 0000001",
    "eMail: support@quorvane.example",
};

// Lines 21 to 152: the end of the header box, the parameter and keyword sections.
const char* const kKeywordLines[] = {
    ";************************************************************************************",
    "",
    "",
    "#Profibus_DP",
    "",
    "",
    ";====================================================================================",
    ";==== Prm-Text-Def-List =============================================================",
    ";====================================================================================",
    "",
    "PrmText=1",
    "Text(0)=\"disable\"",
    "Text(1)=\"enable\"",
    "EndPrmText",
    "",
    "PrmText  = 2",
    "Text(0)  = \"clock up\"",
    "Text(1)  = \"clock down\"",
    "EndPrmText",
    "",
    "PrmText  = 3",
    "Text(1)  = \"10\"",
    "Text(2)  = \"20\"",
    "Text(3)  = \"30\"",
    "Text(4)  = \"40\"",
    "Text(5)  = \"50\"",
    "EndPrmText",
    "",
    "",
    ";=====================================================================================",
    ";==== Ext-User-Prm-Data-Def-List =====================================================",
    ";=====================================================================================",
    "",
    "ExtUserPrmData=1 \"[SlotNumber]\"",
    "Unsigned8 0 0-32",
    "EndExtUserPrmData",
    "",
    "ExtUserPrmData=2 \"Diagnostic Alarm\"",
    "Bit(0) 0 0-1",
    "Prm_Text_Ref=1",
    "EndExtUserPrmData",
    "",
    "ExtUserPrmData=3 \"Process Alarm\"",
    "Bit(1) 0 0-1",
    "Prm_Text_Ref=1",
    "EndExtUserPrmData",
    "",
    "ExtUserPrmData=4 \"Counter mode\"",
    "Unsigned8 0 0-1",
    "Prm_Text_Ref=2",
    "EndExtUserPrmData",
    "",
    "ExtUserPrmData=5 \"Counter timebase (ms)\"",
    "Unsigned8 1 1-5",
    "Prm_Text_Ref=3",
    "EndExtUserPrmData",
    "",
    "ExtUserPrmData=6 \"Counter high-limit\"",
    "Unsigned16 65535 0-65535",
    "EndExtUserPrmData",
    "",
    "ExtUserPrmData=7 \"Counter low-limit\"",
    "Unsigned16 0 0-65535",
    "EndExtUserPrmData",
    "",
    "",
    ";=====================================================================================",
    ";==== General DP Keywords ============================================================",
    ";=====================================================================================",
    "",
    "GSD_Revision = 5",
    "Vendor_Name = \"Quorvane\"",
    "Model_Name = \"GX48120\"",
    "Revision = \"1.00\"",
    "Ident_Number = 0xAFFC",
    "Protocol_Ident = 0",
    "Station_Type = 0",
    "FMS_supp = 0",
    "Hardware_Release = \"V1.00\"",
    "Software_Release = \"V1.00\"",
    "Redundancy = 0",
    "Repeater_Ctrl_Sig = 2",
    "24V_Pins = 0",
    "",
    "",
    ";==============================================================================",
    ";==== Supported baudrates =====================================================",
    ";==============================================================================",
    "",
    "9.6_supp = 1",
    "19.2_supp = 1",
    "45.45_supp = 1",
    "93.75_supp = 1",
    "187.5_supp = 1",
    "500_supp = 1",
    "1.5M_supp = 1",
    "3M_supp = 1",
    "6M_supp = 1",
    "12M_supp = 1",
    "",
    "MaxTsdr_9.6=15",
    "MaxTsdr_19.2=15",
    "MaxTsdr_45.45=15",
    "MaxTsdr_93.75=15",
    "MaxTsdr_187.5=15",
    "MaxTsdr_500=15",
    "MaxTsdr_1.5M=20",
    "MaxTsdr_3M=35",
    "MaxTsdr_6M=50",
    "MaxTsdr_12M=95",
    "",
    "",
    ";==============================================================================",
    ";==== Slave specific values ===================================================",
    ";==============================================================================",
    "",
    "OrderNumber=\"GX48120\"",
    "Slave_Family = 9@Quorvane@GX48120",
    "Implementation_Type = \"VPC3+\"",
    "Info_Text=\"Quorvane: Gateway J1939 to ProfiBus Slave\"",
    "Bitmap_Device = \"DPV0_1N\"",
    "Bitmap_SF=\"DPV0_1S\"",
    "",
    "Freeze_Mode_supp=1",
    "Sync_Mode_supp=1",
    "Fail_Safe=1",
    "Auto_Baud_supp=1",
    "Set_Slave_Add_supp=0",
    "",
    "Min_Slave_Intervall=6",
    "",
    "Modular_Station=1",
};

// Lines 158 to 189, up to the module definitions.
const char* const kModuleSectionLines[] = {
    "Max_Diag_Data_Len=18",
    "",
    "WD_Base_1ms_supp = 1",
    "Publisher_supp = 1",
    "",
    ";==============================================================================",
    ";==== User-Prm-Data ===========================================================",
    ";==============================================================================",
    "",
    "Max_User_Prm_Data_Len = 12",
    "Ext_User_Prm_Data_Const(0)= 0x00,0x00,0x00",
    "",
    ";==============================================================================",
    ";==== Modulstatus =============================================================",
    ";==============================================================================",
    "",
    "Unit_Diag_Area = 24 - 25",
    "Value(1)= \"Slot 1: Module error\"",
    "Value(2)= \"Slot 1: Wrong module\"",
    "Value(3)= \"Slot 1: No module\"",
    "Unit_Diag_Area_End",
    "Unit_Diag_Area = 26 - 27",
    "Value(1)= \"Slot 2: Module error\"",
    "Value(2)= \"Slot 2: Wrong module\"",
    "Value(3)= \"Slot 2: No module\"",
    "Unit_Diag_Area_End",
    "",
    "",
    ";==============================================================================",
    ";==== Module-Definition-List ==================================================",
    ";==============================================================================",
    "",
};

std::string Hex2(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value) & 0xFFu);
    return text;
}

bool BothOptionsOn(const ModuleLayout& layout) { return layout.SendBits() && layout.OneModulePerFrame(); }

// The module of one special identifier: 0x42 input, 0x82 output; length byte = length - 1;
// then the manufacturer bytes 0x00 and the module number.
std::string ModuleLine(const GsdModule& module) {
    return std::string("Module=\"") + (module.input ? "DI" : "DO") + "  (PORT" + std::to_string(module.number) +
           ")    \" " + (module.input ? "0x42" : "0x82") + ",0x" + Hex2(module.length - 1) + ",0x00,0x" +
           Hex2(module.number);
}

std::string SlotLine(int i) {
    const std::string n = std::to_string(i);
    return "Slot(" + n + ") = \"Slot " + n + "\" " + n + " " + n;
}

void Validate(const ModuleLayout& layout, const std::vector<GsdModule>& modules) {
    if (layout.InputBytes < 0 || layout.OutputBytes < 0)
        throw Error("The GSD file cannot be written: the receive frames declare a negative data length.");
    if (modules.size() > static_cast<size_t>(kMaxGsdModules))
        throw Error("The GSD file cannot be written: the project needs " + std::to_string(modules.size()) +
                    " modules and a GSD file declares at most " + std::to_string(kMaxGsdModules) + ".");
    for (const auto& module : modules)
        if (module.length < 1 || module.length > kMaxModuleBytes)
            throw Error("The GSD file cannot be written: module " + std::to_string(module.number) + " would hold " +
                        std::to_string(module.length) + " bytes, and a PROFIBUS module holds 1 to 64 bytes.");
}

}  // namespace

std::vector<GsdModule> ListGsdModules(const ModuleLayout& layout) {
    std::vector<GsdModule> modules;
    const auto add = [&modules](bool input, int length) {
        modules.push_back({input, length, static_cast<int>(modules.size()) + 1});
    };
    if (layout.OneModulePerFrame()) {
        for (const auto length : layout.ReceiveFrameLengths) add(true, length);
        // Without send frames there are no send bits: no empty module is declared for them.
        if (layout.SendBits() && layout.SendBitBytes > 0) add(true, layout.SendBitBytes);
        for (int32_t i = 0; i < layout.OutputModules; ++i) add(false, kFrameDataBytes);
        if (layout.SendBits() && layout.SendBitBytes > 0) add(false, layout.SendBitBytes);
    } else {
        const auto packed = [&add](bool input, int32_t bytes, int32_t count) {
            if (bytes <= 0) return;
            for (int32_t i = 1; i < count; ++i) add(input, kMaxModuleBytes);
            add(input, bytes - kMaxModuleBytes * (count - 1));
        };
        packed(true, layout.InputBytes, layout.InputModules);
        packed(false, layout.OutputBytes, layout.OutputModules);
    }
    return modules;
}

std::vector<std::string> GsdLines(const ModuleLayout& layout) {
    const auto modules = ListGsdModules(layout);
    Validate(layout, modules);

    std::vector<std::string> lines;
    lines.push_back(";");
    lines.push_back(";*********************** Gateway J1939 to ProfiBus Slave ****************************");
    lines.push_back(";* ================================================================================ *");
    lines.push_back(BoxBlank());
    lines.push_back(Padded(";* Vendor:   Quorvane"));
    for (const auto* text : kAddressTexts) lines.push_back(Address(text));
    lines.push_back(BoxBlank());
    lines.push_back(";* ================================================================================ *");
    lines.push_back(BoxBlank());
    lines.push_back(Padded(";* Function:       Gateway J1939 to ProfiBus Slave"));
    lines.push_back(BoxBlank());
    lines.push_back(BoxBlank());
    lines.push_back(Padded(";* Order Number : GX48120"));
    lines.push_back(BoxBlank());
    lines.push_back(BoxBlank());
    for (const auto* line : kKeywordLines) lines.push_back(line);

    const int64_t sendBits = BothOptionsOn(layout) ? layout.SendBitBytes : 0;
    const int64_t inputLength = int64_t{layout.InputBytes} + sendBits;
    const int64_t outputLength = int64_t{layout.OutputBytes} + sendBits;
    lines.push_back("Max_Module=" + std::to_string(modules.size()));
    lines.push_back("Modul_Offset=1");
    lines.push_back("Max_Input_Len=" + std::to_string(inputLength));
    lines.push_back("Max_Output_Len=" + std::to_string(outputLength));
    lines.push_back("Max_Data_Len=" + std::to_string(inputLength + outputLength));

    for (const auto* line : kModuleSectionLines) lines.push_back(line);
    for (const auto& module : modules) {
        lines.push_back(ModuleLine(module));
        lines.push_back(std::to_string(module.number));
        lines.push_back("EndModule");
    }
    lines.insert(lines.end(), 3, std::string());
    lines.push_back("SlotDefinition");
    for (size_t i = 1; i <= modules.size(); ++i) lines.push_back(SlotLine(static_cast<int>(i)));
    lines.push_back("EndSlotDefinition");
    lines.insert(lines.end(), 4, std::string());
    return lines;
}

std::string GsdText(const ModuleLayout& layout) {
    std::string text;
    for (const auto& line : GsdLines(layout)) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void WriteGsdFile(const ProjectContext& context, const std::string& path) {
    const std::string text = GsdText(ComputeModuleLayout(context));
    try {
        WriteFileReplacing(path, text);
    } catch (const Error& error) {
        // The system's reason follows the path in every message of the replacing write.
        const std::string message = error.what();
        const std::string marker = path + ": ";
        const auto at = message.find(marker);
        const std::string reason = at == std::string::npos ? message : message.substr(at + marker.size());
        throw Error("Cannot create file \"" + path + "\". " + reason);
    }
}

}  // namespace kestrova
