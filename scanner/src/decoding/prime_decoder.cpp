#include "decoding/prime_decoder.h"

#include <opencv2/imgproc.hpp>

#include <array>

namespace scanlet {
namespace {

// The symbol's modules, dark as '#', without its quiet zone.
constexpr std::array<const char*, 21> primingCode{
    "#######  # ## #######",
    "#     #  ###  #     #",
    "# ### # ## ## # ### #",
    "# ### #  # #  # ### #",
    "# ### #   # # # ### #",
    "#     #     # #     #",
    "####### # # # #######",
    "        ## ##        ",
    "### ######## ##   #  ",
    "#  ##  #  #   ## # ##",
    "#     ##    #   ## ##",
    "## #   # ##   ##    #",
    "###  ### #  # ###   #",
    "        ## # #  ##  #",
    "####### #  # ########",
    "#     # ######      #",
    "# ### # #  # ####  ##",
    "# ### #   #   ### ## ",
    "# ### # ##  #  ##   #",
    "#     # # #   ##   # ",
    "####### ##  # ##   ##",
};

constexpr int moduleSize = 4;
// A quarter of a 1080p frame's scan region, so that every way, zoomed or side
// by side, handles an image of the shape it meets in a run.
const cv::Size primingSize(480, 270);

}

cv::Mat primingImage()
{
    cv::Mat image(primingSize, CV_8UC3, cv::Scalar::all(235));
    const int side = static_cast<int>(primingCode.size()) * moduleSize;
    const cv::Point origin((primingSize.width - side) / 2, (primingSize.height - side) / 2);
    for (int row = 0; row < static_cast<int>(primingCode.size()); ++row) {
        for (int col = 0; primingCode[row][col] != '\0'; ++col) {
            if (primingCode[row][col] == '#') {
                const cv::Rect module(origin.x + col * moduleSize, origin.y + row * moduleSize, moduleSize, moduleSize);
                cv::rectangle(image, module, cv::Scalar::all(20), cv::FILLED);
            }
        }
    }
    return image;
}

void primeDecoder(Decoder& decoder)
{
    decoder.prime(primingImage());
}

}
