// The decode-rate report: every frame of the seeded corpus goes through the
// library's acceptance step with each decoder; a code counts when the step
// reports it with the right text. The default decoder is measured way by way
// on single frames, and as the library runs it: in rotation over a short
// clip of the same scene, where it also gives how many frames late a code is
// first reported. Real photographs, when their folder is present, go through
// the same, over clips of a hand-held camera.
#include "baseline_decoder.h"
#include "corpus.h"
#include "decoders.h"
#include "photo_set.h"
#include "pinned_decoder.h"
#include "decoding/rotating_decoder.h"
#include "run/detect_in_region.h"
#include "run/detector_state.h"

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <chrono>
#include <functional>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double findingBelow = 0.90;

struct Options {
    std::string output;
    std::uint64_t seed = 20240605;
    int samplesPerLevel = 40;
    std::string saveFolder;
    std::string photoFolder = SCANLET_DEFAULT_PHOTOS;
    // How many photos of each folder to read; all when negative.
    int photosPerFolder = -1;
    // The corpus's categories to read, all when empty; the photos are read
    // only with all of them.
    std::vector<std::string> categories;
};

// The default decoder's ways of reading, in its order.
std::vector<scanlet::Way> defaultWays()
{
    return dynamic_cast<scanlet::RotatingDecoder&>(*bench::decoders().front().make()).ways();
}

// Frames in a corpus clip: one round of the rotation, every way once.
const int corpusClip = static_cast<int>(defaultWays().size());
// Frames in a photo clip: a quarter of a second of a camera at 30 frames/s.
constexpr int photoClip = 8;

struct Tally {
    std::string category;
    std::string level;
    int samples = 0;
    std::vector<int> read;
    std::vector<int> misread;
    // Of the clip column: frames late summed over the codes read, and the most.
    int framesLate = 0;
    int mostLate = 0;
};

// One column of the report: reads a scene and says how many frames after its
// first it was reported with the right text; -1 when it was not, -2 when a
// wrong text was reported. The library's run meets the scene at the given
// way of its rotation, as a camera's code arrives at any point of it.
using FrameAt = std::function<cv::Mat(int)>;
struct Column {
    std::string name;
    std::function<int(int frames, const FrameAt& frameAt, const std::string& text, std::size_t wayIndex)> read;
};

std::vector<std::string> reported;

void onCode(const char* code)
{
    reported.emplace_back(code);
}

Options parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--seed" && hasValue) {
            options.seed = std::stoull(argv[++i]);
        } else if (argument == "--per-level" && hasValue) {
            options.samplesPerLevel = std::stoi(argv[++i]);
        } else if (argument == "--photos" && hasValue) {
            options.photoFolder = argv[++i];
        } else if (argument == "--photos-per-folder" && hasValue) {
            options.photosPerFolder = std::stoi(argv[++i]);
        } else if (argument == "--save" && hasValue) {
            options.saveFolder = argv[++i];
        } else if (argument == "--category" && hasValue) {
            options.categories.emplace_back(argv[++i]);
        } else if (options.output.empty() && argument.rfind("--", 0) != 0) {
            options.output = argument;
        } else {
            throw std::invalid_argument("unexpected argument " + argument);
        }
    }
    if (options.output.empty()) {
        throw std::invalid_argument("no output file given");
    }
    return options;
}

// A category the corpus lacks is a slip of the keyboard, not an empty table.
void requireCategories(const std::vector<bench::Sample>& samples, const Options& options)
{
    for (const auto& name : options.categories) {
        if (std::none_of(samples.begin(), samples.end(),
                         [&](const bench::Sample& sample) { return sample.category == name; })) {
            throw std::invalid_argument("no category " + name + " in the corpus");
        }
    }
}

bool wanted(const bench::Sample& sample, const Options& options)
{
    return options.categories.empty() ||
           std::find(options.categories.begin(), options.categories.end(), sample.category) !=
               options.categories.end();
}

