#include "opencv_decoder.h"

#include "decoding/image_reader.h"
#include "decoding/rotating_decoder.h"
#include "text/text_encoding.h"

#include <opencv2/objdetect.hpp>

#include <utility>

namespace bench {
namespace {

using scanlet::Decoded;

// The cv::Exception of a failed call reaches the caller unchanged.
class OpenCvReader : public scanlet::ImageReader {
public:
    Decoded read(const scanlet::PreparedImage& prepared, scanlet::Binarizer) override
    {
        Decoded decoded;
        decoded.text = detector.detectAndDecode(prepared.image, decoded.corners, cv::noArray());
        // OpenCV hands over the payload's bytes and nothing of the character
        // sets the code names.
        decoded.text = scanlet::textOf({{std::move(decoded.text), ""}});
        return decoded;
    }

    std::string source() const override { return "OpenCV"; }

private:
    cv::QRCodeDetector detector;
};

}

std::unique_ptr<scanlet::Decoder> makeOpenCvDecoder()
{
    return std::make_unique<scanlet::RotatingDecoder>(std::make_unique<OpenCvReader>());
}

}
