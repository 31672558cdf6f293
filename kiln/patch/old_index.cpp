#include "kiln/patch/old_index.h"

#include <algorithm>
#include <array>

namespace Kiln::Patch {
namespace {

constexpr int kAnchorBits = 12;
constexpr uint64_t kHashedBytes = 64;  // the rolling hash forgets a byte after 64 more
constexpr uint64_t kMinAnchorGap = 256;
// Bounds the index (about 40 bytes an anchor) whatever the old file holds.
constexpr size_t kMostAnchors = size_t{8} << 20;
// Old ranges this close are read as one; each range gets this much more on both sides, for
// matches that begin before the first anchor found in them or end after the last.
constexpr uint64_t kJoinGap = uint64_t{16} << 10;
constexpr uint64_t kSlack = uint64_t{4} << 10;

// A fixed random byte table for the rolling ("gear") hash: splitmix64 from a fixed seed.
constexpr std::array<uint64_t, 256> MakeGear()
{
    std::array<uint64_t, 256> gear{};
    uint64_t state = 0x6b696c6e70617463;
    for (uint64_t& value : gear) {
        state += 0x9e3779b97f4a7c15;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
        z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
        value = z ^ (z >> 31);
    }
    return gear;
}
constexpr std::array<uint64_t, 256> kGear = MakeGear();

// Anchors of bytes fed in order: found(end, hash) for each, `end` counted from `base`.
class AnchorScanner {
public:
    template <typename Found>
    void Feed(const uint8_t* data, size_t size, uint64_t base, Found&& found)
    {
        for (size_t i = 0; i < size; ++i) {
            hash_ = (hash_ << 1) + kGear[data[i]];
            if (++since_ >= kMinAnchorGap && (hash_ >> (64 - kAnchorBits)) == 0) {
                found(base + i + 1, hash_);
                since_ = 0;
            }
        }
    }

private:
    uint64_t hash_ = 0;
    uint64_t since_ = 0;
};

struct Candidate {
    uint64_t start;
    uint64_t end;
    uint64_t weight;  // anchors found in it
};

// Joins candidates (sorted by start) that overlap or lie within `gap` of each other.
std::vector<Candidate> Joined(const std::vector<Candidate>& sorted, uint64_t gap)
{
    std::vector<Candidate> joined;
    for (const Candidate& c : sorted) {
        if (!joined.empty() && c.start <= joined.back().end + gap) {
            joined.back().end = std::max(joined.back().end, c.end);
            joined.back().weight += c.weight;
        } else {
            joined.push_back(c);
        }
    }
    return joined;
}

}  // namespace

std::optional<OldIndex> OldIndex::Build(ByteSource& old)
{
    OldIndex index;
    index.oldSize_ = old.Size();
    index.anchors_.reserve(static_cast<size_t>(std::min<uint64_t>(kMostAnchors, index.oldSize_ >> 11)));
    AnchorScanner scanner;
    std::vector<uint8_t> buffer(size_t{1} << 20);
    for (uint64_t at = 0; at < index.oldSize_;) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(buffer.size(), index.oldSize_ - at));
        if (!old.ReadAt(at, buffer.data(), piece))
            return std::nullopt;
        scanner.Feed(buffer.data(), piece, at, [&index](uint64_t end, uint64_t hash) {
            if (index.anchors_.size() < kMostAnchors)
                index.anchors_.emplace(hash, end);  // the first of equal anchors stays
        });
        at += piece;
    }
    return index;
}

std::vector<OldRange> OldIndex::RangesFor(const uint8_t* window, size_t size, uint64_t budget, size_t most) const
{
    struct Anchor {
        uint64_t end;
        const uint64_t* oldEnd;  // null when the old file has no such anchor
    };
    std::vector<Anchor> anchors;
    AnchorScanner scanner;
    scanner.Feed(window, size, 0, [&](uint64_t end, uint64_t hash) {
        const auto found = anchors_.find(hash);
        anchors.push_back({end, found == anchors_.end() ? nullptr : &found->second});
    });
    // Found anchors in a row at the same distance from their old ones make a run; a run stands
    // for the window's bytes from the run before it to the run after it (the bytes between two
    // runs may belong to either, so both take them), at that same distance in the old file.
    struct Run {
        uint64_t first;  // where its first and last anchors end in the window
        uint64_t last;
        uint64_t shift;  // old offset minus new offset, modulo 2^64
        uint64_t anchors;
    };
    std::vector<Run> runs;
    for (const Anchor& anchor : anchors) {
        if (!anchor.oldEnd)
            continue;
        const uint64_t shift = *anchor.oldEnd - anchor.end;
        if (!runs.empty() && runs.back().shift == shift) {
            runs.back().last = anchor.end;
            ++runs.back().anchors;
        } else {
            runs.push_back({anchor.end, anchor.end, shift, 1});
        }
    }
    std::vector<Candidate> candidates;
    for (size_t k = 0; k < runs.size(); ++k) {
        const uint64_t from = k > 0 ? runs[k - 1].last : 0;
        const uint64_t to = k + 1 < runs.size() ? runs[k + 1].first - kHashedBytes : size;
        // In the old file: from + shift to to + shift, clamped to the file.
        const uint64_t oldFirst = runs[k].first + runs[k].shift;
        const uint64_t start = oldFirst >= runs[k].first - from ? oldFirst - (runs[k].first - from) : 0;
        const uint64_t end = std::min(oldSize_, oldFirst + (to - runs[k].first));
        if (start < end)
            candidates.push_back({start, end, runs[k].anchors});
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& a, const Candidate& b) { return a.start < b.start; });
    std::vector<Candidate> ranges = Joined(candidates, kJoinGap);
    for (Candidate& r : ranges) {
        r.start = r.start > kSlack ? r.start - kSlack : 0;
        r.end = std::min(oldSize_, r.end + kSlack);
    }
    ranges = Joined(ranges, 0);

    uint64_t total = 0;
    for (const Candidate& r : ranges)
        total += r.end - r.start;
    if (total > budget || ranges.size() > most) {
        // The densest first, while they fit.
        std::sort(ranges.begin(), ranges.end(), [](const Candidate& a, const Candidate& b) {
            return static_cast<double>(a.weight) / static_cast<double>(a.end - a.start) >
                   static_cast<double>(b.weight) / static_cast<double>(b.end - b.start);
        });
        std::vector<Candidate> kept;
        uint64_t used = 0;
        for (const Candidate& r : ranges) {
            if (kept.size() < most && r.end - r.start <= budget - used) {
                kept.push_back(r);
                used += r.end - r.start;
            }
        }
        std::sort(kept.begin(), kept.end(), [](const Candidate& a, const Candidate& b) { return a.start < b.start; });
        ranges = std::move(kept);
    }
    std::vector<OldRange> result;
    for (const Candidate& r : ranges)
        result.push_back({r.start, r.end - r.start});
    return result;
}

}  // namespace Kiln::Patch
