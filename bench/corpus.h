#pragma once

#include <opencv2/core.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// One frame of the decode-rate corpus: a single code in the scan region of a
// 1920x1080 frame, clean but for the one condition its category varies.
struct Sample {
    std::string category;
    std::string level;
    std::string text;
    int moduleSize = 4;
    double rotationDegrees = 0;
    double tiltDegrees = 0;
    double blurSigma = 0;
    // Out of focus: each point spread over a disk of this radius, in modules.
    double defocusRadius = 0;
    // Moved while exposed: each point spread along a line of this length, in
    // modules, at a random angle.
    double motionLength = 0;
    double noiseSigma = 0;
    int jpegQuality = 0;
    int contrast = 200;
    double glareRadius = 0;
    // A saturated spot of this diameter in modules, placed over data modules
    // only, or over part of a finder pattern when spotOnFinder.
    int spotModules = 0;
    bool spotOnFinder = false;
    // At error correction level Q, as laminated cards are often printed,
    // rather than the encoder's L.
    bool levelQ = false;
    // How much the light falls off across the code, from one side to the
    // other: 0.6 leaves the far side at 40% of the near side's brightness.
    double lightFalloff = 0;
    // Light modules on a dark ground, as on a phone in dark mode.
    bool inverted = false;
    // Wrapped around a cylinder, covering this much of its circumference.
    double wrapDegrees = 0;
    // On cloth, displaced by up to this many modules and folded once or twice.
    double clothAmplitude = 0;
    // Empty for UTF-8; otherwise the set the code holds its text in, with a
    // designator (or Kanji mode) when designated.
    std::string characterSet;
    bool designated = false;
    std::uint64_t seed = 0;
};

// The whole corpus, the same for the same seed: samplesPerLevel samples for
// each level of each category, in category order. Codes in other character
// sets than UTF-8 are left out where the platform cannot make them.
std::vector<Sample> corpus(std::uint64_t seed, int samplesPerLevel);

// The frame a sample describes, BGR like a camera's.
cv::Mat render(const Sample& sample);

}
