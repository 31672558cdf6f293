#include "kiln/crypt/base64.h"

#include <array>
#include <cstdint>

namespace Kiln {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int8_t kNotInAlphabet = -1;

constexpr std::array<int8_t, 256> MakeDecodeTable()
{
    std::array<int8_t, 256> table{};
    for (auto& value : table)
        value = kNotInAlphabet;
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
    return table;
}

constexpr std::array<int8_t, 256> kDecodeTable = MakeDecodeTable();

}  // namespace

std::string Base64Encode(std::string_view bytes)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 16 |
                               static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8 |
                               static_cast<uint8_t>(bytes[i + 2]);
        text += kAlphabet[group >> 18];
        text += kAlphabet[(group >> 12) & 63];
        text += kAlphabet[(group >> 6) & 63];
        text += kAlphabet[group & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t group = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 16;
        if (rest == 2)
            group |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
        text += kAlphabet[group >> 18];
        text += kAlphabet[(group >> 12) & 63];
        text += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

// Memory: the decoded bytes alone, 3/4 of the text's length.
std::optional<std::string> Base64Decode(std::string_view text)
{
    if (text.size() % 4 != 0)
        return std::nullopt;
    size_t padding = 0;
    if (!text.empty() && text.back() == '=')
        padding = text[text.size() - 2] == '=' ? 2 : 1;

    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    const size_t significant = text.size() - padding;
    uint32_t group = 0;
    for (size_t i = 0; i < significant; ++i) {
        const int8_t value = kDecodeTable[static_cast<unsigned char>(text[i])];
        if (value == kNotInAlphabet)
            return std::nullopt;
        group = group << 6 | static_cast<uint32_t>(value);
        if (i % 4 == 3) {
            bytes += static_cast<char>(group >> 16);
            bytes += static_cast<char>(group >> 8);
            bytes += static_cast<char>(group);
            group = 0;
        }
    }
    // Bits below the last whole byte are zero in what the encoder writes.
    if (padding == 2) {
        if (group & 0xF)
            return std::nullopt;
        bytes += static_cast<char>(group >> 4);
    } else if (padding == 1) {
        if (group & 0x3)
            return std::nullopt;
        bytes += static_cast<char>(group >> 10);
        bytes += static_cast<char>(group >> 2);
    }
    return bytes;
}

}  // namespace Kiln
