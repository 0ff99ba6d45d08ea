#include "surface.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace bench {
namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double degree = pi / 180;

// Points traced across each frame pixel, per side.
constexpr int finePoints = 3;
// Light that reaches a surface turned fully away from the lamp beside the
// camera: a room is never dark.
constexpr double ambient = 0.4;
// The least the symbol's modules may face the camera: at 8-pixel modules
// this keeps the narrowest about two pixels across.
constexpr double leastFacing = 0.25;
// The view turns by up to this much either way, in yaw and in pitch.
constexpr double viewTurn = 20 * degree;
// And the code on the cylinder by up to this much from its axis.
constexpr double axisTurn = 10 * degree;

cv::Matx33d turnAboutX(double angle)
{
    return {1, 0, 0, 0, std::cos(angle), -std::sin(angle), 0, std::sin(angle), std::cos(angle)};
}

cv::Matx33d turnAboutY(double angle)
{
    return {std::cos(angle), 0, std::sin(angle), 0, 1, 0, -std::sin(angle), 0, std::cos(angle)};
}

cv::Matx33d turnAboutZ(double angle)
{
    return {std::cos(angle), -std::sin(angle), 0, std::sin(angle), std::cos(angle), 0, 0, 0, 1};
}

cv::Point2d turned(const cv::Point2d& point, double angle)
{
    return {point.x * std::cos(angle) - point.y * std::sin(angle),
            point.x * std::sin(angle) + point.y * std::cos(angle)};
}

cv::Vec2d randomDirection(cv::RNG& rng)
{
    const double angle = rng.uniform(0.0, 2 * pi);
    return {std::cos(angle), std::sin(angle)};
}

}

