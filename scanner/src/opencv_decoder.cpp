#include "decoder.h"

#include <opencv2/objdetect.hpp>

namespace scanlet {
namespace {

// For OpenCV builds that include their QR decoding library; the cv::Exception
// of a failed call reaches the caller unchanged.
class OpenCvDecoder : public Decoder {
public:
    Decoded decode(const cv::Mat& region) override
    {
        Decoded decoded;
        decoded.text = detector.detectAndDecode(region, decoded.corners, cv::noArray());
        return decoded;
    }

private:
    cv::QRCodeDetector detector;
};

}

std::unique_ptr<Decoder> makeOpenCvDecoder()
{
    return std::make_unique<OpenCvDecoder>();
}

}
