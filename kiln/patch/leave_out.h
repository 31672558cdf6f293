#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What never goes into a patch, whichever folder it lies in: the player's Game.ini, the patch
// program's working files, signing key files, and what the new folder's .kilnignore lists.
namespace Kiln::Patch {

constexpr char kIgnoreFileName[] = ".kilnignore";

// A name of a game folder (UTF-8, '/' between parts) and why it stays out.
struct LeftOut {
    std::string name;
    std::string why;
};

class LeaveOut {
public:
    // The rules with the patterns of `ignoreText` (a .kilnignore's bytes). Nothing (and
    // `error` says which line) when a line is not UTF-8 or asks to take a name back ("!...").
    static std::optional<LeaveOut> FromText(std::string_view ignoreText, std::string* error = nullptr);

    // The rules of a folder: its .kilnignore, or the fixed rules alone when it has none.
    static std::optional<LeaveOut> FromFolder(const std::filesystem::path& root, std::string* error = nullptr);

    // Why `name` stays out, or nothing. `file` is where its bytes are read when its size says
    // it may be a key file.
    std::optional<std::string> Why(const std::string& name, bool folder, uint64_t size,
                                   const std::filesystem::path& file) const;

private:
    struct Pattern {
        std::u16string folded;  // FoldedName of the pattern, '/' between parts
        bool anchored = false;  // matched against the whole name, not its last part
        bool foldersOnly = false;
        int line = 0;
    };
    std::vector<Pattern> patterns_;
};

// One line of Base64 for 32 bytes, as `kiln keygen` writes a secret (a public key looks the same).
bool LooksLikeKeyFile(std::string_view bytes);

}  // namespace Kiln::Patch