// Frames through the acceptance step in order, as one run sees them.
int firstReport(scanlet::Decoder& decoder, int frames, const FrameAt& frameAt, const std::string& text)
{
    scanlet::DetectorState scanner;
    scanner.beginRun(onCode, 0, nullptr, 0);
    for (int index = 0; index < frames; ++index) {
        reported.clear();
        cv::Mat frame = frameAt(index);
        cv::Mat region = frame(scanlet::scanRegion(frame.size()));
        scanlet::detectInRegion(scanner, decoder, region);
        if (!reported.empty()) {
            return reported.size() == 1 && reported.front() == text ? index : -2;
        }
    }
    return -1;
}

// The columns: the decoder as it was where the platform has it, each way of
// the default decoder on the first frame, the default decoder over a clip,
// and the other decoders.
std::vector<Column> columns(std::vector<std::unique_ptr<scanlet::Decoder>>& owned)
{
    std::vector<Column> all;
    const auto single = [](scanlet::Decoder& decoder) {
        return [&decoder](int, const FrameAt& frameAt, const std::string& text, std::size_t) {
            return firstReport(decoder, 1, frameAt, text);
        };
    };
    if (bench::baselineDecoderAvailable()) {
        owned.push_back(bench::makeBaselineDecoder());
        all.push_back({"before (ZXing, one way)", single(*owned.back())});
    }
    const auto decoders = bench::decoders();
    for (const auto& way : defaultWays()) {
        owned.push_back(std::make_unique<bench::PinnedDecoder>(decoders.front().make(), way));
        all.push_back({decoders.front().name + " " + scanlet::nameOf(way), single(*owned.back())});
    }
    owned.push_back(decoders.front().make());
    auto* rotating = dynamic_cast<scanlet::RotatingDecoder*>(owned.back().get());
    all.push_back({decoders.front().name + " in rotation",
                   [rotating](int frames, const FrameAt& frameAt, const std::string& text, std::size_t wayIndex) {
                       rotating->startAt(wayIndex);
                       return firstReport(*rotating, frames, frameAt, text);
                   }});
    for (std::size_t d = 1; d < decoders.size(); ++d) {
        owned.push_back(decoders[d].make());
        all.push_back({decoders[d].name, single(*owned.back())});
    }
    return all;
}

// The column of the library's own run.
std::size_t clipColumn(const std::vector<Column>&)
{
    return (bench::baselineDecoderAvailable() ? 1 : 0) + defaultWays().size();
}

void count(Tally& tally, std::size_t column, int late, std::size_t clip)
{
    tally.read[column] += late >= 0;
    tally.misread[column] += late == -2;
    if (column == clip && late >= 0) {
        tally.framesLate += late;
        tally.mostLate = std::max(tally.mostLate, late);
    }
}

void save(const std::string& folder, const bench::Sample& sample, int index, const cv::Mat& frame)
{
    std::filesystem::create_directories(folder);
    std::ostringstream name;
    name << std::setw(5) << std::setfill('0') << index << ".png";
    cv::imwrite((std::filesystem::path(folder) / name.str()).string(), frame);
    std::ofstream(std::filesystem::path(folder) / "index.tsv", std::ios::app)
        << name.str() << '\t' << sample.category << '\t' << sample.level << '\t' << sample.text << '\n';
}

std::string rate(int read, int samples)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << 100.0 * read / samples << "%";
    return text.str();
}

std::string cells(const Tally& tally)
{
    std::string row;
    for (std::size_t d = 0; d < tally.read.size(); ++d) {
        row += " " + rate(tally.read[d], tally.samples);
        if (tally.misread[d] > 0) {
            row += " (" + std::to_string(tally.misread[d]) + " wrong text)";
        }
        row += " |";
    }
    return row;
}

std::vector<Tally> byCategory(const std::vector<Tally>& levels)
{
    std::vector<Tally> categories;
    for (const auto& level : levels) {
        if (categories.empty() || categories.back().category != level.category) {
            categories.push_back({level.category, "", 0, std::vector<int>(level.read.size()),
                                  std::vector<int>(level.read.size())});
        }
        auto& total = categories.back();
        total.samples += level.samples;
        for (std::size_t d = 0; d < level.read.size(); ++d) {
            total.read[d] += level.read[d];
            total.misread[d] += level.misread[d];
        }
        total.framesLate += level.framesLate;
        total.mostLate = std::max(total.mostLate, level.mostLate);
    }
    return categories;
}

