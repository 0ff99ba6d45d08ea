#include "footage.h"
#include "fuzz_image.h"

#include "decoding/decoder.h"
#include "run/detect_in_region.h"
#include "run/detector_state.h"
#include "run/known_codes.h"
#include "decoding/rotating_decoder.h"
#include "text/text_encoding.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <opencv2/objdetect.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <future>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <tuple>

namespace {

class ScriptedDecoder : public scanlet::Decoder {
public:
    scanlet::Decoded next;
    std::function<void()> failure;

    scanlet::Decoded decode(const cv::Mat&) override
    {
        if (failure) {
            failure();
        }
        return next;
    }
};

std::vector<std::string> reported;

void recordCode(const char* code)
{
    reported.emplace_back(code);
}

class Acceptance : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.beginRun(recordCode, 0, nullptr, 0);
        reported.clear();
        errors.str("");
        previousCerr = std::cerr.rdbuf(errors.rdbuf());
    }
    void TearDown() override { std::cerr.rdbuf(previousCerr); }

    // Runs one acceptance step on a fresh region.
    scanlet::Detection detect(const std::string& text, std::vector<cv::Point> corners)
    {
        decoder.next = {text, std::move(corners)};
        region = cv::Mat(540, 960, CV_8UC3, cv::Scalar::all(0));
        return scanlet::detectInRegion(state, decoder, region);
    }

    bool outlined() const { return cv::countNonZero(region.reshape(1)) > 0; }

    static std::vector<cv::Point> square(int x = 100, int y = 100, int side = 200)
    {
        return {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
    }

    scanlet::DetectorState state;
    ScriptedDecoder decoder;
    cv::Mat region;
    std::ostringstream errors;
    std::streambuf* previousCerr = nullptr;
};

TEST_F(Acceptance, NewCodeIsCountedReportedAndOutlinedInGreen)
{
    EXPECT_EQ(detect("alpha", square()), scanlet::Detection::Accepted);
    EXPECT_EQ(state.count(), 1);
    EXPECT_EQ(reported, std::vector<std::string>{"alpha"});
    EXPECT_TRUE(state.hasSeen("alpha"));
    // Each segment runs from one returned corner to the next, in the decoder's order.
    EXPECT_EQ(region.at<cv::Vec3b>(100, 200), cv::Vec3b(0, 255, 0));
    EXPECT_EQ(region.at<cv::Vec3b>(200, 300), cv::Vec3b(0, 255, 0));
    EXPECT_EQ(region.at<cv::Vec3b>(300, 200), cv::Vec3b(0, 255, 0));
    EXPECT_EQ(region.at<cv::Vec3b>(200, 100), cv::Vec3b(0, 255, 0));
    EXPECT_EQ(region.at<cv::Vec3b>(200, 200), cv::Vec3b(0, 0, 0));
}

TEST_F(Acceptance, RejectedDetectionsChangeNothing)
{
    using scanlet::Detection;
    EXPECT_EQ(detect("", {}), Detection::NothingRead);
    EXPECT_EQ(detect("", square()), Detection::NothingRead);
    EXPECT_FALSE(outlined());
    const std::vector<std::pair<std::string, std::vector<cv::Point>>> outside = {
        {"text", {{1, 1}, {5, 1}, {5, 5}}},
        {"text", {{1, 1}, {5, 1}, {5, 5}, {1, 5}, {3, 3}}},
        {"text", {{0, 0}, {960, 0}, {959, 539}, {0, 539}}},
        {"text", {{0, 0}, {959, 0}, {959, 540}, {0, 539}}},
        {"text", {{-1, 0}, {959, 0}, {959, 539}, {0, 539}}},
        {"text", {{0, 0}, {959, -1}, {959, 539}, {0, 539}}},
    };
    for (const auto& [text, corners] : outside) {
        SCOPED_TRACE(::testing::PrintToString(corners));
        EXPECT_EQ(detect(text, corners), Detection::OutsideRegion);
        EXPECT_FALSE(outlined());
    }
    EXPECT_EQ(state.count(), 0);
    EXPECT_TRUE(reported.empty());
    EXPECT_FALSE(state.hasSeen("text"));
    EXPECT_FALSE(state.hasSeen(""));
}

TEST_F(Acceptance, CornersOnTheNearEdgesAndJustInsideTheFarEdgesAreAccepted)
{
    EXPECT_EQ(detect("edge", {{0, 0}, {959, 0}, {959, 539}, {0, 539}}), scanlet::Detection::Accepted);
    EXPECT_EQ(state.count(), 1);
}

TEST_F(Acceptance, SeenAndKnownCodesAreOutlinedButNotCountedAgain)
{
    const char* known[] = {"known"};
    state.beginRun(recordCode, 5, known, 1);

    EXPECT_EQ(detect("fresh", square()), scanlet::Detection::Accepted);
    EXPECT_EQ(detect("fresh", square()), scanlet::Detection::AlreadySeen);
    EXPECT_TRUE(outlined());
    EXPECT_EQ(detect("known", square()), scanlet::Detection::AlreadySeen);
    EXPECT_TRUE(outlined());

    EXPECT_EQ(state.count(), 6);
    EXPECT_EQ(reported, std::vector<std::string>{"fresh"});
}

TEST_F(Acceptance, TextsAreComparedByteForByte)
{
    for (const std::string& text : {"Code", "code", "code ", "c\xC3\xB6" "de", "co\xEF\xBF\xBD" "de"}) {
        detect(text, square());
    }
    EXPECT_EQ(state.count(), 5);
    EXPECT_EQ(reported, (std::vector<std::string>{"Code", "code", "code ", "c\xC3\xB6" "de", "co\xEF\xBF\xBD" "de"}));
}

