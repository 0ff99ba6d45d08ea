#include "image_reader.h"
#include "rotating_decoder.h"
#include "text_encoding.h"

#include <opencv2/objdetect.hpp>

#include <utility>

namespace scanlet {
namespace {

// For OpenCV builds that include their QR decoding library; the cv::Exception
// of a failed call reaches the caller unchanged.
class OpenCvReader : public ImageReader {
public:
    Decoded read(const cv::Mat& grey, ReadingMethod) override
    {
        Decoded decoded;
        decoded.text = detector.detectAndDecode(grey, decoded.corners, cv::noArray());
        // OpenCV hands over the payload's bytes and nothing of the character
        // sets the code names.
        decoded.text = textOf({{std::move(decoded.text), ""}});
        return decoded;
    }

    std::string source() const override { return "OpenCV"; }

private:
    cv::QRCodeDetector detector;
};

}

std::unique_ptr<Decoder> makeOpenCvDecoder()
{
    return std::make_unique<RotatingDecoder>(std::make_unique<OpenCvReader>());
}

}