void paint(cv::Mat& frame, const cv::Mat& code, const cv::Rect& box, const Surface& surface)
{
    const cv::Rect inFrame = box & cv::Rect(0, 0, frame.cols, frame.rows);
    const cv::Size fine(inFrame.width * finePoints, inFrame.height * finePoints);
    cv::Mat mapX(fine, CV_32F);
    cv::Mat mapY(fine, CV_32F);
    cv::Mat light(fine, CV_32F);
    cv::Mat seen(fine, CV_32F);
    for (int row = 0; row < fine.height; ++row) {
        for (int col = 0; col < fine.width; ++col) {
            const cv::Point2d point(inFrame.x + (col + 0.5) / finePoints - 0.5,
                                    inFrame.y + (row + 0.5) / finePoints - 0.5);
            const auto hit = surface(point);
            // remap takes a pixel's centre for its coordinate, the surface its corner.
            mapX.at<float>(row, col) = hit ? static_cast<float>(hit->code.x - 0.5) : 0.0f;
            mapY.at<float>(row, col) = hit ? static_cast<float>(hit->code.y - 0.5) : 0.0f;
            light.at<float>(row, col) = hit ? static_cast<float>(hit->light) : 0.0f;
            seen.at<float>(row, col) = hit ? 1.0f : 0.0f;
        }
    }
    cv::Mat lit;
    cv::remap(code, lit, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    lit = lit.mul(light);
    cv::Mat litMean;
    cv::Mat cover;
    cv::resize(lit, litMean, inFrame.size(), 0, 0, cv::INTER_AREA);
    cv::resize(seen, cover, inFrame.size(), 0, 0, cv::INTER_AREA);
    cv::Mat area = frame(inFrame);
    area = area.mul(1 - cover) + litMean;
}

Cylinder::Cylinder(double side, double quietZone, double wrapDegrees, double focalLength, cv::RNG& rng)
    : side(side), quietZone(quietZone), focalLength(focalLength)
{
    const double across = rng.uniform(0, 2) == 0 ? 0 : pi / 2;
    const double aside = rng.uniform(-axisTurn, axisTurn);
    turn = across + aside;
    // The code's whole width around the cylinder, turned as it is, covers the wrap.
    radius = side * (std::abs(std::cos(aside)) + std::abs(std::sin(aside))) / (wrapDegrees * degree);
    // Turned back in the image, so that the axis lies across a code that
    // stands upright but for the little turn.
    const cv::Matx33d upright = turnAboutZ(-across);
    do {
        pose = turnAboutY(rng.uniform(-viewTurn, viewTurn)) * turnAboutX(rng.uniform(-viewTurn, viewTurn)) * upright;
    } while (!symbolFacesCamera());
}

// The front of the cylinder lies at the focal length, where a flat code would
// show its pixels at their own size.
cv::Vec3d Cylinder::onSurface(const cv::Point2d& codePoint) const
{
    const cv::Point2d unrolled = turned(codePoint - cv::Point2d(side / 2, side / 2), turn);
    const double around = unrolled.x / radius;
    const cv::Vec3d local(radius * std::sin(around), unrolled.y, radius * (1 - std::cos(around)));
    return pose * local + cv::Vec3d(0, 0, focalLength);
}

double Cylinder::facing(const cv::Point2d& codePoint) const
{
    const cv::Point2d unrolled = turned(codePoint - cv::Point2d(side / 2, side / 2), turn);
    const double around = unrolled.x / radius;
    const cv::Vec3d normal = pose * cv::Vec3d(std::sin(around), 0, -std::cos(around));
    const cv::Vec3d point = onSurface(codePoint);
    return -normal.dot(point) / cv::norm(point);
}

// The symbol, within the quiet zone, must show whole: a view that turns its
// edge modules past the silhouette, or nearly, is drawn again.
bool Cylinder::symbolFacesCamera() const
{
    constexpr int steps = 16;
    const double span = side - 2 * quietZone;
    for (int i = 0; i <= steps; ++i) {
        for (int j = 0; j <= steps; ++j) {
            const cv::Point2d point(quietZone + span * i / steps, quietZone + span * j / steps);
            if (facing(point) < leastFacing) {
                return false;
            }
        }
    }
    return true;
}

std::vector<cv::Point2f> Cylinder::outline() const
{
    constexpr int steps = 32;
    std::vector<cv::Point2f> points;
    for (int i = 0; i <= steps; ++i) {
        for (int j = 0; j <= steps; ++j) {
            const cv::Vec3d point = onSurface({side * i / steps, side * j / steps});
            points.emplace_back(static_cast<float>(focalLength * point[0] / point[2]),
                                static_cast<float>(focalLength * point[1] / point[2]));
        }
    }
    return points;
}

void Cylinder::moveBy(const cv::Point2d& shift)
{
    centre += shift;
}

// The ray through the frame point, in the cylinder's own frame, meets the
// cylinder first on the side that faces the camera: the far side is hidden.
std::optional<SurfacePoint> Cylinder::operator()(const cv::Point2d& framePoint) const
{
    const cv::Vec3d origin = pose.t() * cv::Vec3d(0, 0, -focalLength);
    const cv::Vec3d ray = pose.t() * cv::Vec3d((framePoint.x - centre.x) / focalLength,
                                               (framePoint.y - centre.y) / focalLength, 1);
    // The axis runs along y through (0, 0, radius).
    const double a = ray[0] * ray[0] + ray[2] * ray[2];
    const double b = 2 * (origin[0] * ray[0] + (origin[2] - radius) * ray[2]);
    const double c = origin[0] * origin[0] + (origin[2] - radius) * (origin[2] - radius) - radius * radius;
    const double discriminant = b * b - 4 * a * c;
    if (a <= 0 || discriminant < 0) {
        return std::nullopt;
    }
    const double distance = (-b - std::sqrt(discriminant)) / (2 * a);
    const cv::Vec3d hit = origin + distance * ray;
    const double around = std::atan2(hit[0], radius - hit[2]);
    const cv::Point2d code = turned({radius * around, hit[1]}, -turn) + cv::Point2d(side / 2, side / 2);
    if (code.x < 0 || code.y < 0 || code.x > side || code.y > side) {
        return std::nullopt;
    }
    const cv::Vec3d normal(std::sin(around), 0, -std::cos(around));
    const double towardCamera = -normal.dot(ray) / cv::norm(ray);
    return SurfacePoint{code, ambient + (1 - ambient) * std::max(0.0, towardCamera)};
}

Cloth::Cloth(double side, double moduleSize, double amplitude, cv::RNG& rng)
    : side(side), moduleSize(moduleSize)
{
    // Waves of one to two thirds of the code's width and longer: cloth
    // hangs in folds larger than a module, so the modules keep their size
    // nearly everywhere but drift from their grid.
    constexpr int count = 3;
    for (int i = 0; i < count; ++i) {
        const double wavelength = side * rng.uniform(0.6, 1.5);
        const cv::Vec2d across = randomDirection(rng) * (2 * pi / wavelength);
        const double phase = rng.uniform(0.0, 2 * pi);
        const cv::Vec2d push = randomDirection(rng) * rng.uniform(0.5, 1.0);
        waveList.push_back({across, phase, push});
    }
    double largest = 0;
    constexpr int steps = 32;
    for (int i = 0; i <= steps; ++i) {
        for (int j = 0; j <= steps; ++j) {
            largest = std::max(largest, cv::norm(waves({side * i / steps, side * j / steps})));
        }
    }
    for (auto& wave : waveList) {
        wave.push *= amplitude / largest;
    }
    const int creaseCount = rng.uniform(1, 3);
    for (int i = 0; i < creaseCount; ++i) {
        const cv::Point2d through(side * rng.uniform(0.25, 0.75), side * rng.uniform(0.25, 0.75));
        const cv::Vec2d normal = randomDirection(rng);
        const double height = amplitude * rng.uniform(0.5, 1.0);
        // Wide enough that the fold alone squeezes no module to less than
        // half its width.
        const double width = std::max(4 * moduleSize, 2 * height) * rng.uniform(1.0, 2.0);
        // A shadow that leaves the paper lighter than mid-grey: a fold dims
        // the modules it crosses but does not paint them.
        creases.push_back({through, normal, height, width, randomDirection(rng), rng.uniform(0.15, 0.3)});
    }
}

cv::Vec2d Cloth::waves(const cv::Point2d& point) const
{
    cv::Vec2d shift(0, 0);
    for (const auto& wave : waveList) {
        shift += wave.push * std::sin(wave.across[0] * point.x + wave.across[1] * point.y + wave.phase);
    }
    return shift;
}

double Cloth::reach() const
{
    double furthest = 0;
    for (const auto& wave : waveList) {
        furthest += cv::norm(wave.push);
    }
    for (const auto& crease : creases) {
        furthest += crease.height;
    }
    return furthest;
}

void Cloth::moveTo(const cv::Point2d& corner)
{
    topLeft = corner;
}

// The fold's height falls off either side of its line at once, with a kink
// along it, as a sharp crease's does; its shadow is half a module across.
std::optional<SurfacePoint> Cloth::operator()(const cv::Point2d& framePoint) const
{
    const cv::Point2d point = framePoint - topLeft;
    cv::Vec2d shift = waves(point);
    double light = 1;
    for (const auto& crease : creases) {
        const double across = (point - crease.through).dot(cv::Point2d(crease.normal));
        shift += crease.parallax * crease.height * std::exp(-std::abs(across) / crease.width);
        const double shadowWidth = 0.25 * moduleSize;
        light *= 1 - crease.shadowDepth * std::exp(-across * across / (shadowWidth * shadowWidth));
    }
    const cv::Point2d code = point + cv::Point2d(shift[0], shift[1]);
    if (code.x < 0 || code.y < 0 || code.x > side || code.y > side) {
        return std::nullopt;
    }
    return SurfacePoint{code, light};
}

}
