#include "corpus.h"

#include "charset_code.h"
#include "decoding/deblur.h"
#include "footage.h"
#include "run/scan_region.h"
#include "surface.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <sstream>

namespace bench {
namespace {

// The region the library scans, the central quarter, less a margin so that
// every corner a decoder reports lies inside it.
const cv::Rect2d placeable = [] {
    const cv::Rect region = scanlet::scanRegion(scanlet::fullHd);
    constexpr int margin = 12;
    return cv::Rect2d(region.x + margin, region.y + margin, region.width - 2 * margin, region.height - 2 * margin);
}();
// About a 70 degree horizontal field of view at 1920 pixels.
constexpr double focalLength = 1400;
// Ink and paper lie either side of it, as far apart as the contrast says.
constexpr double midGrey = 130;
constexpr double pi = 3.14159265358979323846;

std::string randomFrom(cv::RNG& rng, const std::string& alphabet, int length)
{
    std::string text;
    for (int i = 0; i < length; ++i) {
        text += alphabet[rng.uniform(0, static_cast<int>(alphabet.size()))];
    }
    return text;
}

const std::string digits = "0123456789";
const std::string alphanumerics = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
const std::string printable =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._~:/?#[]@!$&'()*+,;=% ";

// What a camera host mostly scans: a short URL or ticket of 12 to 40 bytes.
std::string ticket(cv::RNG& rng)
{
    return "https://ex.com/" + randomFrom(rng, printable.substr(0, 62), rng.uniform(0, 26));
}

std::string utf8Text(cv::RNG& rng)
{
    static const std::array<std::string, 10> words{"Grüße", "Zürich", "Привет", "你好", "こんにちは",
                                                   "مرحبا", "Ελληνικά", "naïve café", "🙂", "Åsa Øre"};
    std::string text;
    const int count = rng.uniform(2, 7);
    for (int i = 0; i < count; ++i) {
        text += (i == 0 ? "" : " ") + words[rng.uniform(0, static_cast<int>(words.size()))];
    }
    return text;
}

// Versions 10 to 20 at the encoder's low error correction hold 271 to 858 bytes.
std::string longText(cv::RNG& rng)
{
    return randomFrom(rng, printable, rng.uniform(230, 851));
}

std::string wordsFrom(cv::RNG& rng, const std::vector<std::string>& words)
{
    std::string text;
    const int count = rng.uniform(2, 6);
    for (int i = 0; i < count; ++i) {
        text += words[rng.uniform(0, static_cast<int>(words.size()))];
    }
    return text;
}

std::string japanese(cv::RNG& rng)
{
    return wordsFrom(rng, {"こんにちは", "東京駅", "会議室", "予約番号", "カタカナ", "日本語", "、", "。", "ありがとう"});
}

// Half-width katakana, as product labels and tickets print it, with ASCII and line breaks.
std::string halfWidthKatakana(cv::RNG& rng)
{
    return wordsFrom(rng, {"ﾃﾞｻﾞｲﾝ", "ｶﾀｶﾅ", "ｺｰﾄﾞ", "ﾁｹｯﾄ", "QR", " No.12", "\r\n", "ｻｲｽﾞ M"});
}

std::string accentedLatin(cv::RNG& rng)
{
    return wordsFrom(rng, {"Grüße ", "café ", "naïve ", "Ærøskøbing ", "Señor ", "À la carte ", "12,50 £"});
}

std::string chinese(cv::RNG& rng)
{
    return wordsFrom(rng, {"你好", "北京", "欢迎光临", "会议", "中文测试", "二维码", "，", "。", "谢谢"});
}

struct Level {
    std::string name;
    std::function<void(Sample&, cv::RNG&)> apply;
};

struct Category {
    std::string name;
    std::vector<Level> levels;
};

// Tilted past 60 degrees, the modules grow so that the most foreshortened
// stay about two pixels across.
std::vector<Level> steepTilts(const std::vector<int>& degrees)
{
    std::vector<Level> levels;
    for (const int tilt : degrees) {
        const int moduleSize = std::max(4, static_cast<int>(std::ceil(2 / std::cos(tilt * pi / 180))));
        levels.push_back({std::to_string(tilt) + "°, " + std::to_string(moduleSize) + " px modules",
                          [=](Sample& s, cv::RNG&) {
                              s.tiltDegrees = tilt;
                              s.moduleSize = moduleSize;
                          }});
    }
    return levels;
}

// Sensor noise over codes of versions 8 to 16: a reader that finds a large
// code's finder patterns in noise may misjudge its dimension by a version.
std::vector<Level> noisyLargeCodes(const std::vector<int>& sigmas)
{
    std::vector<Level> levels;
    for (const int sigma : sigmas) {
        levels.push_back({std::to_string(sigma) + " sigma", [=](Sample& s, cv::RNG& rng) {
                              s.noiseSigma = sigma;
                              s.text = randomFrom(rng, printable, rng.uniform(160, 601));
                          }});
    }
    return levels;
}

Level clothLevel(const std::string& name, double modules)
{
    return {name, [=](Sample& s, cv::RNG&) { s.clothAmplitude = modules; }};
}

template <typename T>
std::vector<Level> levelsOf(const std::vector<T>& values, const std::string& unit,
                            std::function<void(Sample&, T)> set)
{
    std::vector<Level> levels;
    for (const T value : values) {
        std::ostringstream name;
        name << value << unit;
        levels.push_back({name.str(), [=](Sample& sample, cv::RNG&) { set(sample, value); }});
    }
    return levels;
}

std::vector<Category> categories()
{
    return {
        {"module size", levelsOf<int>({2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, " px",
                                      [](Sample& s, int v) { s.moduleSize = v; })},
        {"rotation", levelsOf<int>({0, 5, 10, 15, 20, 25, 30, 35, 40, 45}, "°",
                                   [](Sample& s, int v) { s.rotationDegrees = v; })},
        {"perspective tilt", levelsOf<int>({0, 10, 20, 30, 40, 50, 60}, "°",
                                           [](Sample& s, int v) { s.tiltDegrees = v; })},
        {"blur", levelsOf<double>({0.5, 1.0, 1.5, 2.0, 2.5, 3.0}, " px sigma",
                                  [](Sample& s, double v) { s.blurSigma = v; })},
        {"sensor noise", levelsOf<int>({5, 10, 20, 30, 40}, " sigma",
                                       [](Sample& s, int v) { s.noiseSigma = v; })},
        {"JPEG quality", levelsOf<int>({30, 40, 50, 60, 70, 80, 90}, "",
                                       [](Sample& s, int v) { s.jpegQuality = v; })},
        {"low contrast", levelsOf<int>({80, 60, 40, 30, 20, 10}, " grey levels",
                                       [](Sample& s, int v) { s.contrast = v; })},
        {"partial glare", levelsOf<int>({10, 20, 30, 40}, "% of the side",
                                        [](Sample& s, int v) { s.glareRadius = v / 100.0; })},
        {"payload",
         {{"numeric", [](Sample& s, cv::RNG& rng) { s.text = randomFrom(rng, digits, rng.uniform(10, 101)); }},
          {"alphanumeric",
           [](Sample& s, cv::RNG& rng) { s.text = randomFrom(rng, alphanumerics, rng.uniform(10, 81)); }},
          {"byte/UTF-8", [](Sample& s, cv::RNG& rng) { s.text = utf8Text(rng); }},
          {"long (v10-20)", [](Sample& s, cv::RNG& rng) { s.text = longText(rng); }}}},
        {"inverted", levelsOf<int>({3, 4, 6, 8}, " px modules", [](Sample& s, int v) {
             s.inverted = true;
             s.moduleSize = v;
         })},
        {"character set",
         {{"Shift_JIS, Kanji mode",
           [](Sample& s, cv::RNG& rng) {
               s.text = japanese(rng);
               s.characterSet = "Shift_JIS";
               s.designated = true;
           }},
          {"Shift_JIS, no designator",
           [](Sample& s, cv::RNG& rng) {
               s.text = japanese(rng);
               s.characterSet = "Shift_JIS";
           }},
          {"GB18030 with ECI",
           [](Sample& s, cv::RNG& rng) {
               s.text = chinese(rng);
               s.characterSet = "GB18030";
               s.designated = true;
           }},
          {"GB18030, no designator",
           [](Sample& s, cv::RNG& rng) {
               s.text = chinese(rng);
               s.characterSet = "GB18030";
           }},
          {"Shift_JIS half-width katakana, no designator",
           [](Sample& s, cv::RNG& rng) {
               s.text = halfWidthKatakana(rng);
               s.characterSet = "CP932";
           }},
          {"ISO-8859-1 accents, no designator",
           [](Sample& s, cv::RNG& rng) {
               s.text = accentedLatin(rng);
               s.characterSet = "ISO-8859-1";
           }},
          {"UTF-8 with byte order mark", [](Sample& s, cv::RNG& rng) { s.text = "\xEF\xBB\xBF" + utf8Text(rng); }}}},
        {"uneven light", levelsOf<int>({30, 50, 60, 70, 80, 85}, "% falloff across the code",
                                       [](Sample& s, int v) { s.lightFalloff = v / 100.0; })},
        {"defocus", levelsOf<double>({0.5, 0.75, 1.0}, " module disk radius",
                                     [](Sample& s, double v) { s.defocusRadius = v; })},
        {"motion", levelsOf<double>({1.0, 1.5, 2.0}, " module line",
                                    [](Sample& s, double v) { s.motionLength = v; })},
        {"glare over data", levelsOf<int>({3, 5, 7, 9}, " modules across",
                                          [](Sample& s, int v) { s.spotModules = v; })},
        {"glare over data, level Q", levelsOf<int>({5, 7, 9, 11}, " modules across", [](Sample& s, int v) {
             s.spotModules = v;
             s.levelQ = true;
         })},
        {"glare over a finder pattern", levelsOf<int>({3, 5, 7}, " modules across", [](Sample& s, int v) {
             s.spotModules = v;
             s.spotOnFinder = true;
         })},
        // Large modules, so that those the curve turns furthest away stay
        // about two pixels across even at half the circumference.
        {"curved surface", levelsOf<int>({60, 90, 120, 150, 180}, "° of the circumference", [](Sample& s, int v) {
             s.wrapDegrees = v;
             s.moduleSize = 8;
         })},
        {"cloth",
         {clothLevel("0.25 module", 0.25), clothLevel("0.5 module", 0.5),
          clothLevel("moderate displacement, 1 module", 1), clothLevel("1.5 modules", 1.5),
          clothLevel("2 modules", 2)}},
        {"steep tilt", steepTilts({65, 70, 75, 80})},
        {"sensor noise, large codes", noisyLargeCodes({10, 20, 30, 40, 50})},
    };
}

cv::Mat codeAtLevelQ(const std::string& text, int moduleSize)
{
    cv::QRCodeEncoder::Params params;
    params.correction_level = cv::QRCodeEncoder::CORRECT_LEVEL_Q;
    cv::Mat modules;
    cv::QRCodeEncoder::create(params)->encode(text, modules);
    return footage::scaledModules(modules, moduleSize);
}

// The standard quiet zone, in modules; the encoder leaves two.
constexpr int quietZoneModules = 4;

cv::Mat printedCode(const Sample& sample)
{
    cv::Mat code = sample.characterSet.empty()
                       ? (sample.levelQ ? codeAtLevelQ(sample.text, sample.moduleSize)
                                        : footage::codeImage(sample.text, sample.moduleSize))
                       : footage::scaledModules(charsetModules(sample.text, sample.characterSet,
                                                               sample.designated ? CharsetMode::writer
                                                                                 : CharsetMode::bareBytes),
                                                sample.moduleSize);
    const int border = (quietZoneModules - 2) * sample.moduleSize;
    cv::Mat padded;
    cv::copyMakeBorder(code, padded, border, border, border, border, cv::BORDER_CONSTANT, 255);
    if (sample.inverted) {
        cv::bitwise_not(padded, padded);
    }
    const double ink = midGrey - sample.contrast / 2.0;
    padded.convertTo(padded, CV_32F, sample.contrast / 255.0, ink);
    return padded;
}

// The code's corners once tilted away from the camera about an axis at a random
// angle and then turned in the image plane, around the origin.
std::vector<cv::Point2f> posed(double side, const Sample& sample, cv::RNG& rng)
{
    const double axis = rng.uniform(0.0, 2 * pi);
    const double tilt = sample.tiltDegrees * pi / 180;
    const double turn = sample.rotationDegrees * pi / 180 * (rng.uniform(0, 2) == 0 ? 1 : -1);
    const cv::Matx33d toAxis(std::cos(axis), -std::sin(axis), 0, std::sin(axis), std::cos(axis), 0, 0, 0, 1);
    const cv::Matx33d tiltAbout(1, 0, 0, 0, std::cos(tilt), -std::sin(tilt), 0, std::sin(tilt), std::cos(tilt));
    const cv::Matx33d pose = toAxis * tiltAbout * toAxis.t();
    std::vector<cv::Point2f> corners;
    for (const auto& [x, y] : std::array<std::pair<double, double>, 4>{{{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}}) {
        const cv::Vec3d point = pose * cv::Vec3d(x * side / 2, y * side / 2, 0);
        const double scale = focalLength / (focalLength + point[2]);
        const double px = point[0] * scale;
        const double py = point[1] * scale;
        corners.emplace_back(static_cast<float>(px * std::cos(turn) - py * std::sin(turn)),
                             static_cast<float>(px * std::sin(turn) + py * std::cos(turn)));
    }
    return corners;
}

// Moves the corners to a random place where all of them lie in the scan region;
// whole pixels, so that an unturned code keeps sharp module edges.
void placeInRegion(std::vector<cv::Point2f>& corners, cv::RNG& rng)
{
    const cv::Rect2f box = cv::boundingRect(corners);
    const double left = std::floor(placeable.x - box.x);
    const double top = std::floor(placeable.y - box.y);
    const double spareX = std::max(0.0, placeable.width - box.width);
    const double spareY = std::max(0.0, placeable.height - box.height);
    const cv::Point2f shift(static_cast<float>(std::ceil(left + rng.uniform(0.0, spareX))),
                            static_cast<float>(std::ceil(top + rng.uniform(0.0, spareY))));
    for (auto& corner : corners) {
        corner += shift;
    }
}

cv::Mat background(cv::RNG& rng)
{
    cv::Mat frame(scanlet::fullHd, CV_32F);
    const double from = rng.uniform(80.0, 140.0);
    const double to = rng.uniform(80.0, 140.0);
    for (int col = 0; col < frame.cols; ++col) {
        frame.col(col).setTo(from + (to - from) * col / (frame.cols - 1));
    }
    return frame;
}

void addGlare(cv::Mat& frame, const std::vector<cv::Point2f>& corners, double radiusShare, cv::RNG& rng)
{
    const cv::Rect box = cv::boundingRect(corners);
    const cv::Point2d centre(box.x + rng.uniform(0.2, 0.8) * box.width, box.y + rng.uniform(0.2, 0.8) * box.height);
    const double radius = radiusShare * box.width;
    // Saturated in the middle, fading to nothing over a second radius.
    for (int row = std::max(0, box.y - box.height); row < std::min(frame.rows, box.br().y + box.height); ++row) {
        auto* pixel = frame.ptr<float>(row);
        for (int col = std::max(0, box.x - box.width); col < std::min(frame.cols, box.br().x + box.width); ++col) {
            const double distance = std::hypot(col - centre.x, row - centre.y) / radius;
            pixel[col] += static_cast<float>(400 * std::exp(-distance * distance));
        }
    }
}

// A lamp's reflection: saturated out to the radius even over ink, fading over
// about as far again, in the same profile as addGlare's.
void addSpot(cv::Mat& frame, const cv::Point2d& centre, double radius, double ink)
{
    constexpr double peak = 400;
    const double width = radius / std::sqrt(std::log(peak / (255 - ink)));
    const int reach = static_cast<int>(std::ceil(3 * width));
    for (int row = std::max(0, cvFloor(centre.y) - reach); row < std::min(frame.rows, cvCeil(centre.y) + reach); ++row) {
        auto* pixel = frame.ptr<float>(row);
        for (int col = std::max(0, cvFloor(centre.x) - reach); col < std::min(frame.cols, cvCeil(centre.x) + reach);
             ++col) {
            const double distance = std::hypot(col - centre.x, row - centre.y) / width;
            pixel[col] += static_cast<float>(peak * std::exp(-distance * distance));
        }
    }
}

// Where a spot of the sample's size lies on the symbol of modules a side, in
// modules from its top-left corner. Over data, the saturated disk keeps a
// module clear of the finder patterns with their separators and format
// information, and of the symbol's edge; over a finder pattern, it covers part
// of one of the three.
cv::Point2d spotCentre(const Sample& sample, int modules, cv::RNG& rng)
{
    const double radius = sample.spotModules / 2.0;
    if (sample.spotOnFinder) {
        const double far = modules - 3.5;
        const std::array<cv::Point2d, 3> finders{{{3.5, 3.5}, {far, 3.5}, {3.5, far}}};
        const cv::Point2d finder = finders[rng.uniform(0, 3)];
        const double angle = rng.uniform(0.0, 2 * pi);
        const double away = rng.uniform(0.0, 3.5);
        return finder + cv::Point2d(away * std::cos(angle), away * std::sin(angle));
    }
    const double corner = 9 + 1;
    const auto clearOfCorners = [&](const cv::Point2d& c) {
        const auto outside = [&](double left, double top) {
            const double dx = std::max({left - c.x, 0.0, c.x - (left + corner)});
            const double dy = std::max({top - c.y, 0.0, c.y - (top + corner)});
            return std::hypot(dx, dy) > radius;
        };
        return outside(0, 0) && outside(modules - corner, 0) && outside(0, modules - corner);
    };
    const double low = radius + 1;
    const double high = std::max(low, modules - radius - 1);
    for (;;) {
        const cv::Point2d centre(rng.uniform(low, high), rng.uniform(low, high));
        if (clearOfCorners(centre)) {
            return centre;
        }
    }
}

// Light from one side, in a random direction: brightness falls linearly
// across the code's box and stays level beyond it.
void addFalloff(cv::Mat& frame, const std::vector<cv::Point2f>& corners, double falloff, cv::RNG& rng)
{
    const cv::Rect box = cv::boundingRect(corners);
    const double angle = rng.uniform(0.0, 2 * pi);
    const cv::Point2d direction(std::cos(angle), std::sin(angle));
    const cv::Point2d centre(box.x + box.width / 2.0, box.y + box.height / 2.0);
    const double halfSpan = (std::abs(direction.x) * box.width + std::abs(direction.y) * box.height) / 2;
    for (int row = 0; row < frame.rows; ++row) {
        auto* pixel = frame.ptr<float>(row);
        for (int col = 0; col < frame.cols; ++col) {
            const double along = ((col - centre.x) * direction.x + (row - centre.y) * direction.y) / halfSpan;
            const double share = (std::clamp(along, -1.0, 1.0) + 1) / 2;
            pixel[col] *= static_cast<float>(1 - falloff * share);
        }
    }
}

void addNoise(cv::Mat& frame, double sigma, cv::RNG& rng)
{
    cv::Mat noise(frame.size(), CV_32FC3);
    rng.fill(noise, cv::RNG::NORMAL, 0, sigma);
    frame += noise;
}

cv::Mat compressed(const cv::Mat& frame, int quality)
{
    std::vector<uchar> bytes;
    cv::imencode(".jpg", frame, bytes, {cv::IMWRITE_JPEG_QUALITY, quality});
    return cv::imdecode(bytes, cv::IMREAD_COLOR);
}

// The frame's pixels within reach of the points, with a pixel or two more for
// a surface that curves between them.
cv::Rect around(const std::vector<cv::Point2f>& points)
{
    constexpr int margin = 2;
    const cv::Rect box = cv::boundingRect(points);
    return {box.x - margin, box.y - margin, box.width + 2 * margin, box.height + 2 * margin};
}

cv::Mat onCylinder(const cv::Mat& code, const Sample& sample, cv::RNG& rng)
{
    Cylinder cylinder(code.cols, quietZoneModules * sample.moduleSize, sample.wrapDegrees, focalLength, rng);
    const auto seen = cylinder.outline();
    auto placed = seen;
    placeInRegion(placed, rng);
    cylinder.moveBy(placed.front() - seen.front());
    cv::Mat frame = background(rng);
    paint(frame, code, around(placed), std::cref(cylinder));
    return frame;
}

// The flat code's square, grown by as far as the cloth may move any of it, is
// what must lie in the scan region.
cv::Mat onCloth(const cv::Mat& code, const Sample& sample, cv::RNG& rng)
{
    const auto side = static_cast<float>(code.cols);
    Cloth cloth(side, sample.moduleSize, sample.clothAmplitude * sample.moduleSize, rng);
    const auto reach = static_cast<float>(std::ceil(cloth.reach()));
    std::vector<cv::Point2f> corners{
        {-reach, -reach}, {side + reach, -reach}, {side + reach, side + reach}, {-reach, side + reach}};
    placeInRegion(corners, rng);
    cloth.moveTo(corners.front() + cv::Point2f(reach, reach));
    cv::Mat frame = background(rng);
    paint(frame, code, around(corners), std::cref(cloth));
    return frame;
}

// What the camera's lens, sensor and encoder make of the light that reaches it.
cv::Mat captured(cv::Mat frame, const Sample& sample, cv::RNG& rng)
{
    if (sample.blurSigma > 0) {
        cv::GaussianBlur(frame, frame, {}, sample.blurSigma);
    }
    if (sample.defocusRadius > 0) {
        cv::filter2D(frame, frame, -1, scanlet::diskKernel(sample.defocusRadius * sample.moduleSize), {-1, -1}, 0,
                     cv::BORDER_REPLICATE);
    }
    if (sample.motionLength > 0) {
        cv::filter2D(frame, frame, -1, scanlet::lineKernel(sample.motionLength * sample.moduleSize, rng.uniform(0.0, pi)),
                     {-1, -1}, 0, cv::BORDER_REPLICATE);
    }
    cv::Mat colour;
    cv::cvtColor(frame, colour, cv::COLOR_GRAY2BGR);
    if (sample.noiseSigma > 0) {
        addNoise(colour, sample.noiseSigma, rng);
    }
    colour.convertTo(colour, CV_8UC3);
    return sample.jpegQuality > 0 ? compressed(colour, sample.jpegQuality) : colour;
}

}

std::vector<Sample> corpus(std::uint64_t seed, int samplesPerLevel)
{
    cv::RNG rng(seed);
    std::vector<Sample> samples;
    for (const auto& category : categories()) {
        for (const auto& level : category.levels) {
            for (int i = 0; i < samplesPerLevel; ++i) {
                Sample sample;
                sample.category = category.name;
                sample.level = level.name;
                sample.text = ticket(rng);
                level.apply(sample, rng);
                sample.seed = (static_cast<std::uint64_t>(rng.next()) << 32) | rng.next();
                samples.push_back(sample);
            }
        }
    }
    // Dropped only once all are drawn, so that every other sample is the same
    // on every platform.
    if (!charsetCodesAvailable()) {
        samples.erase(std::remove_if(samples.begin(), samples.end(),
                                     [](const Sample& sample) { return !sample.characterSet.empty(); }),
                      samples.end());
    }
    return samples;
}

cv::Mat render(const Sample& sample)
{
    cv::RNG rng(sample.seed);
    const cv::Mat code = printedCode(sample);
    if (sample.wrapDegrees > 0) {
        return captured(onCylinder(code, sample, rng), sample, rng);
    }
    if (sample.clothAmplitude > 0) {
        return captured(onCloth(code, sample, rng), sample, rng);
    }
    auto corners = posed(code.cols, sample, rng);
    placeInRegion(corners, rng);
    const float side = static_cast<float>(code.cols);
    const std::vector<cv::Point2f> flat{{0, 0}, {side, 0}, {side, side}, {0, side}};

    cv::Mat frame = background(rng);
    cv::warpPerspective(code, frame, cv::getPerspectiveTransform(flat, corners), frame.size(), cv::INTER_LINEAR,
                        cv::BORDER_TRANSPARENT);
    if (sample.lightFalloff > 0) {
        addFalloff(frame, corners, sample.lightFalloff, rng);
    }
    if (sample.glareRadius > 0) {
        addGlare(frame, corners, sample.glareRadius, rng);
    }
    if (sample.spotModules > 0) {
        const int border = 2 * sample.moduleSize;
        const int modules = (code.cols - 2 * border) / sample.moduleSize;
        const cv::Point2d inModules = spotCentre(sample, modules, rng);
        std::vector<cv::Point2f> centre{cv::Point2f(inModules * sample.moduleSize) + cv::Point2f(border, border)};
        cv::perspectiveTransform(centre, centre, cv::getPerspectiveTransform(flat, corners));
        addSpot(frame, centre[0], sample.spotModules * sample.moduleSize / 2.0, midGrey - sample.contrast / 2.0);
    }
    return captured(frame, sample, rng);
}

}
