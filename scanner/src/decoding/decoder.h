#pragma once

#include <opencv2/core.hpp>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace scanlet {

// What one decoding attempt found: the text (empty when nothing was decoded)
// and the code's corners in region coordinates, ordered top-left, top-right,
// bottom-right, bottom-left.
struct Decoded {
    std::string text;
    std::vector<cv::Point> corners;
};

// A failure inside a decoding library other than OpenCV, which reports its own
// failures as cv::Exception. Names the library so the line says where it came from.
class DecoderError : public std::runtime_error {
public:
    DecoderError(std::string source, const std::string& message)
        : std::runtime_error(message), source(std::move(source))
    {
    }
    const std::string source;
};

// Decodes at most one QR code in an image region.
class Decoder {
public:
    virtual ~Decoder() = default;
    virtual Decoded decode(const cv::Mat& region) = 0;
    // Reads image in each of the decoder's ways, leaving the next frame's way
    // as it was: what the libraries build on first use is built then.
    virtual void prime(const cv::Mat& image) { decode(image); }
};

// The decoding libraries the library can be built with: ZXing-cpp, and the
// port of ZXing's QR reader that opencv_contrib carries (always built in).
enum class DecoderKind { ZXing, ZXingPort };

// The one this build uses unless told otherwise.
DecoderKind configuredDecoder();

// Whether this build has kind; makeDecoder throws std::invalid_argument for
// one it lacks.
bool isBuiltIn(DecoderKind kind);
std::unique_ptr<Decoder> makeDecoder(DecoderKind kind);

std::unique_ptr<Decoder> makeZxingDecoder();
std::unique_ptr<Decoder> makeZxingPortDecoder();

}
