#pragma once

// Plain display text for narrow views: cleaning text that came from programs (escape
// sequences, control characters, tabs, broken UTF-8) and word-wrapping it to a column
// width, counting East Asian wide characters and emoji as two columns and combining marks
// as none.

#include <string>
#include <string_view>
#include <vector>

namespace vesket::daemon::TextWrap {

// Columns one code point takes in a terminal: 0, 1 or 2.
int codePointWidth(char32_t cp);

// Columns `text` (clean UTF-8, no line breaks) takes.
int displayWidth(std::string_view text);

// Text ready for display: escape sequences (CSI, OSC, others) removed, CR LF and lone CR
// read as LF, other control characters removed, tabs expanded to the next multiple of
// `tabWidth` columns, invalid UTF-8 replaced by U+FFFD.
std::string sanitize(std::string_view text, int tabWidth = 4);

// Word-wraps clean text (see sanitize) to `width` columns (at least 1). Line feeds start
// new lines. The first output line starts with `firstPrefix`, every other with
// `restPrefix`; both are dropped when they leave no room for text. Words longer than a
// line are broken; the spaces where a line breaks are dropped and trailing blanks trimmed.
std::vector<std::string> wrap(std::string_view text, int width, std::string_view firstPrefix = {},
                              std::string_view restPrefix = {});

}  // namespace vesket::daemon::TextWrap