// The host receives a C string: what it sees of a text, the bytes before a
// first NUL, is what is compared with the codes seen, counted and delivered.
TEST_F(Acceptance, TextsWithNulBytesCountAsWhatTheHostSees)
{
    using scanlet::Detection;
    const char* known[] = {"known"};
    state.beginRun(recordCode, 0, known, 1);
    EXPECT_EQ(detect(std::string("ab\0cd", 5), square()), Detection::Accepted);
    EXPECT_EQ(detect(std::string("ab\0ce", 5), square()), Detection::AlreadySeen);
    EXPECT_EQ(detect("ab", square()), Detection::AlreadySeen);
    EXPECT_EQ(detect(std::string("known\0x", 7), square()), Detection::AlreadySeen);
    EXPECT_TRUE(outlined());
    EXPECT_TRUE(state.hasSeen("ab"));
    EXPECT_FALSE(state.hasSeen(std::string("ab\0cd", 5)));

    for (const std::string& nothingShown : {std::string("\0", 1), std::string("\0payload", 8),
                                            std::string("\0\0", 2)}) {
        SCOPED_TRACE(::testing::PrintToString(nothingShown));
        EXPECT_EQ(detect(nothingShown, square()), Detection::NothingRead);
        EXPECT_FALSE(outlined());
    }
    EXPECT_FALSE(state.hasSeen(""));
    EXPECT_EQ(state.count(), 1);
    EXPECT_EQ(reported, std::vector<std::string>{"ab"});
}

TEST_F(Acceptance, WithoutCallbackCodesAreStillCounted)
{
    state.beginRun(nullptr, 0, nullptr, 0);
    detect("silent", square());
    EXPECT_EQ(state.count(), 1);
}

TEST_F(Acceptance, CallbackRunsWithTheStateLocked)
{
    // Another thread's read of the count waits until the callback has returned.
    static scanlet::DetectorState* scanner;
    static std::future<std::int32_t> countDuringCallback;
    static bool answeredDuringCallback;
    scanner = &state;
    state.beginRun(
        [](const char*) {
            countDuringCallback = std::async(std::launch::async, [] { return scanner->count(); });
            answeredDuringCallback =
                countDuringCallback.wait_for(std::chrono::milliseconds(200)) == std::future_status::ready;
        },
        0, nullptr, 0);
    detect("locked", square());
    EXPECT_FALSE(answeredDuringCallback);
    EXPECT_EQ(countDuringCallback.get(), 1);
}

TEST_F(Acceptance, DecoderFailuresDropTheFrameWithALineNamingTheirSource)
{
    // OpenCV names the file it failed in by the path it was built at, on
    // whichever platform: the line keeps OpenCV's message but not the folders.
    for (const std::string path : {"/home/builder/.cache/opencv/modules/objdetect/src/qrcode.cpp",
                                   "C:\\build\\opencv\\modules\\objdetect\\src\\qrcode.cpp"}) {
        errors.str("");
        decoder.failure = [&] { throw cv::Exception(cv::Error::StsError, "broken image", "decode", path, 12); };
        EXPECT_EQ(detect("never", square()), scanlet::Detection::DecoderFailed);
        EXPECT_EQ(errors.str(), "OpenCV error in QR detection: OpenCV(" CV_VERSION
                                ") qrcode.cpp:12: error: (-2:Unspecified error) broken image in function 'decode'\n");
    }

    errors.str("");
    decoder.failure = [] { throw scanlet::DecoderError("ZXing", "bad format"); };
    EXPECT_EQ(detect("never", square()), scanlet::Detection::DecoderFailed);
    EXPECT_EQ(errors.str(), "ZXing error in QR detection: bad format\n");

    EXPECT_EQ(state.count(), 0);
    EXPECT_TRUE(reported.empty());
    EXPECT_FALSE(outlined());
}

