#include "decoding/deblur.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace scanlet {
namespace {

constexpr double pi = 3.14159265358979323846;

// The code's area is found at a quarter of the size: a code's modules, even
// blurred, still differ from one another there, while a plain wall or a
// gradient of light does not.
constexpr int searchScale = 4;
constexpr int contrastWindow = 5;
// Less than this standard deviation of grey in every window is a flat scene.
constexpr double flatContrast = 8;
// A window belongs to the code's area when its contrast is at least this share
// of the region's highest.
constexpr double areaContrastShare = 0.35;
// Room for the quiet zone and for the blur's spread beyond the code's edge.
constexpr int areaMargin = 12;
// A code is square and the region wider than high: a code that fills the
// region's height covers 9/16 of it. Strong contrast over much more than that
// is noise or texture, not a code.
constexpr double mostCoverage = 0.75;

// The code's two grey levels are taken between these shares of its area's
// pixels, so that a few pixels darker or lighter do not set them.
constexpr double levelTail = 0.02;
// The steepest edges, at this share from the top, are those between long runs
// of dark and light (the finder patterns' outer edges, the quiet zone's),
// where the blur's whole spread shows; edges between single modules are
// shallower when the blur is wider than a module.
constexpr double steepestShare = 0.01;
// Less contrast than this between the code's two levels leaves its edges too
// shallow to measure.
constexpr double measurableContrast = 24;
// A sharp step, differenced over two pixels, spreads over this many.
constexpr double sharpEdgeWidth = 2;
// Gradients this much weaker along one direction than across it show a
// camera that moved along it.
constexpr double motionAnisotropy = 0.55;
// Blur spreading a point over fewer pixels than this is left to the other
// ways: their sharpening undoes it.
constexpr double leastSpread = 4;

// Deconvolution works on a crop no larger than this: a frame whose bright
// and dark patches fill the region (a busy scene) costs no more than a large
// code's area. The crop keeps the region's own size: resampled to fewer
// pixels, a blurred code loses the disk's ring of missing frequencies among
// too few of them.
constexpr int largestSide = 512;
// The blur is estimated from no more of the area than this around its
// centre: even there, a large code has edges between long runs enough.
constexpr int estimateSide = 320;
// The share of noise against signal the Wiener filter allows for at the
// least: it keeps the frequencies the blur all but removed from being
// amplified into ringing. A line's response falls to nothing across the whole
// spectrum, once every so many cycles, and its length and angle come from the
// edges alone, so it is held back more than a disk's or a Gaussian's, whose
// shape the spectrum confirms.
constexpr double leastRoundNoiseToSignal = 0.001;
constexpr double leastLineNoiseToSignal = 0.01;
// The noise is measured at the highest frequencies, where a blurred code has
// nothing left of its own; the filter allows for this many times its power.
constexpr double highestFrequencies = 0.45;
constexpr double noiseAllowance = 4;
// Cells of a kernel are weighed on a grid this fine within each pixel.
constexpr int kernelSubdivisions = 8;

cv::Mat gaussianKernel(double sigma)
{
    const cv::Mat line = cv::getGaussianKernel(2 * static_cast<int>(std::ceil(3 * sigma)) + 1, sigma, CV_32F);
    return line * line.t();
}

cv::Mat kernelOf(const Blur& blur)
{
    switch (blur.shape) {
    case Blur::Shape::disk: return diskKernel(blur.extent);
    case Blur::Shape::gaussian: return gaussianKernel(blur.extent);
    default: return lineKernel(blur.extent, blur.angle);
    }
}

// How far the blur spreads a point, end to end.
double spreadOf(const Blur& blur)
{
    switch (blur.shape) {
    case Blur::Shape::disk: return 2 * blur.extent;
    case Blur::Shape::gaussian: return 4 * blur.extent;
    default: return blur.extent;
    }
}

// The value below which the given share of values lies, from a histogram of
// values in steps of width.
double quantile(const std::vector<int>& histogram, int total, double share, double width)
{
    const double wanted = share * total;
    int sum = 0;
    for (std::size_t bin = 0; bin < histogram.size(); ++bin) {
        sum += histogram[bin];
        if (sum >= wanted) {
            return (static_cast<double>(bin) + 0.5) * width;
        }
    }
    return static_cast<double>(histogram.size()) * width;
}

struct Levels {
    double dark = 0;
    double light = 0;
};

Levels levelsOf(const cv::Mat& grey)
{
    std::vector<int> histogram(256);
    for (int row = 0; row < grey.rows; ++row) {
        const uchar* pixel = grey.ptr<uchar>(row);
        for (int col = 0; col < grey.cols; ++col) {
            ++histogram[pixel[col]];
        }
    }
    const int total = grey.rows * grey.cols;
    return {quantile(histogram, total, levelTail, 1), quantile(histogram, total, 1 - levelTail, 1)};
}

// The slope at the given share from the top among the slopes of all pixels,
// in grey levels per pixel.
constexpr double slopeStep = 0.25;
double steepest(const cv::Mat& slopes, double contrast)
{
    std::vector<int> histogram(static_cast<std::size_t>(contrast / slopeStep) + 2);
    const int last = static_cast<int>(histogram.size()) - 1;
    for (int row = 0; row < slopes.rows; ++row) {
        const float* slope = slopes.ptr<float>(row);
        for (int col = 0; col < slopes.cols; ++col) {
            ++histogram[std::min(last, static_cast<int>(std::abs(slope[col]) / slopeStep))];
        }
    }
    return quantile(histogram, slopes.rows * slopes.cols, 1 - steepestShare, slopeStep);
}

// The width over which a step of the given contrast rises at the given
// slope, less what a sharp step's differencing spreads it over.
double spreadFrom(double contrast, double slope)
{
    const double width = contrast / std::max(slope, 1e-3);
    return std::sqrt(std::max(0.0, width * width - sharpEdgeWidth * sharpEdgeWidth));
}

// Moved so that its centre lies at the origin, as a circular convolution
// takes a kernel.
cv::Mat kernelSpectrum(const cv::Mat& kernel, const cv::Size& size)
{
    cv::Mat padded = cv::Mat::zeros(size, CV_32F);
    const int halfRows = kernel.rows / 2;
    const int halfCols = kernel.cols / 2;
    for (int row = 0; row < kernel.rows; ++row) {
        for (int col = 0; col < kernel.cols; ++col) {
            padded.at<float>((row - halfRows + size.height) % size.height, (col - halfCols + size.width) % size.width) =
                kernel.at<float>(row, col);
        }
    }
    cv::Mat spectrum;
    cv::dft(padded, spectrum, cv::DFT_COMPLEX_OUTPUT);
    return spectrum;
}

// Room beyond the crop for the blur's spread, so that what the blur carried
// across one edge does not wrap around to the opposite one.
constexpr int spectrumMargin = 16;

struct Spectrum {
    cv::Mat values;
    cv::Size image;
};

Spectrum spectrumOf(const cv::Mat& grey)
{
    const cv::Size size(cv::getOptimalDFTSize(grey.cols + spectrumMargin),
                        cv::getOptimalDFTSize(grey.rows + spectrumMargin));
    cv::Mat padded;
    // Mirrored so that the image's wrap-around, which the transform assumes,
    // adds no edge of its own for the filter to ring at.
    cv::copyMakeBorder(grey, padded, 0, size.height - grey.rows, 0, size.width - grey.cols, cv::BORDER_REFLECT);
    cv::Mat image;
    padded.convertTo(image, CV_32F);
    Spectrum spectrum{{}, grey.size()};
    cv::dft(image, spectrum.values, cv::DFT_COMPLEX_OUTPUT);
    return spectrum;
}

// Frequencies in cycles per pixel, in rings this wide.
constexpr double ringWidth = 0.005;

// The power of the image's frequencies averaged over rings around zero.
std::vector<double> radialPower(const cv::Mat& spectrum)
{
    std::vector<double> power(static_cast<std::size_t>(0.75 / ringWidth) + 1);
    std::vector<int> count(power.size());
    const auto squaredFrequency = [](int index, int size) {
        const double frequency = static_cast<double>(index <= size / 2 ? index : index - size) / size;
        return frequency * frequency;
    };
    std::vector<double> squaredAcross(static_cast<std::size_t>(spectrum.cols));
    for (int col = 0; col < spectrum.cols; ++col) {
        squaredAcross[static_cast<std::size_t>(col)] = squaredFrequency(col, spectrum.cols);
    }
    for (int row = 0; row < spectrum.rows; ++row) {
        const double squaredDown = squaredFrequency(row, spectrum.rows);
        const auto* value = spectrum.ptr<cv::Vec2f>(row);
        for (int col = 0; col < spectrum.cols; ++col) {
            const auto ring = static_cast<std::size_t>(
                std::sqrt(squaredDown + squaredAcross[static_cast<std::size_t>(col)]) / ringWidth);
            power[ring] += value[col][0] * value[col][0] + value[col][1] * value[col][1];
            ++count[ring];
        }
    }
    for (std::size_t ring = 0; ring < power.size(); ++ring) {
        power[ring] /= std::max(1, count[ring]);
    }
    return power;
}

// A disk's response first falls to nothing at 0.61 cycles over its radius,
// then rises again to a second lobe: a camera out of focus leaves that ring
// of missing frequencies in the image's spectrum. A Gaussian's response,
// which a soft lens or a camera's own processing gives, fades without one.
constexpr double diskFirstZero = 0.61;
// How far from the edges' estimate the ring is looked for.
constexpr double leastRadiusShare = 0.8;
constexpr double mostRadiusShare = 1.6;
// How much stronger the second lobe is than the ring, at the least.
constexpr double secondLobeRise = 3;
// A Gaussian's steepest edge, against a disk's of the same width.
constexpr double gaussianPerRadius = 0.6;

// The deepest dip among the rings where the edges' estimate allows the
// disk's first zero: a ring weaker than both its neighbours, measured by how
// much stronger the strongest ring of the second lobe beyond it is. The code's
// own power falls with frequency, so the weakest ring of that range is often
// its far end rather than the zero.
Blur roundBlurFrom(const std::vector<double>& power, double radius)
{
    const auto ringOf = [](double frequency) {
        return static_cast<std::size_t>(std::lround(frequency / ringWidth));
    };
    const std::size_t from = std::max<std::size_t>(1, ringOf(diskFirstZero / (mostRadiusShare * radius)));
    const std::size_t to = std::min(power.size() - 2, ringOf(diskFirstZero / (leastRadiusShare * radius)));
    std::size_t zero = 0;
    double deepest = 0;
    for (std::size_t ring = from; ring <= to; ++ring) {
        if (power[ring] > power[ring - 1] || power[ring] > power[ring + 1] || power[ring] <= 0) {
            continue;
        }
        const std::size_t lobeEnd = std::min(power.size() - 1, ring + ring * 2 / 3);
        const double lobe = *std::max_element(power.begin() + static_cast<std::ptrdiff_t>(ring),
                                              power.begin() + static_cast<std::ptrdiff_t>(lobeEnd) + 1);
        if (lobe / power[ring] > deepest) {
            deepest = lobe / power[ring];
            zero = ring;
        }
    }
    if (deepest >= secondLobeRise) {
        return {Blur::Shape::disk, diskFirstZero / ((static_cast<double>(zero) + 0.5) * ringWidth), 0};
    }
    return {Blur::Shape::gaussian, gaussianPerRadius * radius, 0};
}

// The noise's share of the code's power: the noise's variance from the power
// of the highest frequencies, the code's from its two levels.
double noiseToSignalOf(const std::vector<double>& power, std::size_t pixels, double contrast, double least)
{
    const auto first = static_cast<std::size_t>(highestFrequencies / ringWidth);
    const auto last = static_cast<std::size_t>(0.5 / ringWidth);
    double sum = 0;
    for (std::size_t ring = first; ring < last; ++ring) {
        sum += power[ring];
    }
    const double noiseVariance = sum / static_cast<double>(last - first) / static_cast<double>(pixels);
    const double signalVariance = contrast * contrast / 4;
    return std::max(least, noiseAllowance * noiseVariance / std::max(1.0, signalVariance));
}

// Wiener's filter: each frequency divided by the blur's response there, held
// back where that response is weak against the noise.
cv::Mat wienerDeconvolved(const Spectrum& spectrum, const cv::Mat& kernel, double noiseToSignal)
{
    const cv::Size size = spectrum.values.size();
    cv::Mat values = spectrum.values.clone();
    const cv::Mat response = kernelSpectrum(kernel, size);
    const auto nsr = static_cast<float>(noiseToSignal);
    for (int row = 0; row < size.height; ++row) {
        auto* value = values.ptr<cv::Vec2f>(row);
        const auto* blur = response.ptr<cv::Vec2f>(row);
        for (int col = 0; col < size.width; ++col) {
            const float re = blur[col][0];
            const float im = blur[col][1];
            const float gain = 1.0f / (re * re + im * im + nsr);
            const float a = value[col][0];
            const float b = value[col][1];
            value[col] = {(a * re + b * im) * gain, (b * re - a * im) * gain};
        }
    }
    cv::Mat restored;
    cv::dft(values, restored, cv::DFT_INVERSE | cv::DFT_SCALE | cv::DFT_REAL_OUTPUT);
    cv::Mat result;
    restored(cv::Rect({0, 0}, spectrum.image)).convertTo(result, CV_8U);
    return result;
}

// No larger than a square of the given side, around the area's centre.
cv::Rect bounded(const cv::Rect& area, int side)
{
    const cv::Size size(std::min(area.width, side), std::min(area.height, side));
    const cv::Point centre(area.x + area.width / 2, area.y + area.height / 2);
    return {centre.x - size.width / 2, centre.y - size.height / 2, size.width, size.height};
}

// The bounding box of the largest patch of set pixels, neighbours diagonal
// ones included, the first in raster order among equals. Walked here on one
// thread: OpenCV's labelling runs on its thread pool, whose hand-over of
// buffers the thread sanitizer cannot follow, for a mask of a few thousand
// pixels.
cv::Rect largestPatch(const cv::Mat& mask)
{
    cv::Mat seen = cv::Mat::zeros(mask.size(), CV_8U);
    std::vector<cv::Point> stack;
    cv::Rect largest;
    int largestArea = 0;
    for (int row = 0; row < mask.rows; ++row) {
        for (int col = 0; col < mask.cols; ++col) {
            if (mask.at<uchar>(row, col) == 0 || seen.at<uchar>(row, col) != 0) {
                continue;
            }
            int area = 0;
            int left = col, right = col, top = row, bottom = row;
            seen.at<uchar>(row, col) = 1;
            stack.push_back({col, row});
            while (!stack.empty()) {
                const cv::Point point = stack.back();
                stack.pop_back();
                ++area;
                left = std::min(left, point.x);
                right = std::max(right, point.x);
                top = std::min(top, point.y);
                bottom = std::max(bottom, point.y);
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const cv::Point next(point.x + dx, point.y + dy);
                        if (next.x >= 0 && next.y >= 0 && next.x < mask.cols && next.y < mask.rows &&
                            mask.at<uchar>(next) != 0 && seen.at<uchar>(next) == 0) {
                            seen.at<uchar>(next) = 1;
                            stack.push_back(next);
                        }
                    }
                }
            }
            if (area > largestArea) {
                largestArea = area;
                largest = cv::Rect(left, top, right - left + 1, bottom - top + 1);
            }
        }
    }
    return largest;
}

}

