#include "grey_image.h"

#include <opencv2/imgcodecs.hpp>

namespace bench {

cv::Mat readGreyImage(const std::filesystem::path& file)
{
    return cv::imread(file.string(), cv::IMREAD_GRAYSCALE);
}

}
