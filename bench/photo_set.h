#pragma once

#include <opencv2/core.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace bench {

// A photograph of a code with the text it holds.
struct Photo {
    std::string name;
    std::string text;
    cv::Mat image;
};

// Every PNG under folder that has a .txt of the same name beside it, in name
// order; throws when one of them cannot be read.
std::vector<Photo> loadPhotos(const std::filesystem::path& folder);

// The photo as one frame of a short hand-held clip: in the middle of a grey
// 1920x1080 frame, BGR; frames after the first move it by a few pixels and add
// a little sensor noise, as a camera held still gives.
cv::Mat photoFrame(const Photo& photo, int frameIndex);

}
