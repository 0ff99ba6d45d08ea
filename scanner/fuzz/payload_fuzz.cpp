#include "payload_symbol.h"
#include "qr_symbol_builder.h"

#include "decoding/port_payload.h"
#include "text/utf8.h"

#include <zxing/qrcode/decoder/decoded_bit_stream_parser.hpp>
#include <zxing/qrcode/error_correction_level.hpp>
#include <zxing/qrcode/version.hpp>

#include <algorithm>
#include <cstdint>

// Feeds the port's bit-stream parser data codewords of any content, as a
// symbol whose error correction checks out hands them over, and the library's
// text conversion whatever segments it finds. Nothing may crash, and the text
// a host would receive must be UTF-8.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const payload_symbol::Symbol symbol = payload_symbol::decode(data, size);
    zxing::ErrorHandler error;
    zxing::qrcode::Version* version = zxing::qrcode::Version::getVersionForNumber(symbol.version, error);
    zxing::qrcode::ErrorCorrectionLevel& level = zxing::qrcode::ErrorCorrectionLevel::forBits(symbol.levelBits, error);
    if (error.ErrCode() || version == nullptr) {
        __builtin_trap();
    }
    // A symbol holds exactly its data codewords; the parser meets the zero
    // bits of a terminator after a short input.
    zxing::ArrayRef<char> codewords(qr_symbol_builder::dataCodewordCount(symbol.version, symbol.levelBits));
    std::copy_n(symbol.codewords.begin(), std::min<std::size_t>(symbol.codewords.size(), codewords->size()),
                &codewords[0]);

    zxing::qrcode::DecodedBitStreamParser parser;
    zxing::Ref<zxing::DecoderResult> result = parser.decode(codewords, version, level, error);
    if (error.ErrCode() || result.empty()) {
        return 0;
    }
    if (!scanlet::isUtf8(scanlet::textOfPortSegments(result->getSegments()))) {
        __builtin_trap();
    }
    return 0;
}
