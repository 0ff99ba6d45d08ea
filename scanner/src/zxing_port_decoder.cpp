#include "rotating_decoder.h"
#include "text_encoding.h"

#include <imgsource.hpp>
#include <zxing/binarybitmap.hpp>
#include <zxing/common/binarizer/hybrid_binarizer.hpp>
#include <zxing/common/binarizer/simple_adaptive_binarizer.hpp>
#include <zxing/qrcode/qrcode_reader.hpp>

#include <utility>

namespace scanlet {
namespace {

// The smallest code is 21 modules wide. The port reads past the end of an
// image narrower or lower than its binarizers' blocks, and opencv_contrib's
// own reader refuses images of 20 pixels or fewer.
constexpr int minimumSide = 21;

zxing::Ref<zxing::Binarizer> binarizerFor(ReadingMethod method, zxing::Ref<zxing::LuminanceSource> source)
{
    if (method == ReadingMethod::windowMean) {
        return zxing::Ref<zxing::Binarizer>(new zxing::SimpleAdaptiveBinarizer(source));
    }
    return zxing::Ref<zxing::Binarizer>(new zxing::HybridBinarizer(source));
}

cv::Point toPoint(const zxing::Ref<zxing::ResultPoint>& point)
{
    return {cvRound(point->getX()), cvRound(point->getY())};
}

// The port of ZXing's QR reader from opencv_contrib's wechat_qrcode module,
// driven lean: one binarizer and one reading of the binarized image per call,
// without the module's extra finder searches, which make a frame without a
// code many times dearer and read hardly more. The port reports its failures
// through error codes, never by throwing.
class ZxingPortDecoder : public RotatingDecoder {
public:
    ZxingPortDecoder()
    {
        hints.setTryHarder(false);
        hints.setUseConnectedCells(false);
    }

    // The port's binarizer that compares each pixel with the mean of a large
    // window around it, besides its default of thresholds per block.
    std::vector<ReadingMethod> ways() const override
    {
        auto all = RotatingDecoder::ways();
        all.push_back(ReadingMethod::windowMean);
        return all;
    }

protected:
    Decoded read(const cv::Mat& grey, ReadingMethod method) override
    {
        if (grey.cols < minimumSide || grey.rows < minimumSide) {
            return {};
        }
        // The port takes its pixels row after row without gaps; a region is a
        // view into the frame, whose rows lie a frame's width apart.
        cv::Mat pixels = grey.isContinuous() ? grey : grey.clone();
        zxing::Ref<zxing::LuminanceSource> source(cv::wechat_qrcode::ImgSource::create(pixels.data, pixels.cols, pixels.rows));
        zxing::Ref<zxing::BinaryBitmap> bitmap(new zxing::BinaryBitmap(binarizerFor(method, source)));
        bitmap->m_poUnicomBlock = new zxing::UnicomBlock(pixels.rows, pixels.cols);
        zxing::ErrorHandler error;
        const zxing::Ref<zxing::BitMatrix> matrix = bitmap->getBlackMatrix(error);
        if (error.ErrCode() || matrix.empty()) {
            return {};
        }
        // A reader per call: its decoder takes the port's Reed-Solomon field,
        // which another file's static initialisation sets up, so a decoder
        // made during static initialisation could not hold one.
        zxing::qrcode::QRCodeReader reader;
        zxing::Ref<zxing::Result> result = reader.decodeMore(bitmap, matrix, hints, error);
        if (error.ErrCode() || result.empty()) {
            return {};
        }
        return {deliveredText(*result), cornersOf(*result)};
    }

    std::string source() const override { return "ZXing port"; }

private:
    // The payload's segments with the character sets the code names for
    // them; the set the port reports for the whole is a guess of its own.
    static std::string deliveredText(const zxing::Result& result)
    {
        std::vector<Segment> payload;
        for (const auto& segment : result.getSegments()) {
            payload.push_back({segment.bytes, !segment.modeCharset.empty() ? segment.modeCharset
                                              : segment.eci >= 0           ? characterSetOfEci(segment.eci)
                                                                           : std::string()});
        }
        return scanlet::textOf(payload);
    }

    // The reader's corners come bottom-left, top-left, top-right,
    // bottom-right.
    static std::vector<cv::Point> cornersOf(zxing::Result& result)
    {
        const auto& points = result.getResultPoints();
        if (!points || points->size() < 4) {
            return {};
        }
        return {toPoint(points[1]), toPoint(points[2]), toPoint(points[3]), toPoint(points[0])};
    }

    zxing::DecodeHints hints;
};

}

std::unique_ptr<Decoder> makeZxingPortDecoder()
{
    return std::make_unique<ZxingPortDecoder>();
}

}
