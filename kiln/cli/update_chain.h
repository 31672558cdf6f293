#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The update-information file as `publish` keeps it: one entry per version from the oldest to
// the newest, each patch leading from the entry before it.
namespace KilnCli {

// Versions in the order they are released: runs of digits compare as numbers ("1.9" before
// "1.10", "1.0" the same as "1.00"), anything else byte by byte. Below zero: `a` comes first.
int CompareVersions(std::string_view a, std::string_view b);

// `information` (the file's text, or nothing for a new file) with `entryLine` (an entry for
// `version`, without a line end) in place of the entry for `version`, or else added after the
// last entry. Either way the entry before it must be `previous`'s, and a new file starts with
// an entry for `previous`. Nothing, with `error`, when that cannot be so or a version is listed
// twice (`error` names the file `fileName`). What follows the first empty line (the stamp) is
// kept as it is.
std::optional<std::string> PlaceEntry(std::optional<std::string_view> information, const std::string& fileName,
                                      const std::string& previous, const std::string& version,
                                      const std::string& entryLine, std::string& error);

// The patch file present beside the information for a version: its name and MD5.
struct PresentPatch {
    std::string name;
    std::string md5;
};

// What the launcher would stumble on, as "FILE:LINE: ..." (FILE is `fileName`): a version that
// cannot name a file, one listed twice, versions out of order, a digest that is not 32
// hexadecimal digits or differs from the patch file `present` gives for that version. The first
// entry's digest is never used and not looked at.
std::optional<std::string> ChainProblem(std::string_view information, const std::string& fileName,
                                        const std::function<std::optional<PresentPatch>(const std::string&)>& present);

}  // namespace KilnCli
