// The image decoder on any bytes: a fault or records, never a crash; records it accepts give
// the same bytes again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/readback/bank_image_decoder.h"
#include "core/readback/image_description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto decoding = kestrova::DecodeBankImage(bytes);
    if (decoding.fault) {
        if (decoding.fault->offset > size || decoding.fault->reason.empty()) std::abort();
        return 0;
    }
    if (kestrova::BankImageBytes(decoding.image) != bytes) std::abort();
    kestrova::BankImageText(decoding.image);
    kestrova::BankImageJson(decoding.image);
    return 0;
}