std::string delay(const Tally& tally, std::size_t clip)
{
    if (tally.read[clip] == 0) {
        return "- | -";
    }
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << static_cast<double>(tally.framesLate) / tally.read[clip] << " | "
         << tally.mostLate;
    return text.str();
}

void table(std::ostream& out, const std::vector<Column>& all, const std::vector<Tally>& rows, bool withLevel,
           const std::string& firstHeader)
{
    const std::size_t clip = clipColumn(all);
    out << "| " << firstHeader << (withLevel ? " | Level" : "") << " | Frames |";
    std::string rule = withLevel ? "|---|---|---:|" : "|---|---:|";
    for (const auto& column : all) {
        out << " " << column.name << " |";
        rule += "---:|";
    }
    out << " mean frames late | most |\n" << rule << "---:|---:|\n";
    for (const auto& row : rows) {
        out << "| " << row.category << (withLevel ? " | " + row.level : "") << " | " << row.samples << " |"
            << cells(row) << " " << delay(row, clip) << " |\n";
    }
}

// Levels where some single way reads at least 95% but the library's run does not.
void shortfalls(std::ostream& out, const std::vector<Column>& all, const std::vector<Tally>& levels)
{
    const std::size_t clip = clipColumn(all);
    bool any = false;
    for (const auto& level : levels) {
        int best = 0;
        for (std::size_t d = 0; d < clip; ++d) {
            best = std::max(best, level.read[d]);
        }
        if (best >= 0.95 * level.samples && level.read[clip] < 0.95 * level.samples) {
            out << "- " << level.category << " at " << level.level << ": " << rate(level.read[clip], level.samples)
                << " in rotation, " << rate(best, level.samples) << " by the best single way\n";
            any = true;
        }
    }
    if (!any) {
        out << "- none\n";
    }
}

void report(std::ostream& out, const Options& options, const std::vector<Column>& all,
            const std::vector<Tally>& levels, const std::vector<Tally>& photos, const std::vector<std::string>& missed,
            double seconds)
{
    const std::size_t clip = clipColumn(all);
    const auto categories = byCategory(levels);
    int total = 0;
    for (const auto& category : categories) {
        total += category.samples;
    }
    out << "Corpus: seed " << options.seed << ", " << options.samplesPerLevel << " frames per level, " << total
        << " frames of 1920x1080, one code each in the scan region; " << std::fixed << std::setprecision(0)
        << seconds << " s to generate and decode. Single-frame columns read the first frame of a fresh run; the"
        << " column in rotation is the library's own run over a clip of " << corpusClip
        << " frames of the scene, starting at each way of the rotation in turn from one scene to the next, and"
        << " frames late counts from the clip's first frame.\n\n";
    if (!options.categories.empty()) {
        out << "Categories read:";
        for (std::size_t i = 0; i < options.categories.size(); ++i) {
            out << (i == 0 ? " " : ", ") << options.categories[i];
        }
        out << "; each frame as in the whole corpus.\n\n";
    }
    table(out, all, categories, false, "Category");
    out << "\n";
    table(out, all, levels, true, "Category");
    out << "\nBelow " << rate(static_cast<int>(findingBelow * 100), 100) << " in rotation:\n\n";
    bool any = false;
    for (const auto& level : levels) {
        if (level.read[clip] < findingBelow * level.samples) {
            out << "- " << level.category << " at " << level.level << ": " << rate(level.read[clip], level.samples)
                << "\n";
            any = true;
        }
    }
    if (!any) {
        out << "- none\n";
    }
    out << "\nRead by some single way on at least 95% of the frames but not in rotation:\n\n";
    shortfalls(out, all, levels);
    if (!options.categories.empty()) {
        out << "\nReal photographs: skipped, as only some categories were read.\n";
        return;
    }
    if (photos.empty()) {
        out << "\nReal photographs: "
            << (options.photoFolder.empty() ? "no folder given" : "no folder at " + options.photoFolder)
            << ", skipped.\n";
        return;
    }
    out << "\n### Real photographs\n\nEach photo in the middle of a 1920x1080 frame; the column in rotation is a"
        << " clip of " << photoClip << " frames, each moved by up to 4 px with a little noise.\n\n";
    table(out, all, photos, false, "Folder");
    out << "\nNot read in rotation: " << (missed.empty() ? "none" : "") ;
    for (std::size_t i = 0; i < missed.size(); ++i) {
        out << (i == 0 ? "" : ", ") << missed[i];
    }
    out << "\n";
}

