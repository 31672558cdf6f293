#include "kiln/input/input_code.h"

#include <cstdio>
#include <limits>

namespace Kiln {
namespace {

// The blanks that the C library's scanf skips before a conversion.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

    void SkipBlanks()
    {
        while (pos_ < text_.size() && IsBlank(text_[pos_]))
            ++pos_;
    }

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek(size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }
    char Take() { return text_[pos_++]; }

    // An optionally signed decimal integer.
    std::optional<int32_t> Decimal()
    {
        bool negative = false;
        if (Peek() == '+' || Peek() == '-')
            negative = Take() == '-';
        if (!IsDecimalDigit(Peek()))
            return std::nullopt;
        // Accumulated as a negative value so that the most negative number fits too.
        int64_t value = 0;
        while (IsDecimalDigit(Peek())) {
            value = value * 10 - (Take() - '0');
            if (value < int64_t{std::numeric_limits<int32_t>::min()})
                return std::nullopt;
        }
        if (!negative) {
            value = -value;
            if (value > int64_t{std::numeric_limits<int32_t>::max()})
                return std::nullopt;
        }
        return static_cast<int32_t>(value);
    }

    // Hexadecimal digits with an optional "0x" prefix. Like strtoul, a "0x" that no digit
    // follows is the number 0 with the "x" left over as trailing text.
    std::optional<uint32_t> Hexadecimal()
    {
        if (Peek() == '0' && (Peek(1) == 'x' || Peek(1) == 'X') && HexDigitValue(Peek(2)) >= 0)
            pos_ += 2;
        if (HexDigitValue(Peek()) < 0)
            return std::nullopt;
        uint64_t value = 0;
        while (HexDigitValue(Peek()) >= 0) {
            value = value * 16 + static_cast<uint64_t>(HexDigitValue(Take()));
            if (value > uint64_t{std::numeric_limits<uint32_t>::max()})
                return std::nullopt;
        }
        return static_cast<uint32_t>(value);
    }

private:
    static bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace

std::string FormatInputCode(int32_t device, uint32_t code)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d,0x%02X", static_cast<int>(device), static_cast<unsigned>(code));
    return text;
}

std::optional<InputCode> ParseInputCode(std::string_view text)
{
    Reader reader(text);
    reader.SkipBlanks();
    const std::optional<int32_t> device = reader.Decimal();
    if (!device)
        return std::nullopt;
    reader.SkipBlanks();
    if (reader.AtEnd())
        return std::nullopt;
    reader.Take();  // the separator, whatever it is
    reader.SkipBlanks();
    const std::optional<uint32_t> code = reader.Hexadecimal();
    if (!code)
        return std::nullopt;
    return InputCode{*device, *code};
}

}  // namespace Kiln
