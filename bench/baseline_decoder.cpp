#include "baseline_decoder.h"

#include <ZXing/ReadBarcode.h>

#include <stdexcept>

namespace bench {
namespace {

ZXing::ImageFormat formatOf(const cv::Mat& region)
{
    switch (region.channels()) {
    case 1: return ZXing::ImageFormat::Lum;
    case 3: return ZXing::ImageFormat::BGR;
    default: return ZXing::ImageFormat::BGRX;
    }
}

cv::Point toPoint(const ZXing::PointI& point)
{
    return {point.x, point.y};
}

class BaselineDecoder : public scanlet::Decoder {
public:
    BaselineDecoder() { hints.setFormats(ZXing::BarcodeFormat::QRCode); }

    scanlet::Decoded decode(const cv::Mat& region) override
    {
        const ZXing::ImageView image(region.data, region.cols, region.rows, formatOf(region),
                                     static_cast<int>(region.step[0]));
        ZXing::Result result;
        try {
            result = ZXing::ReadBarcode(image, hints);
        } catch (const std::out_of_range&) {
            // ZXing-cpp 1.4 throws where a bit stream ends before its
            // segment does; the library reports it, here it is a miss.
            return {};
        }
        if (!result.isValid()) {
            return {};
        }
        const auto& position = result.position();
        const auto& bytes = result.bytes();
        return {std::string(bytes.begin(), bytes.end()),
                {toPoint(position.topLeft()), toPoint(position.topRight()), toPoint(position.bottomRight()),
                 toPoint(position.bottomLeft())}};
    }

private:
    ZXing::DecodeHints hints;
};

}

bool baselineDecoderAvailable()
{
    return true;
}

std::unique_ptr<scanlet::Decoder> makeBaselineDecoder()
{
    return std::make_unique<BaselineDecoder>();
}

}
