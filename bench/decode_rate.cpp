// The decode-rate report: every frame of the seeded corpus goes through the
// library's acceptance step with each decoder; a code counts when the step
// reports it with the right text.
#include "corpus.h"
#include "decoders.h"
#include "detect_in_region.h"
#include "detector_state.h"

#include <opencv2/imgcodecs.hpp>

#include <chrono>
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
};

struct Tally {
    std::string category;
    std::string level;
    int samples = 0;
    std::vector<int> read;
    std::vector<int> misread;
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
        } else if (argument == "--save" && hasValue) {
            options.saveFolder = argv[++i];
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

// Runs the acceptance step on a copy of the frame, as the first sighting in a
// fresh run, and returns what it reported.
std::vector<std::string> accept(scanlet::Decoder& decoder, const cv::Mat& frame)
{
    cv::Mat working = frame.clone();
    cv::Mat region = working(scanlet::scanRegion(working.size()));
    scanlet::DetectorState scanner;
    scanner.codeCallback = onCode;
    reported.clear();
    scanlet::detectInRegion(scanner, decoder, region);
    return reported;
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
    }
    return categories;
}

void report(std::ostream& out, const Options& options, const std::vector<bench::NamedDecoder>& decoders,
            const std::vector<Tally>& levels, double seconds)
{
    std::string header;
    std::string rule;
    for (std::size_t d = 0; d < decoders.size(); ++d) {
        header += " " + decoders[d].name + (d == 0 ? " (default)" : "") + " |";
        rule += "---:|";
    }
    const auto categories = byCategory(levels);
    int total = 0;
    for (const auto& category : categories) {
        total += category.samples;
    }
    out << "Corpus: seed " << options.seed << ", " << options.samplesPerLevel << " frames per level, " << total
        << " frames of 1920x1080, one code each in the scan region; " << std::fixed << std::setprecision(0)
        << seconds << " s to generate and decode.\n\n";
    out << "| Category | Frames |" << header << "\n|---|---:|" << rule << "\n";
    for (const auto& category : categories) {
        out << "| " << category.category << " | " << category.samples << " |" << cells(category) << "\n";
    }
    out << "\n| Category | Level | Frames |" << header << "\n|---|---|---:|" << rule << "\n";
    for (const auto& level : levels) {
        out << "| " << level.category << " | " << level.level << " | " << level.samples << " |" << cells(level)
            << "\n";
    }
    out << "\nBelow " << rate(static_cast<int>(findingBelow * 100), 100) << " with the default decoder ("
        << decoders.front().name << "):\n\n";
    bool any = false;
    for (const auto& category : categories) {
        if (category.read[0] < findingBelow * category.samples) {
            out << "- category " << category.category << ": " << rate(category.read[0], category.samples) << "\n";
            any = true;
        }
    }
    for (const auto& level : levels) {
        if (level.read[0] < findingBelow * level.samples) {
            out << "- " << level.category << " at " << level.level << ": " << rate(level.read[0], level.samples)
                << "\n";
            any = true;
        }
    }
    if (!any) {
        out << "- none\n";
    }
}

int run(const Options& options)
{
    const auto started = std::chrono::steady_clock::now();
    const auto decoders = bench::decoders();
    std::vector<std::unique_ptr<scanlet::Decoder>> instances;
    for (const auto& named : decoders) {
        instances.push_back(named.make());
    }

    const auto samples = bench::corpus(options.seed, options.samplesPerLevel);
    std::vector<Tally> levels;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto& sample = samples[i];
        if (levels.empty() || levels.back().level != sample.level || levels.back().category != sample.category) {
            levels.push_back({sample.category, sample.level, 0, std::vector<int>(decoders.size()),
                              std::vector<int>(decoders.size())});
            std::cerr << sample.category << ": " << sample.level << std::endl;
        }
        const cv::Mat frame = bench::render(sample);
        if (!options.saveFolder.empty()) {
            save(options.saveFolder, sample, static_cast<int>(i), frame);
        }
        auto& tally = levels.back();
        ++tally.samples;
        for (std::size_t d = 0; d < instances.size(); ++d) {
            const auto codes = accept(*instances[d], frame);
            const bool right = codes.size() == 1 && codes.front() == sample.text;
            tally.read[d] += right;
            tally.misread[d] += !codes.empty() && !right;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::ofstream out(options.output);
    report(out, options, decoders, levels, seconds);
    return out ? 0 : 1;
}

}

int main(int argc, char** argv)
{
    try {
        return run(parse(argc, argv));
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\nusage: " << argv[0]
                  << " report.md [--seed N] [--per-level N] [--save folder]" << std::endl;
        return 2;
    }
}