Tally tallyFor(const std::string& category, const std::string& level, std::size_t columns)
{
    return {category, level, 0, std::vector<int>(columns), std::vector<int>(columns)};
}

std::vector<Tally> readPhotos(const std::vector<Column>& all, const Options& options,
                              std::vector<std::string>& missed)
{
    std::vector<Tally> groups;
    const std::string& folder = options.photoFolder;
    if (folder.empty() || !std::filesystem::is_directory(folder)) {
        return groups;
    }
    const std::size_t clip = clipColumn(all);
    std::size_t index = 0;
    for (const auto& photo : bench::loadPhotos(folder)) {
        const std::string group = std::filesystem::path(photo.name).parent_path().string();
        if (groups.empty() || groups.back().category != group) {
            groups.push_back(tallyFor(group, "", all.size()));
        }
        auto& tally = groups.back();
        if (options.photosPerFolder >= 0 && tally.samples >= options.photosPerFolder) {
            continue;
        }
        ++tally.samples;
        const auto frameAt = [&photo](int frame) { return bench::photoFrame(photo, frame); };
        const std::size_t wayIndex = index++;
        for (std::size_t c = 0; c < all.size(); ++c) {
            const int late = all[c].read(photoClip, frameAt, photo.text, wayIndex);
            count(tally, c, late, clip);
            if (c == clip && late < 0) {
                missed.push_back(photo.name);
            }
        }
    }
    Tally overall = tallyFor("all", "", all.size());
    for (const auto& g : groups) {
        overall.samples += g.samples;
        for (std::size_t c = 0; c < all.size(); ++c) {
            overall.read[c] += g.read[c];
            overall.misread[c] += g.misread[c];
        }
        overall.framesLate += g.framesLate;
        overall.mostLate = std::max(overall.mostLate, g.mostLate);
    }
    groups.push_back(overall);
    return groups;
}

int run(const Options& options)
{
    const auto started = std::chrono::steady_clock::now();
    std::vector<std::unique_ptr<scanlet::Decoder>> owned;
    const auto all = columns(owned);
    const std::size_t clip = clipColumn(all);

    // Drawn whole however little of it is read, so that each sample is the
    // same frame, and meets the rotation at the same way, as in a full run.
    const auto samples = bench::corpus(options.seed, options.samplesPerLevel);
    requireCategories(samples, options);
    std::vector<Tally> levels;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto& sample = samples[i];
        if (!wanted(sample, options)) {
            continue;
        }
        if (levels.empty() || levels.back().level != sample.level || levels.back().category != sample.category) {
            levels.push_back(tallyFor(sample.category, sample.level, all.size()));
            std::cerr << sample.category << ": " << sample.level << std::endl;
        }
        const cv::Mat frame = bench::render(sample);
        if (!options.saveFolder.empty()) {
            save(options.saveFolder, sample, static_cast<int>(i), frame);
        }
        auto& tally = levels.back();
        ++tally.samples;
        const auto frameAt = [&frame](int) { return frame.clone(); };
        for (std::size_t c = 0; c < all.size(); ++c) {
            count(tally, c, all[c].read(corpusClip, frameAt, sample.text, i), clip);
        }
    }
    std::vector<std::string> missed;
    const auto photos = options.categories.empty() ? readPhotos(all, options, missed) : std::vector<Tally>{};
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::ofstream out(options.output);
    report(out, options, all, levels, photos, missed, seconds);
    return out ? 0 : 1;
}

}

int main(int argc, char** argv)
{
    try {
        return run(parse(argc, argv));
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\nusage: " << argv[0]
                  << " report.md [--seed N] [--per-level N] [--save folder] [--photos folder]"
                  << " [--photos-per-folder N] [--category name]..." << std::endl;
        return 2;
    }
}