TEST_F(Acceptance, ExceptionFromTheCallbackLeavesWithTheLockReleased)
{
    state.beginRun([](const char*) { throw std::runtime_error("host failed"); }, 0, nullptr, 0);
    EXPECT_THROW(detect("boom", square()), std::runtime_error);
    auto count = std::async(std::launch::async, [&] { return state.count(); });
    ASSERT_EQ(count.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_EQ(count.get(), 1);
}

TEST(ScanRegion, IsTheCentralQuarterWithTruncatingDivision)
{
    EXPECT_EQ(scanlet::scanRegion({1920, 1080}), cv::Rect(480, 270, 960, 540));
    EXPECT_EQ(scanlet::scanRegion({641, 481}), cv::Rect(160, 120, 320, 240));
    EXPECT_EQ(scanlet::scanRegion({1, 1}), cv::Rect(0, 0, 0, 0));
}

TEST(KnownCodes, DuplicatesStayOnceAndNullOrMissingEntriesAreSkipped)
{
    std::set<std::string> seen;
    const char* codes[] = {"a", "b", "a", "", nullptr, "c"};
    scanlet::insertKnownCodes(seen, codes, 6);
    EXPECT_EQ(seen, (std::set<std::string>{"", "a", "b", "c"}));

    std::set<std::string> none;
    scanlet::insertKnownCodes(none, codes, 0);
    scanlet::insertKnownCodes(none, codes, -3);
    scanlet::insertKnownCodes(none, nullptr, 4);
    EXPECT_TRUE(none.empty());
}

TEST(Decoder, ReadsTheCodeInARegionViewWithCornersInRegionCoordinates)
{
    const std::string text = "Grüße, мир, 世界";
    cv::Mat frame = footage::frameWith({{text, {700, 400}, 8}});
    const cv::Rect area = scanlet::scanRegion(frame.size());
    const cv::Mat region = frame(area);

    const auto decoded = scanlet::makeDecoder(scanlet::configuredDecoder())->decode(region);
    EXPECT_EQ(decoded.text, text);
    ASSERT_EQ(decoded.corners.size(), 4u);
    const auto& c = decoded.corners;
    // Top-left, top-right, bottom-right, bottom-left, relative to the region.
    EXPECT_NEAR(c[0].x, 700 - area.x + 16, 8);
    EXPECT_NEAR(c[0].y, 400 - area.y + 16, 8);
    EXPECT_GT(c[1].x, c[0].x);
    EXPECT_GT(c[2].y, c[1].y);
    EXPECT_LT(c[3].x, c[2].x);
}

cv::Mat withSensorNoise(const cv::Mat& frame, double sigma)
{
    cv::Mat noise(frame.size(), CV_16SC3);
    cv::RNG(7).fill(noise, cv::RNG::NORMAL, 0, sigma);
    cv::Mat wide;
    frame.convertTo(wide, CV_16SC3);
    wide += noise;
    cv::Mat noisy;
    wide.convertTo(noisy, CV_8UC3);
    return noisy;
}

// Heavy sensor noise over the whole region makes the port read it at half
// size, and of a way's two copies side by side only the one the way adds; the
// corners still come in the region's own coordinates. A version 1 code, whose
// finder patterns lie closest together, must still stand out from the
// finder-like spots of the noise.
TEST(Decoder, PortReadsACodeUnderSensorNoiseWithCornersInRegionCoordinates)
{
    const std::string text = "https://example.com/ticket/0c1d";
    const cv::Rect area = scanlet::scanRegion(scanlet::fullHd);
    const footage::Placement aside{text, {700, 400}, 8};
    const footage::Placement central{text, footage::centredIn(scanlet::fullHd, text, 4), 4};
    const footage::Placement small{"A1", {760, 420}, 4};
    cv::Mat inverted;
    cv::bitwise_not(footage::frameWith({aside}), inverted);
    using scanlet::Preparation;
    const std::tuple<cv::Mat, scanlet::Way, footage::Placement> cases[] = {
        {withSensorNoise(footage::frameWith({aside}), 30), {Preparation::plain}, aside},
        {withSensorNoise(inverted, 30), {Preparation::bothPolarities}, aside},
        {withSensorNoise(footage::frameWith({central}), 30), {Preparation::zoomedCentre}, central},
        {withSensorNoise(footage::frameWith({small}), 40), {Preparation::plain}, small},
    };
    for (const auto& [noisy, way, code] : cases) {
        SCOPED_TRACE(scanlet::nameOf(way));
        auto decoder = scanlet::makeDecoder(scanlet::DecoderKind::ZXingPort);
        const auto decoded = dynamic_cast<scanlet::RotatingDecoder&>(*decoder).decodeWith(noisy(area), way);
        EXPECT_EQ(decoded.text, code.text);
        ASSERT_EQ(decoded.corners.size(), 4u);
        const cv::Point topLeft = code.topLeft - area.tl() + cv::Point(2, 2) * code.moduleSize;
        EXPECT_NEAR(decoded.corners[0].x, topLeft.x, code.moduleSize);
        EXPECT_NEAR(decoded.corners[0].y, topLeft.y, code.moduleSize);
    }
}

// A camera out of focus by a disk of one module's radius: every module is
// spread over its neighbours, and the spectrum loses the frequencies of
// alternating modules, so neither thresholds nor sharpening separate them.
cv::Mat defocused(const cv::Mat& frame, int radius)
{
    cv::Mat disk = cv::Mat::zeros(2 * radius + 1, 2 * radius + 1, CV_32F);
    cv::circle(disk, {radius, radius}, radius, cv::Scalar(1), cv::FILLED);
    cv::Mat blurred;
    cv::filter2D(frame, blurred, -1, disk / cv::sum(disk)[0]);
    return blurred;
}

TEST(Decoder, ReadsADefocusedCodeOnlyWhenDeblurredWithCornersInRegionCoordinates)
{
    const std::string text = "https://example.com/badge/0c1d";
    constexpr int moduleSize = 4;
    const cv::Rect area = scanlet::scanRegion(scanlet::fullHd);
    const footage::Placement code{text, {760, 380}, moduleSize};
    const cv::Mat frame = defocused(footage::frameWith({code}), moduleSize);
    const cv::Point topLeft = code.topLeft - area.tl() + cv::Point(2, 2) * moduleSize;
    for (const auto kind : {scanlet::DecoderKind::ZXing, scanlet::DecoderKind::ZXingPort}) {
        if (!scanlet::isBuiltIn(kind)) {
            continue;
        }
        SCOPED_TRACE(kind == scanlet::DecoderKind::ZXing ? "ZXing" : "ZXing port");
        auto decoder = scanlet::makeDecoder(kind);
        auto& rotating = dynamic_cast<scanlet::RotatingDecoder&>(*decoder);
        std::vector<std::string> readBy;
        for (const auto& way : rotating.ways()) {
            const auto decoded = rotating.decodeWith(frame(area), way);
            if (decoded.text != text) {
                continue;
            }
            readBy.push_back(scanlet::nameOf(way));
            ASSERT_EQ(decoded.corners.size(), 4u);
            EXPECT_NEAR(decoded.corners[0].x, topLeft.x, moduleSize);
            EXPECT_NEAR(decoded.corners[0].y, topLeft.y, moduleSize);
        }
        EXPECT_EQ(readBy, std::vector<std::string>{"deblurred"});
    }
}

// What the port's plain way reads of a grey 1080p frame's scan region.
std::string readRegionPlainly(const cv::Mat& frame)
{
    cv::Mat colour;
    cv::cvtColor(frame, colour, cv::COLOR_GRAY2BGR);
    auto decoder = scanlet::makeDecoder(scanlet::DecoderKind::ZXingPort);
    return dynamic_cast<scanlet::RotatingDecoder&>(*decoder)
        .decodeWith(colour(scanlet::scanRegion(scanlet::fullHd)), {scanlet::Preparation::plain})
        .text;
}

// A code printed dark grey on a light grey card or label: 6-pixel modules and
// a quiet zone of quietModules.
struct PrintedCard {
    static constexpr int moduleSize = 6;
    int quietZone = 0;
    cv::Mat modules;
    cv::Mat printed;
};

PrintedCard printedCard(const std::string& text, cv::QRCodeEncoder::CorrectionLevel correction, int quietModules)
{
    PrintedCard card;
    card.quietZone = quietModules * card.moduleSize;
    cv::QRCodeEncoder::Params level;
    level.correction_level = correction;
    cv::QRCodeEncoder::create(level)->encode(text, card.modules);
    card.modules.convertTo(card.printed, CV_8U, 160.0 / 255, 40);
    cv::resize(card.printed, card.printed, {}, card.moduleSize, card.moduleSize, cv::INTER_NEAREST);
    cv::copyMakeBorder(card.printed, card.printed, card.quietZone, card.quietZone, card.quietZone, card.quietZone,
                       cv::BORDER_CONSTANT, 200);
    return card;
}

// How a spot's light ends: at the edge of its saturated disk, as a lamp's
// sharp reflection in a glossy card, or falling off beyond it as a Gaussian,
// as a lamp's reflection in a laminated card or a phone's screen, saturating
// paper further out than ink.
enum class SpotEdge { sharp, fallingOff };

// Adds a spot to the frame that saturates even ink out to radius pixels.
void addSpot(cv::Mat& frame, cv::Point2d centre, double radius, SpotEdge edge)
{
    if (edge == SpotEdge::sharp) {
        cv::circle(frame, cv::Point(centre), cvRound(radius), 255, cv::FILLED);
        return;
    }
    constexpr double peak = 400;
    constexpr double cardInk = 40;
    const double width = radius / std::sqrt(std::log(peak / (255 - cardInk)));
    // Past three widths it adds less than a grey level.
    const cv::Point2d far(3 * width, 3 * width);
    const cv::Rect reach = cv::Rect(cv::Point(centre - far), cv::Point(centre + far)) & cv::Rect({}, frame.size());
    for (int y = reach.y; y < reach.br().y; ++y) {
        for (int x = reach.x; x < reach.br().x; ++x) {
            const double distance = std::hypot(x - centre.x, y - centre.y) / width;
            auto& pixel = frame.at<uchar>(y, x);
            pixel = cv::saturate_cast<uchar>(pixel + peak * std::exp(-distance * distance));
        }
    }
}

// The card in a 1080p frame, a spot whose saturated disk is `diameter`
// modules across over it at `centre` (in modules from the symbol's corner),
// read by the port the plain way.
std::string readCardUnderSpot(const PrintedCard& card, cv::Point2d centre, int diameter,
                              SpotEdge edge = SpotEdge::sharp)
{
    cv::Mat frame(scanlet::fullHd, CV_8UC1, cv::Scalar(128));
    const cv::Point topLeft(900, 480);
    card.printed.copyTo(frame(cv::Rect(topLeft, card.printed.size())));
    const cv::Point2d origin(topLeft.x + card.quietZone, topLeft.y + card.quietZone);
    addSpot(frame, origin + centre * PrintedCard::moduleSize, diameter * PrintedCard::moduleSize / 2.0, edge);
    return readRegionPlainly(frame);
}

// A card under a lamp: the reflection saturates a disk 13 modules across over
// the data of a level Q code, more codewords than the correction of errors
// alone can take, and the binarizer reads every module there light. The port
// reads the grey image's saturated modules as erasures, which cost half as
// much, and so reads the code.
TEST(Decoder, PortReadsACodeWhoseDataASaturatedSpotHides)
{
    const std::string text = "https://example.com/card/0c1d";
    // Clear of the finder patterns, their separators and format information.
    EXPECT_EQ(readCardUnderSpot(printedCard(text, cv::QRCodeEncoder::CORRECT_LEVEL_Q, 4), {14, 14}, 13), text);
}

// A lamp's reflection in a laminated card: beyond the disk where it
// saturates ink, its light falls off and lifts the ink next to the disk to
// grey while the light modules there are saturated. The binarizer's
// threshold, raised with the light, calls that ink light: errors beside the
// erasures, which cost twice as much. The port reads it as ink, and so reads
// the code.
TEST(Decoder, PortReadsTheInkNextToALampsReflection)
{
    const std::string text = "https://example.com/lamp";
    const PrintedCard card = printedCard(text, cv::QRCodeEncoder::CORRECT_LEVEL_L, 4);
    for (const auto& [centre, diameter] :
         {std::pair{cv::Point2d(16.5, 12.5), 5}, {cv::Point2d(16.5, 16.5), 5}, {cv::Point2d(16.5, 14.5), 6}}) {
        EXPECT_EQ(readCardUnderSpot(card, centre, diameter, SpotEdge::fallingOff), text)
            << "a spot " << diameter << " modules across at " << centre;
    }
}

// A label wrapped around a bottle: the cylinder's axis runs along the code's
// columns, the label covers wrapDegrees of its circumference, and the camera
// looks at it square on, so columns crowd towards the sides.
cv::Mat wrappedAroundCylinder(const cv::Mat& label, double wrapDegrees)
{
    const double wrap = wrapDegrees * CV_PI / 180;
    const double radius = label.cols / wrap;
    const int width = static_cast<int>(std::ceil(2 * radius * std::sin(wrap / 2)));
    cv::Mat mapX(label.rows, width, CV_32F);
    cv::Mat mapY(label.rows, width, CV_32F);
    for (int y = 0; y < label.rows; ++y) {
        for (int x = 0; x < width; ++x) {
            const double across = std::clamp((x + 0.5 - width / 2.0) / radius, -1.0, 1.0);
            mapX.at<float>(y, x) = static_cast<float>(label.cols / 2.0 + radius * std::asin(across) - 0.5);
            mapY.at<float>(y, x) = static_cast<float>(y);
        }
    }
    cv::Mat wrapped;
    cv::remap(label, wrapped, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(200));
    return wrapped;
}

// The text the port's plain way reads of a label laid in the scan region with
// its top left corner at inRegion: the other ways must not make up for what
// the grid misses.
std::string readPlainlyInRegionAt(const cv::Mat& label, cv::Point inRegion)
{
    cv::Mat frame(scanlet::fullHd, CV_8UC1, cv::Scalar(128));
    const cv::Rect area = scanlet::scanRegion(scanlet::fullHd);
    label.copyTo(frame(cv::Rect(area.tl() + inRegion, label.size())));
    return readRegionPlainly(frame);
}

// The same, the label laid in the middle of the scan region.
std::string readPlainlyInMiddleOfRegion(const cv::Mat& label)
{
    const cv::Rect area = scanlet::scanRegion(scanlet::fullHd);
    return readPlainlyInRegionAt(label, (cv::Point(area.size()) - cv::Point(label.cols, label.rows)) / 2);
}

// Wrapped over 160 degrees, the label's columns at the sides are a third as
// wide as those in the middle: no one transform through the finder patterns
// meets the modules between them, so the port reads the code only through the
// grid it fits to the code's timing patterns, finder patterns and edges.
TEST(Decoder, PortReadsACodeWrappedAroundABottle)
{
    const std::string text = "https://example.com/bottle/0c1d";
    const cv::Mat bottle =
        wrappedAroundCylinder(printedCard(text, cv::QRCodeEncoder::CORRECT_LEVEL_L, 2).printed, 160);

    EXPECT_EQ(readPlainlyInMiddleOfRegion(bottle), text);
}

// The scan region of a benchmark frame (seed 20240605, curved surface, 150
// degrees of the circumference): a version 1 code wrapped half round a can,
// turned a few degrees about its axis and seen a little from aside and
// below, its bottom rows crowded against the silhouette and bent by the
// turn. With no alignment pattern to hold them, the grid fitted to the
// code's landmarks ran its bottom row straight through the finder pattern
// beside it and sampled it half a module off; the port reads the code once
// the grid is fitted to the finder patterns' rings and the edges close
// around the modules at the symbol's edge. Kept as a PGM, which every
// OpenCV build reads: scanlet.dll's is built without PNG.
TEST(Decoder, PortReadsTheBottomRowOfAVersionOneCodeAroundACan)
{
    const cv::Mat can =
        cv::imread(std::string(SCANLET_TEST_DATA) + "/version-1-code-around-a-can.pgm", cv::IMREAD_GRAYSCALE);
    ASSERT_FALSE(can.empty());

    EXPECT_EQ(readPlainlyInMiddleOfRegion(can), "https://ex.com/");
}

// A version 3 code wrapped around a can over 150 degrees of its
// circumference, seen from below and aside (the can cut out of a benchmark
// frame's scan region, seed 20240605): its rows bow as arcs and their
// modules crowd towards both silhouettes. The trace of row 6 leaves the row
// where it bends and counts another's runs, 21 modules where column 6
// counts 29; and without its trace, a grid that runs the row straight
// between the finder patterns, its modules spaced evenly, lies half a module
// or more off in the middle, where the cylinder's modules are widest. The
// port reads the code once the row is placed on the arc that the finder
// patterns' edges and rings at its ends give it. The can is put back where
// it lay in the region: a code this bent reads at some places in the region
// and not at others.
TEST(Decoder, PortReadsAVersionThreeCodeBowedAroundACan)
{
    const cv::Mat can = cv::imread(std::string(SCANLET_TEST_DATA) + "/version-3-code-around-a-can-seen-from-below.pgm",
                                   cv::IMREAD_GRAYSCALE);
    ASSERT_FALSE(can.empty());

    EXPECT_EQ(readPlainlyInRegionAt(can, {690, 170}), "https://ex.com/rgQ61GkoTjZkVOXpRWeHVHSRZ");
}

// A label printed on cloth: two waves across each other push every point of
// it up to `amplitude` pixels, one across the other's crests, the second's a
// third longer, so no two parts of the code drift alike.
cv::Mat onCloth(const cv::Mat& label, double amplitude, double wavelength, double angle)
{
    const cv::Point2d along(std::cos(angle), std::sin(angle));
    cv::Mat mapX(label.size(), CV_32F);
    cv::Mat mapY(label.size(), CV_32F);
    for (int y = 0; y < label.rows; ++y) {
        for (int x = 0; x < label.cols; ++x) {
            const double first = 2 * CV_PI * (x * along.x + y * along.y) / wavelength;
            const double second = 2 * CV_PI * (y * along.x - x * along.y) / (wavelength * 1.3);
            mapX.at<float>(y, x) = static_cast<float>(x + amplitude * std::sin(second));
            mapY.at<float>(y, x) = static_cast<float>(y + amplitude * std::sin(first));
        }
    }
    cv::Mat moved;
    cv::remap(label, moved, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(200));
    return moved;
}

// Waves of 0.8 of a module over a shirt's printed code move the bands between
// its timing patterns and its top and left edges, which only the finder
// patterns held, and its modules between the landmarks by a third of a module
// or more, alike over a few modules: the grid fitted to its landmarks reads it
// only with all four edges fitted and each module moved to where the edges
// around it show it.
TEST(Decoder, PortReadsACodeOnCloth)
{
    const std::string text = "https://example.com/cloth/9a4e";
    const cv::Mat label = printedCard(text, cv::QRCodeEncoder::CORRECT_LEVEL_L, 4).printed;
    const cv::Mat cloth = onCloth(label, 0.8 * PrintedCard::moduleSize, 0.9 * label.cols, 0.5);

    EXPECT_EQ(readPlainlyInMiddleOfRegion(cloth), text);
}

// The text the port reads of a card tilted `tilt` degrees away from a camera
// 1400 pixels from it, about an axis through its centre `axis` degrees from its
// rows, its centre in the middle of the scan region.
std::string readCardTilted(const cv::Mat& card, double tilt, double axis)
{
    constexpr double focalLength = 1400;
    const double turn = tilt * CV_PI / 180;
    const cv::Vec3d about(std::cos(axis * CV_PI / 180), std::sin(axis * CV_PI / 180), 0);
    const cv::Rect area = scanlet::scanRegion(scanlet::fullHd);
    const cv::Point2f centre = (area.tl() + area.br()) / 2;
    std::vector<cv::Point2f> flat;
    std::vector<cv::Point2f> seen;
    for (const auto& [x, y] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}}) {
        flat.emplace_back(static_cast<float>(x * card.cols), static_cast<float>(y * card.rows));
        // Turned about the axis through the card's centre (Rodrigues' rotation).
        const cv::Vec3d point((x - 0.5) * card.cols, (y - 0.5) * card.rows, 0);
        const cv::Vec3d turned = point * std::cos(turn) + about.cross(point) * std::sin(turn) +
                                 about * about.dot(point) * (1 - std::cos(turn));
        const double scale = focalLength / (focalLength + turned[2]);
        seen.emplace_back(centre + cv::Point2f(static_cast<float>(turned[0] * scale),
                                               static_cast<float>(turned[1] * scale)));
    }
    cv::Mat frame(scanlet::fullHd, CV_8UC1, cv::Scalar(128));
    cv::warpPerspective(card, frame, cv::getPerspectiveTransform(flat, seen), frame.size(), cv::INTER_AREA,
                        cv::BORDER_TRANSPARENT);
    cv::Mat colour;
    cv::cvtColor(frame, colour, cv::COLOR_GRAY2BGR);

    auto decoder = scanlet::makeDecoder(scanlet::DecoderKind::ZXingPort);
    return decoder->decode(colour(area)).text;
}

