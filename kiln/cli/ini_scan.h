#pragma once

#include <string>
#include <string_view>
#include <vector>

// An ini file as the profile functions see it, with the line of every section and key, for
// reporting. Names and values are trimmed of blanks; lines beginning with ';' are comments.
namespace KilnCli {

struct IniEntry {
    std::string key;
    std::string value;
    int line;
};

struct IniSection {
    std::string name;
    int line;
    std::vector<IniEntry> entries;
};

std::vector<IniSection> ScanIni(std::string_view text);

// The encoding a maker most likely saved the file in, when it is not Shift-JIS (CP932).
enum class TextEncoding {
    kShiftJis,  // every byte sequence is valid CP932 (plain ASCII included)
    kUtf8WithBom,
    kUtf8,      // valid UTF-8 with characters beyond ASCII
    kUtf16,
    kUnknown,   // neither: `badLine` holds the first line CP932 cannot decode
};

struct EncodingGuess {
    TextEncoding encoding;
    int badLine = 0;
};

EncodingGuess GuessEncoding(std::string_view bytes);

// Optimal string alignment distance, ASCII letters compared without case.
size_t EditDistance(std::string_view a, std::string_view b);

}  // namespace KilnCli
