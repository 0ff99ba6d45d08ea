#pragma once

#include <opencv2/core.hpp>

#include <functional>
#include <optional>
#include <vector>

namespace bench {

// Printed codes on surfaces other than a flat card. Each is traced backwards,
// from a frame point to the point of the printed code it sees, which keeps
// every frame pixel filled once however the surface folds or turns away.

// Where a frame point meets the printed code, in the code image's pixels
// (its top-left corner at the origin), and the share of the light that
// reaches the camera from there.
struct SurfacePoint {
    cv::Point2d code;
    double light = 1;
};

using Surface = std::function<std::optional<SurfacePoint>(const cv::Point2d& framePoint)>;

// Lays the code (grey levels, CV_32F) over the frame (CV_32F) within box,
// each frame pixel the mean of a few points across it, so that modules
// squeezed to a pixel or two blend as a camera's sensor blends them.
void paint(cv::Mat& frame, const cv::Mat& code, const cv::Rect& box, const Surface& surface);

// A code wrapped around a cylinder such as a bottle or a can, seen by the
// corpus's pinhole camera from a random angle, its axis along the code's
// columns or rows give or take a little.
class Cylinder {
public:
    // The code's side and its quiet zone in pixels, and how much of the
    // circumference it covers: the code keeps its size, so the wrap sets the
    // radius. Draws the view from rng.
    Cylinder(double side, double quietZone, double wrapDegrees, double focalLength, cv::RNG& rng);

    // Points spread over the code as the camera sees them, before it is
    // moved: the extent to place.
    std::vector<cv::Point2f> outline() const;
    // Shifts the view in the frame, as a camera whose lens sits off its
    // sensor's centre sees it.
    void moveBy(const cv::Point2d& shift);

    std::optional<SurfacePoint> operator()(const cv::Point2d& framePoint) const;

private:
    cv::Vec3d onSurface(const cv::Point2d& codePoint) const;
    double facing(const cv::Point2d& codePoint) const;
    bool symbolFacesCamera() const;

    double side;
    double quietZone;
    double focalLength;
    double radius = 0;
    // The code's turn on the unrolled surface, about the axis.
    double turn = 0;
    // From the cylinder's own frame (its axis along y, the middle of the code
    // at the origin facing -z) to the camera's, less the distance.
    cv::Matx33d pose;
    cv::Point2d centre;
};

// A code printed on fabric: a smooth displacement of a few long waves, and one
// or two creases where the cloth folds sharply and a thin shadow lies along the
// fold. Seen square on, as the folds are the condition.
class Cloth {
public:
    // The code's side and module in pixels, and the waves' greatest
    // displacement in pixels; each crease folds by up to as much again.
    Cloth(double side, double moduleSize, double amplitude, cv::RNG& rng);

    // How far from the flat code's square the cloth may show any of it.
    double reach() const;
    void moveTo(const cv::Point2d& topLeft);

    std::optional<SurfacePoint> operator()(const cv::Point2d& framePoint) const;

private:
    struct Wave {
        cv::Vec2d across;
        double phase;
        cv::Vec2d push;
    };
    struct Crease {
        cv::Point2d through;
        cv::Vec2d normal;
        double height;
        double width;
        // The way the fold's height shows in the frame: a camera a little off
        // square on sees a ridge shifted, not raised.
        cv::Vec2d parallax;
        double shadowDepth;
    };

    cv::Vec2d waves(const cv::Point2d& point) const;

    double side;
    double moduleSize;
    std::vector<Wave> waveList;
    std::vector<Crease> creases;
    cv::Point2d topLeft;
};

}
