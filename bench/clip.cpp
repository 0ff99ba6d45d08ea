#include "clip.h"

#include "footage.h"

#include <algorithm>
#include <filesystem>

namespace bench {

std::string clip(const std::string& folder, int frames)
{
    const cv::Size hd(1920, 1080);
    constexpr int held = 50;
    const std::vector<std::string> texts{"first code", "second code", "third code"};
    std::vector<footage::Scene> scenes;
    for (int written = 0, next = 0; written < frames; ++next) {
        const int count = std::min(held, frames - written);
        const bool empty = next % 2 == 1;
        const std::string& text = texts[(next / 2) % texts.size()];
        scenes.push_back({empty ? footage::frameWith({}, hd)
                                : footage::frameWith({{text, footage::centredIn(hd, text, 6), 6}}, hd),
                          count});
        written += count;
    }
    std::filesystem::remove_all(folder);
    return footage::writeSequence(folder, scenes);
}

}
