#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brikmux {

// RFC 4648 base64 with the standard alphabet, as LDraw's "0 !DATA" blocks carry images.

// Appends the encoding of bytes to text, with "=" padding.
void appendBase64(std::string_view bytes, std::string& text);

// Decodes base64 text in pieces (an image's "0 !:" lines, blanks already removed), keeping the
// characters of a group cut between two pieces. "=" padding is optional; once it has been met
// only more "=" may follow.
class Base64Decoder {
public:
    enum class Result { Ok, BadCharacter, BadLength };

    // Decodes text and appends the bytes to out; BadCharacter when text holds a character outside
    // the alphabet, or anything after the padding.
    Result add(std::string_view text, std::string& out);
    // Ends the data: BadLength when the characters met cannot be whole bytes (one more than a
    // multiple of four, or padding in the wrong place).
    Result finish(std::string& out);

private:
    unsigned m_group = 0; // the bits of the characters of the unfinished group
    int m_count = 0;      // characters in the unfinished group
    int m_padding = 0;    // "=" characters met
};

} // namespace brikmux
