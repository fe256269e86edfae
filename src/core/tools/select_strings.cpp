#include "core/tools/select_strings.h"

#include <algorithm>
#include <exception>

#include "core/project/xml_document.h"

namespace kestrova {

void ReadSelectStrings(const std::string& path, std::vector<std::string>& strings, Dialogs& dialogs) {
    strings.resize(kSelectStringCount);
    std::optional<std::vector<std::string>> values;
    try {
        values = ReadValueList(path);
    } catch (const std::exception&) {
        dialogs.ShowMessage(MessageKind::Plain, "Error in reading file XML");
        return;
    }
    if (!values) {
        dialogs.ShowMessage(MessageKind::Plain, "File strings XML not found");
        return;
    }
    std::copy_n(values->begin(), std::min(values->size(), kSelectStringCount), strings.begin());
}

}  // namespace kestrova