cv::Mat diskKernel(double radius)
{
    const int half = static_cast<int>(std::ceil(radius));
    cv::Mat kernel(2 * half + 1, 2 * half + 1, CV_32F);
    for (int row = 0; row < kernel.rows; ++row) {
        for (int col = 0; col < kernel.cols; ++col) {
            int inside = 0;
            for (int i = 0; i < kernelSubdivisions; ++i) {
                for (int j = 0; j < kernelSubdivisions; ++j) {
                    const double y = row - half + (i + 0.5) / kernelSubdivisions - 0.5;
                    const double x = col - half + (j + 0.5) / kernelSubdivisions - 0.5;
                    inside += x * x + y * y <= radius * radius;
                }
            }
            kernel.at<float>(row, col) = static_cast<float>(inside);
        }
    }
    return kernel / cv::sum(kernel)[0];
}

// Points spaced finely along the line, each shared between its four nearest
// cells, so that neither length nor angle is rounded to whole pixels.
cv::Mat lineKernel(double length, double angle)
{
    const int half = static_cast<int>(std::ceil(length / 2)) + 1;
    cv::Mat kernel = cv::Mat::zeros(2 * half + 1, 2 * half + 1, CV_32F);
    const int points = std::max(2, static_cast<int>(std::ceil(length * kernelSubdivisions * 2)));
    for (int i = 0; i < points; ++i) {
        const double along = length * ((i + 0.5) / points - 0.5);
        const double x = half + along * std::cos(angle);
        const double y = half + along * std::sin(angle);
        const int left = static_cast<int>(std::floor(x));
        const int top = static_cast<int>(std::floor(y));
        const float dx = static_cast<float>(x - left);
        const float dy = static_cast<float>(y - top);
        kernel.at<float>(top, left) += (1 - dx) * (1 - dy);
        kernel.at<float>(top, left + 1) += dx * (1 - dy);
        kernel.at<float>(top + 1, left) += (1 - dx) * dy;
        kernel.at<float>(top + 1, left + 1) += dx * dy;
    }
    return kernel / cv::sum(kernel)[0];
}

