#include "core/project/error.h"

namespace kestrova {

std::string EchoedText(const std::string& value) {
    size_t characters = 0;
    for (size_t at = 0; at < value.size(); ++at) {
        // each character begins with a byte that is not a UTF-8 continuation byte
        if ((static_cast<unsigned char>(value[at]) & 0xC0) == 0x80) continue;
        if (characters++ == kMaxEchoedCharacters) return value.substr(0, at) + "...";
    }
    return value;
}

}  // namespace kestrova
