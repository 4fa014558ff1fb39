#include "ldraw/base64.h"

#include <array>

namespace brikmux {

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<signed char, 256> decodingTable()
{
    std::array<signed char, 256> table{};
    table.fill(-1);
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
    }
    return table;
}

constexpr std::array<signed char, 256> kValues = decodingTable();

} // namespace

void appendBase64(std::string_view bytes, std::string& text)
{
    text.reserve(text.size() + (bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    auto byte = [&](std::size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])); };
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned group = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        for (int shift = 18; shift >= 0; shift -= 6) {
            text += kAlphabet[(group >> shift) & 63];
        }
    }
    if (const std::size_t left = bytes.size() - i; left > 0) {
        const unsigned group = byte(i) << 16 | (left == 2 ? byte(i + 1) << 8 : 0);
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += left == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        text += '=';
    }
}

Base64Decoder::Result Base64Decoder::add(std::string_view text, std::string& out)
{
    for (const char c : text) {
        if (c == '=') {
            ++m_padding;
            continue;
        }
        const int value = kValues[static_cast<unsigned char>(c)];
        if (value < 0 || m_padding > 0) {
            return Result::BadCharacter;
        }
        m_group = m_group << 6 | static_cast<unsigned>(value);
        if (++m_count == 4) {
            out += static_cast<char>((m_group >> 16) & 0xFF);
            out += static_cast<char>((m_group >> 8) & 0xFF);
            out += static_cast<char>(m_group & 0xFF);
            m_group = 0;
            m_count = 0;
        }
    }
    return Result::Ok;
}

Base64Decoder::Result Base64Decoder::finish(std::string& out)
{
    // The characters left over say how many bytes the last group holds: 2 give one, 3 give two.
    // Padding, where present, fills the group to four exactly.
    if (m_count == 1 || (m_padding > 0 && (m_count == 0 || m_count + m_padding != 4))) {
        return Result::BadLength;
    }
    if (m_count == 2) {
        out += static_cast<char>((m_group >> 4) & 0xFF);
    } else if (m_count == 3) {
        out += static_cast<char>((m_group >> 10) & 0xFF);
        out += static_cast<char>((m_group >> 2) & 0xFF);
    }
    m_group = 0;
    m_count = 0;
    return Result::Ok;
}

} // namespace brikmux
