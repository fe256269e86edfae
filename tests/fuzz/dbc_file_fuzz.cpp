// The DBC reader and what is made of its messages, on any bytes: an Error or a result, never a
// crash, a hang or undefined behaviour.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/dbc/dbc_file.h"
#include "core/dbc/dbc_import.h"
#include "core/project/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const kestrova::DbcFile dbc =
            kestrova::ParseDbc(std::string(reinterpret_cast<const char*>(data), size), "fuzz");
        for (const auto& message : dbc.messages) {
            for (const auto list : {kestrova::FrameList::Receive, kestrova::FrameList::Send})
                if (!kestrova::ImportRefusal(message, list)) kestrova::FrameRow(message, list);
            kestrova::MessageMatchesFilter(message, "speed");
            kestrova::MessageNote(message);
        }
        kestrova::DbcListText(dbc);
        kestrova::DbcListCsv(dbc);
    } catch (const kestrova::Error&) {
    }
    return 0;
}