cv::Rect findCodeArea(const cv::Mat& grey)
{
    const cv::Size size(grey.cols / searchScale, grey.rows / searchScale);
    if (size.width < contrastWindow || size.height < contrastWindow) {
        return {};
    }
    cv::Mat small;
    cv::resize(grey, small, size, 0, 0, cv::INTER_AREA);
    small.convertTo(small, CV_32F);
    cv::Mat mean;
    cv::Mat meanOfSquares;
    cv::boxFilter(small, mean, CV_32F, {contrastWindow, contrastWindow});
    cv::boxFilter(small.mul(small), meanOfSquares, CV_32F, {contrastWindow, contrastWindow});
    cv::Mat variance = meanOfSquares - mean.mul(mean);
    double highest = 0;
    cv::minMaxLoc(variance, nullptr, &highest);
    if (highest < flatContrast * flatContrast) {
        return {};
    }
    const cv::Mat strong = variance >= areaContrastShare * areaContrastShare * highest;
    if (cv::countNonZero(strong) > mostCoverage * static_cast<double>(strong.total())) {
        return {};
    }
    const cv::Rect largest = largestPatch(strong);
    if (largest.empty()) {
        return {};
    }
    const cv::Rect found(largest.x * searchScale, largest.y * searchScale, largest.width * searchScale,
                         largest.height * searchScale);
    const cv::Rect withMargin(found.x - areaMargin, found.y - areaMargin, found.width + 2 * areaMargin,
                              found.height + 2 * areaMargin);
    return withMargin & cv::Rect(0, 0, grey.cols, grey.rows);
}

