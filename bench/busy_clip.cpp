// Makes a busy 1920x1080 MJPG clip without codes, the kind of picture a
// camera pointed at an office gives: a textured wall and desk, furniture,
// papers and a whiteboard with text, a slow pan with some shake, and fresh
// sensor noise in every frame. Fine detail and noise are what make a camera's
// JPEG frames large and dear to decode; a plain synthetic frame compresses to
// a fraction of that and would flatter the frame loop's reading step.
//   scanlet-bench-busy-clip clip.avi [frames]
// Written by OpenCV's own MJPEG writer on every platform, so that either tree
// makes the same bytes; its frames decode through libjpeg-turbo wherever
// OpenCV's own reader opens it. That writer (4.6) ends the data of a few frames
// a little short: libjpeg warns "premature end of data segment" for 6 of the
// 300, whose pictures still look whole, and the warnings go to stderr.
#include "run/scan_region.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>

namespace {

constexpr int fps = 30;
// The writer divides the standard quantization tables by 12 at its quality 100,
// so its default (75) keeps far more detail than a webcam does; 25 divides them
// by 3, libjpeg's quality 83 or so, and gives frames of about 350 KiB, as a
// 1080p webcam's MJPG stream has for a detailed scene.
constexpr int quality = 25;
// The pan's reach beyond the frame on each side.
constexpr int margin = 120;

const char* const words[] = {"quarterly", "review", "budget", "meeting", "agenda", "room", "4.12", "project",
                             "deadline", "Monday", "notes", "draft", "invoice", "2026", "team", "call",
                             "design", "release", "ticket", "summary", "plan", "to do", "ok", "report"};

std::string sentence(cv::RNG& rng, int count)
{
    std::string line;
    for (int i = 0; i < count; ++i) {
        line += (i ? " " : "") + std::string(words[rng.uniform(0, int(std::size(words)))]);
    }
    return line;
}

cv::Scalar muted(cv::RNG& rng)
{
    return cv::Scalar(rng.uniform(30, 220), rng.uniform(30, 220), rng.uniform(30, 220));
}

// Grey texture of the given coarseness, spread over the given range.
cv::Mat texture(cv::Size size, cv::RNG& rng, double blur, double low, double high)
{
    cv::Mat grey(size, CV_8U);
    rng.fill(grey, cv::RNG::UNIFORM, 0, 256);
    cv::GaussianBlur(grey, grey, {}, blur);
    cv::normalize(grey, grey, low, high, cv::NORM_MINMAX);
    return grey;
}

void paper(cv::Mat& scene, cv::RNG& rng, cv::Rect sheet, double scale)
{
    cv::rectangle(scene, sheet, cv::Scalar(235, 238, 240), cv::FILLED);
    cv::rectangle(scene, sheet, cv::Scalar(150, 150, 150), 1);
    const int step = std::max(8, int(22 * scale));
    for (int y = sheet.y + step + 4; y < sheet.y + sheet.height - 6; y += step) {
        cv::putText(scene, sentence(rng, rng.uniform(3, 7)), {sheet.x + 8, y}, cv::FONT_HERSHEY_SIMPLEX, 0.6 * scale,
                    cv::Scalar(40, 40, 40), 1, cv::LINE_AA);
    }
}

// The room, larger than the frame so that the camera can pan over it.
cv::Mat office()
{
    cv::RNG rng(2026);
    const cv::Size size(scanlet::fullHd.width + 2 * margin, scanlet::fullHd.height + 2 * margin);
    const int deskTop = size.height * 2 / 3;

    // Wall above, desk below, each with its own grain.
    cv::Mat wallGrey = texture(size, rng, 2.5, 150, 200);
    cv::Mat scene;
    cv::cvtColor(wallGrey, scene, cv::COLOR_GRAY2BGR);
    scene += cv::Scalar(10, 25, 35);
    cv::Mat grain(size.height - deskTop, size.width, CV_8U);
    rng.fill(grain, cv::RNG::UNIFORM, 0, 256);
    cv::GaussianBlur(grain, grain, {}, 25, 1.2);
    cv::normalize(grain, grain, 60, 140, cv::NORM_MINMAX);
    cv::Mat desk;
    cv::cvtColor(grain, desk, cv::COLOR_GRAY2BGR);
    cv::multiply(desk, cv::Scalar(0.7, 1.0, 1.35), desk);
    desk.copyTo(scene(cv::Rect(0, deskTop, size.width, size.height - deskTop)));

    // Shelves, cabinets, monitors and frames on the wall.
    for (int i = 0; i < 45; ++i) {
        const cv::Point corner(rng.uniform(0, size.width), rng.uniform(0, deskTop));
        const cv::Rect box(corner, cv::Size(rng.uniform(40, 420), rng.uniform(30, 360)));
        cv::rectangle(scene, box, muted(rng), cv::FILLED);
        cv::rectangle(scene, box, cv::Scalar::all(rng.uniform(0, 80)), rng.uniform(1, 5));
    }
    // A whiteboard full of writing.
    const cv::Rect board(size.width / 2 - 420, 140, 840, 420);
    cv::rectangle(scene, board, cv::Scalar(245, 245, 245), cv::FILLED);
    cv::rectangle(scene, board, cv::Scalar(90, 90, 90), 6);
    for (int y = board.y + 40; y < board.y + board.height - 10; y += 34) {
        const cv::Scalar marker = rng.uniform(0, 3) == 0 ? cv::Scalar(180, 60, 20) : cv::Scalar(30, 30, 30);
        cv::putText(scene, sentence(rng, rng.uniform(2, 6)), {board.x + 20 + rng.uniform(0, 60), y},
                    cv::FONT_HERSHEY_SCRIPT_SIMPLEX, 1.0, marker, 2, cv::LINE_AA);
    }
    // Mugs, plants and cables: round shapes and lines.
    for (int i = 0; i < 40; ++i) {
        cv::circle(scene, {rng.uniform(0, size.width), rng.uniform(0, size.height)}, rng.uniform(8, 70), muted(rng),
                   rng.uniform(0, 2) ? cv::FILLED : rng.uniform(2, 8), cv::LINE_AA);
        cv::line(scene, {rng.uniform(0, size.width), rng.uniform(deskTop, size.height)},
                 {rng.uniform(0, size.width), rng.uniform(deskTop, size.height)}, cv::Scalar::all(rng.uniform(0, 60)),
                 rng.uniform(2, 6), cv::LINE_AA);
    }
    // Papers on the desk and pinned to the wall, printed small.
    for (int i = 0; i < 14; ++i) {
        const bool onDesk = i % 2 == 0;
        const cv::Size sheet(rng.uniform(180, 320), rng.uniform(220, 360));
        const cv::Point corner(rng.uniform(0, size.width - sheet.width),
                               onDesk ? rng.uniform(deskTop, size.height - sheet.height / 2)
                                      : rng.uniform(0, deskTop - sheet.height));
        paper(scene, rng, cv::Rect(corner, sheet) & cv::Rect({}, size), onDesk ? 0.55 : 0.45);
    }
    // A lens softens every edge a little.
    cv::GaussianBlur(scene, scene, {}, 0.7);
    return scene;
}

}

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: " << argv[0] << " clip.avi [frames]" << std::endl;
        return 2;
    }
    const int frames = argc == 3 ? std::atoi(argv[2]) : 300;
    if (frames <= 0) {
        std::cerr << "frames must be a positive number" << std::endl;
        return 2;
    }
    cv::VideoWriter writer(argv[1], cv::CAP_OPENCV_MJPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), fps,
                           scanlet::fullHd);
    if (!writer.isOpened()) {
        std::cerr << "cannot write " << argv[1] << std::endl;
        return 1;
    }
    writer.set(cv::VIDEOWRITER_PROP_QUALITY, quality);

    const cv::Mat scene = office();
    cv::RNG rng(7);
    cv::Mat noise(scanlet::fullHd, CV_16SC3);
    cv::Mat frame;
    for (int i = 0; i < frames; ++i) {
        // A slow pan to the right and back, with a hand's shake on top.
        const double phase = 2 * CV_PI * i / 240;
        const cv::Point offset(margin + int((margin - 8) * std::sin(phase)) + rng.uniform(-3, 4),
                               margin + int(margin / 4 * std::sin(phase / 2)) + rng.uniform(-3, 4));
        rng.fill(noise, cv::RNG::NORMAL, 0, 3);
        scene(cv::Rect(offset, scanlet::fullHd)).convertTo(frame, CV_16SC3);
        frame += noise;
        frame.convertTo(frame, CV_8UC3);
        writer.write(frame);
    }
    return 0;
}
