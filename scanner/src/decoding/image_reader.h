#pragma once

#include "decoding/decoder.h"
#include "decoding/way.h"

#include <opencv2/core.hpp>

#include <string>
#include <vector>

namespace scanlet {

// What a decoding library does for the rotation: reads one image the rotation
// has prepared, with the binarizer a way names, and names the ways of its own
// it offers besides the shared ones (its binarizers, say).
class ImageReader {
public:
    virtual ~ImageReader() = default;

    // Decodes a prepared 8-bit single-channel image; corners in the prepared
    // image's coordinates.
    virtual Decoded read(const PreparedImage& prepared, Binarizer binarizer) = 0;

    // The ways of its own, taken after the shared ones.
    virtual std::vector<Way> ownWays() const { return {}; }

    // The library named in the lines about images it cannot take.
    virtual std::string source() const = 0;
};

}