// A card tilted 70 degrees away from a camera 1400 pixels from it, about an
// axis along its rows: its columns keep their width, its rows come out a
// third as high, and the far edge narrower than the near one.
TEST(Decoder, PortReadsACodeSeenNearlyEdgeOnAlongItsRows)
{
    const std::string text = "https://example.com/edge-on/5e2b";
    const cv::Mat card = printedCard(text, cv::QRCodeEncoder::CORRECT_LEVEL_L, 2).printed;
    EXPECT_EQ(readCardTilted(card, 70, 0), text);
}

// A card tilted 60 degrees away from a camera 1400 pixels from it, about an
// axis 30 degrees from its rows: the symbol comes out sheared, its finder
// patterns parallelograms, and the side from the corner pattern to the top
// right one is the triple's longest, where a square's lies opposite the corner.
TEST(Decoder, PortReadsACodeTiltedAboutAnAxisAcrossItsRowsAndColumns)
{
    const std::string text = "https://example.com/sheared/9c41";
    const cv::Mat card = printedCard(text, cv::QRCodeEncoder::CORRECT_LEVEL_L, 2).printed;
    EXPECT_EQ(readCardTilted(card, 60, 30), text);
}

// A code under a lamp whose reflection saturates a disk 11 modules across over
// one finder pattern, its separator and the format information's copy beside
// it: the finder search finds the other two only. The finder patterns carry
// no data, and the port makes the third up where the grey image is saturated,
// the timing patterns and the other copy of the format information telling
// where it lies. Each of the three in turn: a hidden top left one leaves a
// diagonal pair, the others an adjacent one.
TEST(Decoder, PortReadsACodeWhoseFinderPatternASaturatedSpotHides)
{
    const std::string text = "https://example.com/lamp/7f3a";
    const PrintedCard card = printedCard(text, cv::QRCodeEncoder::CORRECT_LEVEL_M, 4);
    const int far = card.modules.cols - 7;
    const std::vector<std::pair<const char*, cv::Point>> finders{
        {"top left", {0, 0}}, {"top right", {far, 0}}, {"bottom left", {0, far}}};
    for (const auto& [name, corner] : finders) {
        SCOPED_TRACE(name);
        EXPECT_EQ(readCardUnderSpot(card, cv::Point2d(corner) + cv::Point2d(3.5, 3.5), 11), text);
    }
}

