#pragma once

#include <opencv2/videoio.hpp>
#include <opencv2/videoio/registry.hpp>

#include <string>

namespace scanlet {

// The back end that reads and writes video files: FFmpeg where OpenCV has it,
// otherwise OpenCV's own Motion JPEG codec, which every OpenCV build has and
// which the sample footage is written in. Left to choose by itself, OpenCV
// tries a video file with its image sequence back end first wherever FFmpeg is
// missing, and that one prints an error line before it gives way.
inline int videoFileBackend()
{
    return cv::videoio_registry::hasBackend(cv::CAP_FFMPEG) ? cv::CAP_FFMPEG : cv::CAP_OPENCV_MJPEG;
}

// An image sequence is named by a printf-style pattern ("frame%05d.png"),
// anything else is a video file.
inline int clipBackend(const std::string& source)
{
    return source.find('%') != std::string::npos ? cv::CAP_IMAGES : videoFileBackend();
}

}
