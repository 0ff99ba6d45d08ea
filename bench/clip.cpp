#include "clip.h"

#include "footage.h"

#include <algorithm>
#include <filesystem>

namespace bench {

std::string clip(const std::string& folder, int frames)
{
    constexpr int held = 50;
    const std::vector<std::string> texts{"first code", "second code", "third code"};
    // Scenes share these few frames, so a long clip costs no more memory than a short one.
    const cv::Mat empty = footage::frameWith({});
    std::vector<cv::Mat> withCode;
    for (const auto& text : texts) {
        withCode.push_back(footage::frameWith({{text, footage::centredIn(scanlet::fullHd, text, 6), 6}}));
    }
    std::vector<footage::Scene> scenes;
    for (int written = 0, next = 0; written < frames; ++next) {
        const int count = std::min(held, frames - written);
        scenes.push_back({next % 2 == 1 ? empty : withCode[(next / 2) % withCode.size()], count});
        written += count;
    }
    std::filesystem::remove_all(folder);
    return footage::writeSequence(folder, scenes);
}

}
