#include "decoder.h"

#include <ZXing/ReadBarcode.h>

#include <new>

namespace scanlet {
namespace {

ZXing::ImageFormat formatOf(const cv::Mat& region)
{
    switch (region.channels()) {
    case 1: return ZXing::ImageFormat::Lum;
    case 3: return ZXing::ImageFormat::BGR;
    case 4: return ZXing::ImageFormat::BGRX;
    default: throw DecoderError("ZXing", "unsupported number of channels: " + std::to_string(region.channels()));
    }
}

class ZxingDecoder : public Decoder {
public:
    ZxingDecoder() { hints.setFormats(ZXing::BarcodeFormat::QRCode); }

    Decoded decode(const cv::Mat& region) override
    {
        if (region.empty()) {
            return {};
        }
        if (region.depth() != CV_8U) {
            throw DecoderError("ZXing", "unsupported pixel depth: " + std::to_string(region.depth()));
        }
        // The region is a view into the frame, so rows are a frame's width apart.
        const ZXing::ImageView image(region.data, region.cols, region.rows, formatOf(region),
                                     static_cast<int>(region.step[0]));
        ZXing::Result result;
        try {
            result = ZXing::ReadBarcode(image, hints);
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& error) {
            throw DecoderError("ZXing", error.what());
        }
        if (!result.isValid()) {
            return {};
        }
        const auto& position = result.position();
        // The payload's own bytes, as a camera host stores and compares them;
        // no guessed character set conversion.
        const auto& bytes = result.bytes();
        return {std::string(bytes.begin(), bytes.end()),
                {toPoint(position.topLeft()), toPoint(position.topRight()), toPoint(position.bottomRight()),
                 toPoint(position.bottomLeft())}};
    }

private:
    static cv::Point toPoint(const ZXing::PointI& point) { return {point.x, point.y}; }

    ZXing::DecodeHints hints;
};

}

std::unique_ptr<Decoder> makeZxingDecoder()
{
    return std::make_unique<ZxingDecoder>();
}

}
