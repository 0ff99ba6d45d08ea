#include "decoding/image_reader.h"
#include "decoding/rotating_decoder.h"
#include "text/text_encoding.h"

#include <ZXing/ReadBarcode.h>

#include <cstdlib>
#include <new>
#include <vector>

namespace scanlet {
namespace {

// The segments of a code that names character sets, from the bytes of the ECI
// protocol that ZXing hands over: a symbology identifier, then a backslash and
// six digits before each segment, and every backslash of the payload doubled.
std::vector<Segment> eciSegmentsOf(const ZXing::Result& result)
{
    const ZXing::ByteArray protocol = result.bytesECI();
    const std::string bytes(protocol.begin(), protocol.end());
    std::vector<Segment> segments{{}};
    constexpr std::size_t identifierLength = 3;
    constexpr std::size_t designatorDigits = 6;
    for (std::size_t i = identifierLength; i < bytes.size(); ++i) {
        if (bytes[i] != '\\') {
            segments.back().bytes += bytes[i];
        } else if (i + 1 < bytes.size() && bytes[i + 1] == '\\') {
            segments.back().bytes += bytes[++i];
        } else if (i + designatorDigits < bytes.size()) {
            const int eci = std::atoi(bytes.substr(i + 1, designatorDigits).c_str());
            segments.push_back({{}, characterSetOfEci(eci)});
            i += designatorDigits;
        }
    }
    return segments;
}

// The text a host receives, in UTF-8, from what ZXing found: the sets the
// code names through designators, read by the library's one reading of text.
// Kanji and Hanzi mode segments name their set too but leave no trace in the
// bytes; ZXing reads them in it, so its own text is taken when the code holds
// any, which shows as a text that is not the bytes read as ISO-8859-1.
std::string deliveredText(const ZXing::Result& result)
{
    if (result.hasECI()) {
        return textOf(eciSegmentsOf(result));
    }
    const auto& payload = result.bytes();
    std::string bytes(payload.begin(), payload.end());
    ZXing::Result bytewise = result;
    bytewise.setCharacterSet("ISO-8859-1");
    if (bytewise.text() != latin1ToUtf8(bytes)) {
        return result.text();
    }
    return textOf({{std::move(bytes), ""}});
}

ZXing::Binarizer binarizerFor(Binarizer binarizer)
{
    switch (binarizer) {
    case Binarizer::globalHistogram: return ZXing::Binarizer::GlobalHistogram;
    case Binarizer::fixedThreshold: return ZXing::Binarizer::FixedThreshold;
    default: return ZXing::Binarizer::LocalAverage;
    }
}

cv::Point toPoint(const ZXing::PointI& point)
{
    return {point.x, point.y};
}

class ZxingReader : public ImageReader {
public:
    ZxingReader() { hints.setFormats(ZXing::BarcodeFormat::QRCode); }

    // ZXing's own binarizers besides its default, which set one threshold for
    // the whole region: from its histogram on the region in grey, and at
    // mid-grey on the stretched region.
    std::vector<Way> ownWays() const override
    {
        return {{Preparation::plain, Binarizer::globalHistogram}, {Preparation::stretched, Binarizer::fixedThreshold}};
    }

    Decoded read(const PreparedImage& prepared, Binarizer binarizer) override
    {
        const cv::Mat& grey = prepared.image;
        hints.setBinarizer(binarizerFor(binarizer));
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
            return {deliveredText(result),
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
    return std::make_unique<RotatingDecoder>(std::make_unique<ZxingReader>());
}

}