// Two finder patterns of a size, at a code's distance, with a saturated spot
// where a third would lie on either side and at the corner between them, but
// no code: every way of the port's rotation reads nothing.
TEST(Decoder, PortReadsNothingFromTwoFinderPatternsBesideASaturatedSpot)
{
    constexpr int moduleSize = 6;
    cv::Mat frame(scanlet::fullHd, CV_8UC1, cv::Scalar(200));
    const auto finderAt = [&](cv::Point topLeft) {
        cv::rectangle(frame, cv::Rect(topLeft, cv::Size(7, 7) * moduleSize), 40, cv::FILLED);
        cv::rectangle(frame, cv::Rect(topLeft + cv::Point(1, 1) * moduleSize, cv::Size(5, 5) * moduleSize), 200,
                      cv::FILLED);
        cv::rectangle(frame, cv::Rect(topLeft + cv::Point(2, 2) * moduleSize, cv::Size(3, 3) * moduleSize), 40,
                      cv::FILLED);
    };
    const cv::Point first(800, 500);
    const cv::Point second = first + cv::Point(22, 0) * moduleSize;
    finderAt(first);
    finderAt(second);
    const cv::Point toCentre = cv::Point(7, 7) * moduleSize / 2;
    for (const cv::Point& spot : {first + cv::Point(0, 22) * moduleSize, second - cv::Point(0, 22) * moduleSize,
                                  first + cv::Point(11, 11) * moduleSize}) {
        cv::circle(frame, spot + toCentre, 11 * moduleSize / 2, 255, cv::FILLED);
    }
    cv::Mat colour;
    cv::cvtColor(frame, colour, cv::COLOR_GRAY2BGR);

    auto decoder = scanlet::makeDecoder(scanlet::DecoderKind::ZXingPort);
    auto& rotating = dynamic_cast<scanlet::RotatingDecoder&>(*decoder);
    for (const auto& way : rotating.ways()) {
        cv::Mat region = colour(scanlet::scanRegion(scanlet::fullHd)).clone();
        EXPECT_EQ(rotating.decodeWith(region, way).text, "") << scanlet::nameOf(way);
    }
}

