#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What ties signed update information to time: a serial that only ever grows and an optional
// expiry. Both sit after the first empty line of the file, where the entry reader never looks,
// so servers and launchers that know nothing of them read the same entries:
//
//     1.00,,0,base
//     1.01,0123...,0,patch_1.01.exe
//
//     Serial=1765374787
//     Expires=2027-01-09T13:53:07Z
namespace Launcher::Patch {

struct InformationStamp {
    uint64_t serial = 0;             // 0: the information carries none
    std::optional<int64_t> expires;  // UTC seconds since 1970
};

// The stamp after the first empty line. Null when a stamp line is there but unreadable (a
// serial that is not a decimal number below 2^63, an expiry not in the form written, either
// given twice); lines of other keys are left alone.
std::optional<InformationStamp> ReadStamp(std::string_view information);

// The entries (everything before the first empty line) followed by an empty line and the stamp,
// in the line ends the entries use. Whatever stood after the first empty line is replaced.
std::string WriteStamp(std::string_view information, const InformationStamp& stamp);

// A signed file's verdict against the highest serial accepted before and the clock.
enum class Freshness {
    Current,
    RolledBack,  // a lower serial than one already accepted
    Expired,
    Unreadable,
};
Freshness JudgeStamp(const std::optional<InformationStamp>& stamp, uint64_t highestAccepted, int64_t now);

// "2027-01-09T13:53:07Z" and back; null for any other form or a date out of range.
std::string FormatUtc(int64_t seconds);
std::optional<int64_t> ParseUtc(std::string_view text);

}  // namespace Launcher::Patch
