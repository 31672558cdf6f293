#include "launcher/patch/download_progress.h"

#include <cmath>
#include <cstdio>

namespace Launcher::Patch {
namespace {

constexpr uint64_t kWindowMs = 5000;
constexpr char kGap[] = "　";  // a full-width space between the parts

std::string TimeLeftText(double seconds)
{
    const uint64_t whole = static_cast<uint64_t>(std::ceil(seconds));
    if (whole < 60)
        return "残り " + std::to_string(whole) + "秒";
    const uint64_t minutes = (whole + 30) / 60;
    if (minutes < 60)
        return "残り " + std::to_string(minutes) + "分";
    return "残り " + std::to_string(minutes / 60) + "時間" + std::to_string(minutes % 60) + "分";
}

}  // namespace

std::string SizeText(uint64_t bytes)
{
    char text[32];
    const double value = static_cast<double>(bytes);
    if (bytes < (uint64_t{1} << 20))
        std::snprintf(text, sizeof text, "%llu KB", static_cast<unsigned long long>((bytes + 1023) / 1024));
    else if (bytes < (uint64_t{1} << 30))
        std::snprintf(text, sizeof text, "%.1f MB", value / (1 << 20));
    else
        std::snprintf(text, sizeof text, "%.2f GB", value / (1 << 30));
    return text;
}

std::string ProgressLine(uint64_t received, uint64_t total, std::optional<double> bytesPerSecond)
{
    std::string line = SizeText(received);
    if (total != kUnknownTotal)
        line += " / " + SizeText(total);
    if (!bytesPerSecond)
        return line;
    line += kGap + SizeText(static_cast<uint64_t>(*bytesPerSecond)) + "/s";
    if (total != kUnknownTotal && total > received && *bytesPerSecond > 0)
        line += kGap + TimeLeftText(static_cast<double>(total - received) / *bytesPerSecond);
    return line;
}

void TransferRate::Add(uint64_t nowMs, uint64_t received)
{
    // A download that started over reads as a new one.
    if (!samples_.empty() && received < samples_.back().second)
        samples_.clear();
    samples_.emplace_back(nowMs, received);
    while (samples_.size() > 2 && nowMs - samples_[1].first >= kWindowMs)
        samples_.pop_front();
}

std::optional<double> TransferRate::BytesPerSecond() const
{
    if (samples_.size() < 2)
        return std::nullopt;
    const auto& [firstMs, firstBytes] = samples_.front();
    const auto& [lastMs, lastBytes] = samples_.back();
    if (lastMs - firstMs < 1000)
        return std::nullopt;
    return static_cast<double>(lastBytes - firstBytes) * 1000.0 / static_cast<double>(lastMs - firstMs);
}

}  // namespace Launcher::Patch
