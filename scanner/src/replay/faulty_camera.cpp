#include "replay/faulty_camera.h"

#include "replay/replay_camera.h"
#include "scanner.h"

#include <charconv>
#include <string_view>
#include <system_error>
#include <utility>

namespace scanlet {

bool FaultyCamera::open()
{
    if (unplugged && opensWhileUnplugged++ == 0) {
        return false;
    }
    if (unplugged) {
        unplugged = false;
        replugged = true;
    }
    return frames->open();
}

bool FaultyCamera::read(cv::Mat& frame)
{
    if (framesRead < plan.goodFrames || replugged) {
        ++framesRead;
        return frames->read(frame);
    }
    switch (plan.fault) {
    case Fault::failingReads: return false;
    case Fault::emptyFrames: frame = cv::Mat(); return true;
    case Fault::unplugged: unplugged = true; return false;
    }
    return false;
}

void setFaultyReplaySource(const std::string& source, FaultyCamera::Plan plan)
{
    processScanner().setFrameSource(
        [source, plan] { return std::make_unique<FaultyCamera>(std::make_unique<ReplayCamera>(source, nullptr), plan); });
}

std::optional<FaultyCamera::Plan> parseFaultPlan(const std::string& text)
{
    const std::pair<std::string_view, FaultyCamera::Fault> names[] = {
        {"failing-reads:", FaultyCamera::Fault::failingReads},
        {"empty-frames:", FaultyCamera::Fault::emptyFrames},
        {"unplugged:", FaultyCamera::Fault::unplugged}};
    const std::string_view whole = text;
    for (const auto& [name, fault] : names) {
        if (whole.substr(0, name.size()) != name) {
            continue;
        }
        const std::string_view count = whole.substr(name.size());
        int goodFrames = -1;
        const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), goodFrames);
        if (error != std::errc() || end != count.data() + count.size() || goodFrames < 0) {
            return std::nullopt;
        }
        return FaultyCamera::Plan{fault, goodFrames};
    }
    return std::nullopt;
}

}
