#include "decoding/decoder.h"

namespace scanlet {

DecoderKind configuredDecoder()
{
#if defined(SCANLET_DEFAULT_DECODER_ZXING_PORT)
    return DecoderKind::ZXingPort;
#else
    return DecoderKind::ZXing;
#endif
}

bool isBuiltIn(DecoderKind kind)
{
#if defined(SCANLET_HAVE_ZXING)
    return kind == DecoderKind::ZXing || kind == DecoderKind::ZXingPort;
#else
    return kind == DecoderKind::ZXingPort;
#endif
}

std::unique_ptr<Decoder> makeDecoder(DecoderKind kind)
{
    switch (kind) {
#if defined(SCANLET_HAVE_ZXING)
    case DecoderKind::ZXing: return makeZxingDecoder();
#endif
    case DecoderKind::ZXingPort: return makeZxingPortDecoder();
    default: throw std::invalid_argument("this build has no such QR decoder");
    }
}

}
