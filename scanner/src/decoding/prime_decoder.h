#pragma once

#include "decoding/decoder.h"

#include <opencv2/core.hpp>

namespace scanlet {

// A small camera-like picture of a code every decoder reads: "scanlet", in
// byte mode, version 1.
cv::Mat primingImage();

// Reads the priming image once in each of the decoder's ways. Decoding
// libraries build some of their tables lazily, on the first code they read, and
// have the process's exit destroy them; built during the setup, they are torn
// down only after the run's exit handler has ended the run.
void primeDecoder(Decoder& decoder);

}
