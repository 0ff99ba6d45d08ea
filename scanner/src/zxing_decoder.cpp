#include "rotating_decoder.h"
#include "text_encoding.h"

#include <ZXing/ReadBarcode.h>

#include <new>

namespace scanlet {
namespace {

// The text a host receives, in UTF-8. ASCII and UTF-8 payloads keep their
// bytes exactly; a code that names its character set is read in it; other
// text in the likeliest of the sets in use; a payload that is no text at all
// gets one character per byte, so that the host can recover the bytes.
std::string textOf(const ZXing::Result& result)
{
    if (result.hasECI()) {
        return result.text();
    }
    const auto& payload = result.bytes();
    std::string bytes(payload.begin(), payload.end());
    if (isUtf8(bytes)) {
        return bytes;
    }
    if (result.contentType() == ZXing::ContentType::Binary) {
        return latin1ToUtf8(bytes);
    }
    // ZXing tells ISO-8859-1 from Shift_JIS, but never guesses GB18030.
    return likeliestText(bytes);
}

cv::Point toPoint(const ZXing::PointI& point)
{
    return {point.x, point.y};
}

class ZxingDecoder : public RotatingDecoder {
public:
    ZxingDecoder() { hints.setFormats(ZXing::BarcodeFormat::QRCode); }

protected:
    Decoded read(const cv::Mat& grey) override
    {
        // The region is a view into the frame, so rows are a frame's width apart.
        const ZXing::ImageView image(grey.data, grey.cols, grey.rows, ZXing::ImageFormat::Lum,
                                     static_cast<int>(grey.step[0]));
        ZXing::Result result;
        try {
            result = ZXing::ReadBarcode(image, hints);
            if (!result.isValid()) {
                return {};
            }
            const auto& position = result.position();
            return {textOf(result),
                    {toPoint(position.topLeft()), toPoint(position.topRight()), toPoint(position.bottomRight()),
                     toPoint(position.bottomLeft())}};
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& error) {
            throw DecoderError("ZXing", error.what());
        }
    }

    std::string source() const override { return "ZXing"; }

private:
    ZXing::DecodeHints hints;
};

}

std::unique_ptr<Decoder> makeZxingDecoder()
{
    return std::make_unique<ZxingDecoder>();
}

}
