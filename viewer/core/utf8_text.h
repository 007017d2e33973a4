// Small UTF-8 helpers for the viewer's text rules: decoding to scalars, user-perceived
// characters, the two flavours of trimming, and ASCII case mapping. Malformed bytes decode
// as U+FFFD one byte at a time, so no input can stall or overrun a walk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::viewer::utf8 {

// Decodes the scalar starting at `pos`; `length` receives its byte count (at least 1).
char32_t decode(std::string_view text, std::size_t pos, std::size_t& length);
std::vector<char32_t> decodeAll(std::string_view text);
void append(std::string& out, char32_t scalar);

// Byte ranges of user-perceived characters: a base scalar with the marks, variation
// selectors, joiners and skin-tone modifiers that extend it; CR LF counts as one.
std::vector<std::string_view> characters(std::string_view text);
std::size_t characterCount(std::string_view text);

// Blanks: horizontal white space (tab and the Unicode space separators).
bool isBlank(char32_t scalar);
// Line ends: LF, VT, FF, CR, NEL, LS, PS.
bool isLineEnd(char32_t scalar);
inline bool isWhitespace(char32_t scalar) { return isBlank(scalar) || isLineEnd(scalar); }

std::string_view trimBlanks(std::string_view text);
std::string_view trimWhitespace(std::string_view text);  // blanks and line ends

std::string asciiLower(std::string_view text);
bool containsBlank(std::string_view text);

// A decimal integer with an optional leading "+" or "-"; none when anything else is in the
// text or the value does not fit.
std::optional<std::int64_t> parseInteger(std::string_view text);

}  // namespace vesket::viewer::utf8
