#pragma once

#include <opencv2/core.hpp>

namespace scanlet {

// The blur a frame's code was seen through, as its point spread: a disk for
// a camera out of focus, a line for a hand that moved while the frame was
// exposed. Lengths are in the region's pixels.
struct Blur {
    enum class Shape { none, disk, line, gaussian };
    Shape shape = Shape::none;
    // The disk's radius, the line's length, or the Gaussian's standard
    // deviation.
    double extent = 0;
    // The line's direction, in radians from the x axis.
    double angle = 0;
};

// The area of a region that holds its code, deconvolved; its top left corner
// lies at origin in the region.
struct Deblurred {
    cv::Mat image;
    cv::Point origin;
};

// The point spread of a camera out of focus by a disk of the given radius, and
// of one that moved along a line of the given length and angle (radians from
// the x axis), in pixels; each cell weighs the share of the spread inside it,
// so that lengths between whole pixels still count.
cv::Mat diskKernel(double radius);
cv::Mat lineKernel(double length, double angle);

// Where in the grey region the code most likely lies: the largest patch of
// strong local contrast, with a margin for its quiet zone. Empty when nothing
// in the region stands out from a flat scene.
cv::Rect findCodeArea(const cv::Mat& grey);

// The blur of the code in area, estimated from its own edges: a code's
// modules are dark and light at the same two levels, so how steep its
// steepest edges are, against that contrast, says how wide the blur spread
// them; a moving camera spreads them along one direction only.
Blur estimateBlur(const cv::Mat& grey, const cv::Rect& area);

// The code's area with the blur undone by Wiener deconvolution; empty when
// the region shows no code area or no blur worth undoing, which the reader's
// other ways handle as well.
Deblurred deblurred(const cv::Mat& grey);

}