Blur estimateBlur(const cv::Mat& grey, const cv::Rect& area)
{
    const cv::Mat code = grey(bounded(area, estimateSide));
    const Levels levels = levelsOf(code);
    const double contrast = levels.light - levels.dark;
    if (contrast < measurableContrast) {
        return {};
    }
    cv::Mat dx;
    cv::Mat dy;
    // Differences over two pixels, without the smoothing a larger Sobel adds.
    cv::Sobel(code, dx, CV_32F, 1, 0, 1, 0.5);
    cv::Sobel(code, dy, CV_32F, 0, 1, 1, 0.5);
    const double xx = dx.dot(dx);
    const double yy = dy.dot(dy);
    const double xy = dx.dot(dy);
    const double middle = (xx + yy) / 2;
    const double spread = std::sqrt((xx - yy) * (xx - yy) / 4 + xy * xy);
    const double weakest = middle - spread;
    const double strongest = middle + spread;
    if (strongest <= 0) {
        return {};
    }
    Blur blur;
    if (weakest < motionAnisotropy * strongest) {
        // The gradients are weakest along the motion, across the strongest.
        blur.shape = Blur::Shape::line;
        blur.angle = 0.5 * std::atan2(2 * xy, xx - yy) + pi / 2;
        const cv::Mat along = dx * std::cos(blur.angle) + dy * std::sin(blur.angle);
        // Along the motion, every edge rises over the line's whole length,
        // whichever way the edge runs.
        blur.extent = spreadFrom(contrast, steepest(along, contrast));
    } else {
        cv::Mat magnitude;
        cv::magnitude(dx, dy, magnitude);
        // A disk's edge rises over pi / 2 times its radius at its steepest.
        blur.shape = Blur::Shape::disk;
        blur.extent = spreadFrom(contrast, steepest(magnitude, contrast)) * 2 / pi;
    }
    if (spreadOf(blur) < leastSpread) {
        return {};
    }
    return blur;
}

Deblurred deblurred(const cv::Mat& grey)
{
    const cv::Rect area = findCodeArea(grey);
    if (area.empty()) {
        return {};
    }
    Blur blur = estimateBlur(grey, area);
    if (blur.shape == Blur::Shape::none) {
        return {};
    }
    const cv::Rect crop = bounded(area, largestSide);
    const Spectrum spectrum = spectrumOf(grey(crop));
    const auto power = radialPower(spectrum.values);
    if (blur.shape == Blur::Shape::disk) {
        blur = roundBlurFrom(power, blur.extent);
    }
    const Levels levels = levelsOf(grey(bounded(area, estimateSide)));
    const double noiseToSignal =
        noiseToSignalOf(power, spectrum.values.total(), levels.light - levels.dark,
                        blur.shape == Blur::Shape::line ? leastLineNoiseToSignal : leastRoundNoiseToSignal);
    // A blur wider than the code's area leaves nothing of the code to restore,
    // and its kernel would not fit the spectrum it is laid into.
    const cv::Mat kernel = kernelOf(blur);
    if (kernel.rows > crop.height || kernel.cols > crop.width) {
        return {};
    }
    return {wienerDeconvolved(spectrum, kernel, noiseToSignal), crop.tl()};
}

}
