#include "kiln/patch/names.h"

#include "kiln/patch/journal.h"

namespace Kiln::Patch {
namespace {

char16_t UpperCodeUnit(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - 0x20);
    if ((c >= 0x00E0 && c <= 0x00FE && c != 0x00F7) || (c >= 0x03B1 && c <= 0x03C9 && c != 0x03C2) ||
        (c >= 0x0430 && c <= 0x044F))
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x0450 && c <= 0x045F)
        return static_cast<char16_t>(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A)
        return static_cast<char16_t>(c - 0x20);
    return c;
}

char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c;
}

bool SameAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    }
    return true;
}

// Windows opens a device for these whatever the folder and whatever follows the first dot
// ("NUL.txt", "com1.tar.gz"); spaces before that dot are dropped too.
bool IsDeviceName(std::string_view part)
{
    std::string_view base = part.substr(0, part.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (SameAscii(base, device))
            return true;
    }
    if (base.size() < 4 || (!SameAscii(base.substr(0, 3), "COM") && !SameAscii(base.substr(0, 3), "LPT")))
        return false;
    const std::string_view number = base.substr(3);
    // A digit, or the superscripts one to three, which Windows counts as digits here.
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xc2\xb9" ||
           number == "\xc2\xb2" || number == "\xc2\xb3";
}

bool EndsWith(const std::u16string& text, const std::u16string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

bool IsWorkingName(std::string_view part)
{
    const std::u16string folded = FoldedName(part);
    return folded == FoldedName(kJournalName) || folded == FoldedName(kProbeName) ||
           EndsWith(folded, FoldedName(kStagedSuffix)) || EndsWith(folded, FoldedName(kOldSuffix));
}

bool Utf8ToUtf16(std::string_view utf8, std::u16string& out)
{
    out.clear();
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (utf8.size() - i < length)
            return false;
        for (size_t k = 1; k < length; ++k) {
            const unsigned char trail = static_cast<unsigned char>(utf8[i + k]);
            if ((trail & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (trail & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return true;
}

std::string Utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t code = utf16[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;  // a lone surrogate
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

std::u16string FoldedName(std::string_view utf8)
{
    std::u16string wide;
    if (!Utf8ToUtf16(utf8, wide))
        return {};
    for (char16_t& c : wide)
        c = UpperCodeUnit(c);
    return wide;
}

bool IsSafeRelativeName(std::string_view name)
{
    std::u16string wide;
    if (name.empty() || !Utf8ToUtf16(name, wide))
        return false;
    size_t start = 0;
    while (true) {
        const size_t end = name.find('/', start);
        const std::string_view part = name.substr(start, end == std::string_view::npos ? name.npos : end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        // Windows drops trailing dots and spaces, which would let two names meet.
        if (part.back() == '.' || part.back() == ' ')
            return false;
        if (IsDeviceName(part) || IsWorkingName(part))
            return false;
        for (const char c : part) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (u < 0x20 || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
                c == '>' || c == '|')
                return false;
        }
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

}  // namespace Kiln::Patch
