#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>

// The download dialog's line under its progress bar: how much has arrived of how much, how
// fast, and how long the rest will take.
namespace Launcher::Patch {

constexpr uint64_t kUnknownTotal = UINT64_MAX;

// "12.3 MB / 250.0 MB　1.2 MB/s　残り 3分"; without a total, "12.3 MB　1.2 MB/s"; the speed
// and the time left only once a speed is known (bytes per second).
std::string ProgressLine(uint64_t received, uint64_t total, std::optional<double> bytesPerSecond);

// "512 KB", "12.3 MB", "1.50 GB" (binary units, as Windows shows sizes).
std::string SizeText(uint64_t bytes);

// The speed over the last few seconds of samples (milliseconds, bytes received so far).
class TransferRate {
public:
    void Add(uint64_t nowMs, uint64_t received);
    // Null until the samples span a second.
    std::optional<double> BytesPerSecond() const;

private:
    std::deque<std::pair<uint64_t, uint64_t>> samples_;
};

}  // namespace Launcher::Patch
