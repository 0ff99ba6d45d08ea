#include "run/detect_in_region.h"

#include "run/error_message.h"
#include "run/overlays.h"

#include <algorithm>
#include <iostream>
#include <string>

namespace scanlet {
namespace {

bool isWhollyInside(const std::vector<cv::Point>& corners, const cv::Mat& region)
{
    return corners.size() == 4 && std::all_of(corners.begin(), corners.end(), [&](const cv::Point& corner) {
               return corner.x >= 0 && corner.x < region.cols && corner.y >= 0 && corner.y < region.rows;
           });
}

// The host receives a C string, so a text is what it can see of it: the bytes
// before a first NUL. That is what is compared, counted and delivered, so two
// payloads the host cannot tell apart count once, and one that shows nothing
// does not count at all.
std::string visibleText(const std::string& text)
{
    return text.substr(0, text.find('\0'));
}

}

Detection detectInRegion(DetectorState& state, Decoder& decoder, cv::Mat& region)
{
    Decoded decoded;
    try {
        decoded = decoder.decode(region);
    } catch (const cv::Exception& error) {
        std::cerr << "OpenCV error in QR detection: " << errorMessage(error) << std::endl;
        return Detection::DecoderFailed;
    } catch (const DecoderError& error) {
        std::cerr << error.source << " error in QR detection: " << error.what() << std::endl;
        return Detection::DecoderFailed;
    }

    const std::string text = visibleText(decoded.text);
    if (text.empty()) {
        return Detection::NothingRead;
    }
    if (!isWhollyInside(decoded.corners, region)) {
        return Detection::OutsideRegion;
    }

    const bool isNew = state.acceptCode(text);
    outlineCode(region, decoded.corners);
    return isNew ? Detection::Accepted : Detection::AlreadySeen;
}

}
