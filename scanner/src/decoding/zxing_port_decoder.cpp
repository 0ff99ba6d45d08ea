#include "decoding/image_reader.h"
#include "decoding/port_payload.h"
#include "decoding/rotating_decoder.h"

#include <imgsource.hpp>
#include <zxing/binarybitmap.hpp>
#include <zxing/common/binarizer/hybrid_binarizer.hpp>
#include <zxing/common/binarizer/simple_adaptive_binarizer.hpp>
#include <zxing/qrcode/qrcode_reader.hpp>

#include <opencv2/imgproc.hpp>

#include <utility>

namespace scanlet {
namespace {

// A region whose binarized pixels change colour at a quarter or more of the
// steps along a row is mostly noise: a dark frame at high gain, or sensor noise
// over a whole scene, where the thresholds of quiet parts split the noise into
// dark and light. Noise flips at every other step, real scenes stay below a
// twentieth, codes included. Its rows are sampled eight apart.
constexpr double noiseFlipShare = 0.25;
constexpr int noiseSampleRowStep = 8;

// In noise the finder search meets finder-like spots by the thousand and
// offers the reader up to fifteen triples of them, each a grid to sample and
// decode. The best three read every code under noise that all of them read.
constexpr int noiseFinderTriples = 3;

// The smallest code is 21 modules wide. The port reads past the end of an
// image narrower or lower than its binarizers' blocks, and opencv_contrib's
// own reader refuses images of 20 pixels or fewer.
constexpr int minimumSide = 21;

zxing::Ref<zxing::Binarizer> binarizerFor(Binarizer binarizer, zxing::Ref<zxing::LuminanceSource> source)
{
    if (binarizer == Binarizer::windowMean) {
        return zxing::Ref<zxing::Binarizer>(new zxing::SimpleAdaptiveBinarizer(source));
    }
    return zxing::Ref<zxing::Binarizer>(new zxing::HybridBinarizer(source));
}

zxing::Ref<zxing::BinaryBitmap> bitmapOf(const cv::Mat& grey, Binarizer binarizer)
{
    // The port takes its pixels row after row without gaps; a region is a
    // view into the frame, whose rows lie a frame's width apart. The source
    // keeps a copy.
    cv::Mat pixels = grey.isContinuous() ? grey : grey.clone();
    zxing::Ref<zxing::LuminanceSource> source(cv::wechat_qrcode::ImgSource::create(pixels.data, pixels.cols, pixels.rows));
    zxing::Ref<zxing::BinaryBitmap> bitmap(new zxing::BinaryBitmap(binarizerFor(binarizer, source)));
    bitmap->m_poUnicomBlock = new zxing::UnicomBlock(pixels.rows, pixels.cols);
    return bitmap;
}

// Judged on the part of the matrix that columns names.
bool isMostlyNoise(zxing::BitMatrix& matrix, const cv::Range& columns)
{
    long flips = 0;
    long steps = 0;
    for (int y = noiseSampleRowStep / 2; y < matrix.getHeight(); y += noiseSampleRowStep) {
        const bool* row = matrix.getRowBoolPtr(y);
        for (int x = columns.start + 1; x < columns.end; ++x) {
            flips += row[x] != row[x - 1];
        }
        steps += columns.size() - 1;
    }
    return flips >= noiseFlipShare * steps;
}

cv::Point toPoint(const zxing::Ref<zxing::ResultPoint>& point, int scale)
{
    return {cvRound(point->getX() * scale), cvRound(point->getY() * scale)};
}

// The port of ZXing's QR reader from opencv_contrib's wechat_qrcode module,
// driven lean: one binarizer and one reading of the binarized image per call,
// without the module's extra finder searches, which make a frame without a
// code many times dearer and read hardly more. The port reports its failures
// through error codes, never by throwing.
class ZxingPortReader : public ImageReader {
public:
    ZxingPortReader()
    {
        hints.setTryHarder(false);
        hints.setUseConnectedCells(false);
        noiseHints = hints;
        noiseHints.setMaxFinderTriples(noiseFinderTriples);
    }

    // The port's binarizer that compares each pixel with the mean of a large
    // window around it, besides its default of thresholds per block.
    std::vector<Way> ownWays() const override
    {
        return {{Preparation::plain, Binarizer::windowMean}};
    }

    // A region of noise is read at half size: the finder search meets
    // finder-like runs everywhere in noise and costs ten times a frame's
    // usual; halving averages the noise down, so a code under it still reads,
    // and leaves a quarter of the pixels to search. Whether it is noise is
    // judged on the region as it is; of a way's two copies side by side only
    // the one the way adds is read then, since the region's own is the plain
    // way's, and two copies of noise would cost twice as much.
    Decoded read(const PreparedImage& prepared, Binarizer binarizer) override
    {
        const cv::Mat& grey = prepared.image;
        if (grey.cols < minimumSide || grey.rows < minimumSide) {
            return {};
        }
        zxing::Ref<zxing::BinaryBitmap> bitmap = bitmapOf(grey, binarizer);
        zxing::ErrorHandler error;
        zxing::Ref<zxing::BitMatrix> matrix = bitmap->getBlackMatrix(error);
        if (error.ErrCode() || matrix.empty()) {
            return {};
        }
        const cv::Rect& region = prepared.region;
        if (region.width < 2 * minimumSide || region.height < 2 * minimumSide ||
            !isMostlyNoise(*matrix, {region.x, region.x + region.width})) {
            return decodeMatrix(bitmap, matrix, hints, 1);
        }
        cv::Mat half;
        cv::resize(grey(prepared.added), half, {}, 0.5, 0.5, cv::INTER_AREA);
        bitmap = bitmapOf(half, binarizer);
        matrix = bitmap->getBlackMatrix(error);
        if (error.ErrCode() || matrix.empty()) {
            return {};
        }
        Decoded decoded = decodeMatrix(bitmap, matrix, noiseHints, 2);
        for (auto& corner : decoded.corners) {
            corner += prepared.added.tl();
        }
        return decoded;
    }

    std::string source() const override { return "ZXing port"; }

private:
    // Corners in the coordinates of an image scale times the matrix's size.
    Decoded decodeMatrix(zxing::Ref<zxing::BinaryBitmap> bitmap, zxing::Ref<zxing::BitMatrix> matrix,
                         const zxing::DecodeHints& with, int scale)
    {
        // A reader per call: its decoder takes the port's Reed-Solomon field,
        // which another file's static initialisation sets up, so a decoder
        // made during static initialisation could not hold one.
        zxing::qrcode::QRCodeReader reader;
        zxing::ErrorHandler error;
        zxing::Ref<zxing::Result> result = reader.decodeMore(bitmap, matrix, with, error);
        if (error.ErrCode() || result.empty()) {
            return {};
        }
        return {textOfPortSegments(result->getSegments()), cornersOf(*result, scale)};
    }

    // The reader's corners come bottom-left, top-left, top-right,
    // bottom-right.
    static std::vector<cv::Point> cornersOf(zxing::Result& result, int scale)
    {
        const auto& points = result.getResultPoints();
        if (!points || points->size() < 4) {
            return {};
        }
        return {toPoint(points[1], scale), toPoint(points[2], scale), toPoint(points[3], scale),
                toPoint(points[0], scale)};
    }

    zxing::DecodeHints hints;
    zxing::DecodeHints noiseHints;
};

}

std::unique_ptr<Decoder> makeZxingPortDecoder()
{
    return std::make_unique<RotatingDecoder>(std::make_unique<ZxingPortReader>());
}

}
