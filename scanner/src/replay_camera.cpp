#include "replay_camera.h"

#include "camera.h"

#include <mutex>

namespace scanlet {
namespace {

std::mutex sourceMutex;
std::string replaySource;

}

void setReplaySource(const std::string& source)
{
    std::lock_guard<std::mutex> lock(sourceMutex);
    replaySource = source;
}

bool openCamera(cv::VideoCapture& camera)
{
    std::string source;
    {
        std::lock_guard<std::mutex> lock(sourceMutex);
        source = replaySource;
    }
    return !source.empty() && camera.open(source, cv::CAP_ANY);
}

}