// Inputs the acceptance fuzz target found faults with, read again in every way
// of both decoders, as the target reads them: the rotation's place decided
// which way met them there.
void expectEveryWayRefuses(const fuzz_image::Image& image)
{
    const cv::Rect area = image.wholeImage ? cv::Rect({}, image.frame.size()) : scanlet::scanRegion(image.frame.size());
    for (const auto kind : {scanlet::DecoderKind::ZXing, scanlet::DecoderKind::ZXingPort}) {
        if (!scanlet::isBuiltIn(kind)) {
            continue;
        }
        auto decoder = scanlet::makeDecoder(kind);
        auto& rotating = dynamic_cast<scanlet::RotatingDecoder&>(*decoder);
        for (const auto& way : rotating.ways()) {
            cv::Mat frame = image.frame.clone();
            EXPECT_EQ(rotating.decodeWith(frame(area), way).text, "") << scanlet::nameOf(way);
        }
    }
}

// Found by the acceptance fuzz target: finder-like runs that measure a side's
// module size of zero, which made the port's estimate of the code's dimension
// an undefined integer. Read in every way of both decoders, the image is
// refused; the sanitizer tree reports any undefined behaviour on the way.
TEST(Decoder, RefusesFinderPatternsThatMeasureAModuleSizeOfZero)
{
    const std::uint8_t input[] = {
        0xff, 0x00, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a,
        0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0xe9, 0x5a, 0x5a, 0x5a,
        0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a,
        0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a,
        0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x52, 0x5a, 0x5a, 0x5a, 0x5a,
        0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a, 0x5a
    };
    const auto image = fuzz_image::decode(input, sizeof input);
    expectEveryWayRefuses(image);
}

