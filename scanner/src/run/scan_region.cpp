#include "run/scan_region.h"

namespace scanlet {

cv::Rect scanRegion(const cv::Size& frameSize)
{
    return {frameSize.width / 4, frameSize.height / 4, frameSize.width / 2, frameSize.height / 2};
}

}
