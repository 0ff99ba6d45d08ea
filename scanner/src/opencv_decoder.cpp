#include "rotating_decoder.h"
#include "text_encoding.h"

#include <opencv2/objdetect.hpp>

namespace scanlet {
namespace {

// For OpenCV builds that include their QR decoding library; the cv::Exception
// of a failed call reaches the caller unchanged.
class OpenCvDecoder : public RotatingDecoder {
protected:
    Decoded read(const cv::Mat& grey) override
    {
        Decoded decoded;
        decoded.text = detector.detectAndDecode(grey, decoded.corners, cv::noArray());
        // OpenCV hands over the payload's bytes. Without the character set
        // tables of ZXing, a payload that is not UTF-8 is read as the
        // ISO-8859-1 that QR codes default to, so the host still gets UTF-8.
        if (!isUtf8(decoded.text)) {
            decoded.text = latin1ToUtf8(decoded.text);
        }
        return decoded;
    }

    std::string source() const override { return "OpenCV"; }

private:
    cv::QRCodeDetector detector;
};

}

std::unique_ptr<Decoder> makeOpenCvDecoder()
{
    return std::make_unique<OpenCvDecoder>();
}

}