// Found by the acceptance fuzz target: a small region whose code's edges
// measure a blur wider than the region itself, whose kernel the deblurred way
// laid into its spectrum out of bounds. Every way refuses it.
TEST(Decoder, RefusesABlurWiderThanItsArea)
{
    std::ifstream file(std::string(SCANLET_TEST_DATA) + "/blur-wider-than-its-area.fuzz", std::ios::binary);
    ASSERT_TRUE(file);
    const std::vector<std::uint8_t> input{std::istreambuf_iterator<char>(file), {}};
    const auto image = fuzz_image::decode(input.data(), input.size());
    expectEveryWayRefuses(image);
}

TEST(Decoder, FindsNothingInAnEmptyRegion)
{
    const cv::Mat blank(540, 960, CV_8UC3, cv::Scalar::all(128));
    EXPECT_TRUE(scanlet::makeDecoder(scanlet::configuredDecoder())->decode(blank).text.empty());
}

// The host gets text in UTF-8: a code's bytes read in its own character set,
// UTF-8 and ASCII byte for byte, and a payload that is no text one character
// per byte (ISO-8859-1), from which the bytes can be recovered.
struct Payload {
    std::string name;
    std::string bytes;
    std::string delivered;
};

class DeliveredText : public ::testing::TestWithParam<Payload> {};

TEST_P(DeliveredText, IsTheCodesTextInUtf8)
{
    const cv::Mat frame = footage::frameWith({{GetParam().bytes, {760, 400}, 6}});
    const cv::Mat region = frame(scanlet::scanRegion(frame.size()));
    const auto decoded = scanlet::makeDecoder(scanlet::configuredDecoder())->decode(region);
    EXPECT_EQ(decoded.text, GetParam().delivered);
}

const std::string binary("\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\xff\xfe\x80", 20);

INSTANTIATE_TEST_SUITE_P(
    Payloads, DeliveredText,
    ::testing::Values(
        // "こんにちは、東京駅" in Shift_JIS bytes, with no character set named in the code.
        Payload{"ShiftJisWithoutDesignator", "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\x81\x41\x93\x8c\x8b\x9e\x89\x77",
                "こんにちは、東京駅"},
        Payload{"ShiftJisHalfWidthKatakana", "\xC3\xDE\xBB\xDE\xB2\xDD\x51\x52", "ﾃﾞｻﾞｲﾝQR"},
        Payload{"Utf8", "Grüße · Привет · 你好 · 🙂 · tab\there", "Grüße · Привет · 你好 · 🙂 · tab\there"},
        Payload{"Ascii", "https://example.com/t?id=42&x=%20", "https://example.com/t?id=42&x=%20"},
        Payload{"Binary", binary, scanlet::latin1ToUtf8(binary)}),
    [](const ::testing::TestParamInfo<Payload>& info) { return info.param.name; });

// The text of a payload, whatever decoder read it and on whatever platform:
// the same table runs in the Linux tests and in the cross-built ones.
struct TextCase {
    std::string name;
    std::vector<scanlet::Segment> payload;
    std::string text;
};

class TextOfPayload : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextOfPayload, IsTheSameUtf8TextOnEveryPlatform)
{
    EXPECT_EQ(scanlet::textOf(GetParam().payload), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, TextOfPayload,
    ::testing::Values(
        TextCase{"ShiftJisHalfWidthKatakana", {{"\xC3\xDE\xBB\xDE\xB2\xDD\x51\x52", ""}}, "ﾃﾞｻﾞｲﾝQR"},
        TextCase{"ShiftJisKanjiMode", {{"\x93\x8C\x8B\x9E\x89\x77", "Shift_JIS"}}, "東京駅"},
        TextCase{"ShiftJisWithAsciiAndLineBreaks",
                 {{"\x97\x5C\x96\xF1\x94\xD4\x8D\x86: A-12\r\n\x89\xEF\x8B\x63\x8E\xBA 3", ""}},
                 "予約番号: A-12\r\n会議室 3"},
        // Code page 932: a backslash and a tilde, not a yen sign and an overline,
        // and NEC's circled digits.
        TextCase{"ShiftJisAsWindowsReadsIt", {{"\x87\x40\x87\x41\x87\x42 C:\\dir~1", ""}}, "①②③ C:\\dir~1"},
        TextCase{"Gb2312HanziMode", {{"\xD6\xD0\xCE\xC4\xB2\xE2\xCA\xD4", "GB2312"}}, "中文测试"},
        TextCase{"Gb18030WithItsEci", {{"\xB6\xFE\xCE\xAC\xC2\xEB\x82\x83", scanlet::characterSetOfEci(32)}},
                 "二维码們"},
        TextCase{"Latin1WithAccents", {{"Gr\xFC\xDF" "e, caf\xE9 na\xEFve", ""}}, "Grüße, café naïve"},
        TextCase{"Latin1ThatIsAlsoValidShiftJis", {{"\xC0 la carte", ""}}, "À la carte"},
        TextCase{"Latin1WithItsEci", {{"\xE9t\xE9", scanlet::characterSetOfEci(3)}}, "été"},
        TextCase{"Utf8", {{"Grüße · 你好 · 🙂", ""}}, "Grüße · 你好 · 🙂"},
        TextCase{"Utf8WithByteOrderMark", {{"\xEF\xBB\xBFGrüße", ""}}, "\xEF\xBB\xBFGrüße"},
        TextCase{"AsciiThenKanjiMode", {{"No. ", ""}, {"\x93\x8C", "Shift_JIS"}}, "No. 東"},
        TextCase{"Binary", {{binary, ""}}, scanlet::latin1ToUtf8(binary)}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return info.param.name; });

const std::string replacement = "\xEF\xBF\xBD";

std::vector<scanlet::Segment> emptySegmentsAround(const std::string& bytes)
{
    std::vector<scanlet::Segment> payload(3000, {"", scanlet::characterSetOfEci(26)});
    payload.insert(payload.begin() + 1500, {bytes, ""});
    return payload;
}

// Payloads that are broken in the character set the code names or the guess
// chooses: each sequence that is no character of it becomes one U+FFFD, in the
// same places on every platform, and the bytes after it read as they are.
INSTANTIATE_TEST_SUITE_P(
    HostilePayloads, TextOfPayload,
    ::testing::Values(
        // A lead without its followers, an overlong form's start, a surrogate's,
        // and a four-byte sequence cut off at the end.
        TextCase{"BrokenUtf8WithItsEci",
                 {{"a\xC3(b\xE0\x80\xAF z\xED\xA0\x80!\xF0\x9F\x99", scanlet::characterSetOfEci(26)}},
                 "a" + replacement + "(b" + replacement + replacement + replacement + " z" + replacement +
                     replacement + replacement + "!" + replacement},
        TextCase{"Utf16OfAnOddLength", {{std::string("\x00\x41\x00", 3), scanlet::characterSetOfEci(25)}},
                 "A" + replacement},
        TextCase{"Utf16WithLoneSurrogates",
                 {{std::string("\xD8\x3D\x00\x41\xDC\x00\xD8\x3D\xDE\x42", 10), scanlet::characterSetOfEci(25)}},
                 replacement + "A" + replacement + "🙂"},
        TextCase{"Utf16StartingWithNul", {{std::string("\x00\x00\x00\x41", 4), scanlet::characterSetOfEci(25)}},
                 std::string("\0A", 2)},
        TextCase{"AsciiWithHighBytes", {{"ok\xFF\x80!", scanlet::characterSetOfEci(27)}},
                 "ok" + replacement + replacement + "!"},
        // Kanji mode values that are no character: unassigned rows, and a
        // value whose second byte cannot end a pair.
        TextCase{"KanjiModeUnassignedAndBrokenValues",
                 {{"\x93\x8C\x85\x40\xEB\x40\x9F\xFF\x8B\x9E", "Shift_JIS"}},
                 "東" + replacement + replacement + replacement + replacement + "京"},
        TextCase{"Latin1EciThenKanjiMode",
                 {{"caf\xE9 ", scanlet::characterSetOfEci(3)}, {"\x93\x8C", "Shift_JIS"}},
                 "café 東"},
        TextCase{"HanziModeBrokenPair", {{"\xD6\xD0\xA1 x", "GB2312"}}, "中" + replacement + " x"},
        TextCase{"Gb18030CutOff", {{"\xB6\xFE\x81\x30\x81", scanlet::characterSetOfEci(32)}},
                 "二" + replacement + "0" + replacement},
        TextCase{"EucKrAsWindowsReadsIt", {{"\xC7\xD1\x81\x41\xFF", scanlet::characterSetOfEci(30)}},
                 "한갂" + replacement},
        TextCase{"Big5BrokenPair", {{"\xA4\xA4\xA4\x20", scanlet::characterSetOfEci(28)}},
                 "中" + replacement + " "},
        TextCase{"CodePageUndefinedByte", {{"\x80\x81x", scanlet::characterSetOfEci(23)}}, "€" + replacement + "x"},
        TextCase{"Iso8859PartThreeHole", {{"a\xA5" "b", scanlet::characterSetOfEci(5)}}, "a" + replacement + "b"},
        // Valid Shift_JIS by its byte ranges, with a pair no table assigns.
        TextCase{"GuessedShiftJisWithAnUnassignedPair", {{"\x82\xA0\x85\x40\x82\xA2", ""}},
                 "あ" + replacement + "い"},
        TextCase{"ThousandsOfEmptySegments", emptySegmentsAround("\x82\xA0\x82\xA2\x82\xA4"), "あいう"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return info.param.name; });

// Whichever way of its rotation a frame meets, the configured decoder reads a
// clean code at once, and a light-on-dark one within one round of its ways; both with modules as small as 3 pixels.
TEST(Decoder, ReadsACleanCodeOnAnyFrameAndALightOnDarkOneWithinOneRound)
{
    const std::string text = "https://example.com/ticket/0c1d";
    const cv::Mat dark = footage::frameWith({{text, footage::centredIn(scanlet::fullHd, text, 3), 3}});
    cv::Mat light;
    cv::bitwise_not(dark, light);
    const cv::Mat blank = footage::frameWith({});
    const auto read = [](scanlet::Decoder& decoder, scanlet::DetectorState& state, const cv::Mat& frame) {
        cv::Mat copy = frame.clone();
        cv::Mat region = copy(scanlet::scanRegion(copy.size()));
        const auto detection = scanlet::detectInRegion(state, decoder, region);
        return detection == scanlet::Detection::Accepted || detection == scanlet::Detection::AlreadySeen;
    };
    const auto ways = [] {
        return dynamic_cast<scanlet::RotatingDecoder&>(*scanlet::makeDecoder(scanlet::configuredDecoder())).ways();
    };
    const int round = static_cast<int>(ways().size());
    for (int framesBefore = 0; framesBefore < 2 * round; ++framesBefore) {
        SCOPED_TRACE("after " + std::to_string(framesBefore) + " frames without a code");
        auto decoder = scanlet::makeDecoder(scanlet::configuredDecoder());
        scanlet::DetectorState state;
        for (int i = 0; i < framesBefore; ++i) {
            read(*decoder, state, blank);
        }
        EXPECT_TRUE(read(*decoder, state, dark));
        int frames = 1;
        while (frames <= round && !read(*decoder, state, light)) {
            ++frames;
        }
        EXPECT_LE(frames, round);
    }
}

}
