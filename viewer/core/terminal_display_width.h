#pragma once

// How many terminal columns text takes: East Asian wide and full-width characters and
// emoji presentation blocks take two, combining marks, joiners, variation selectors and
// control characters none, everything else one. Malformed UTF-8 counts one column per
// byte (each reads as U+FFFD).

#include <string_view>

namespace vesket::viewer::TerminalDisplayWidth {

int ofScalar(char32_t scalar);
int of(std::string_view text);

}  // namespace vesket::viewer::TerminalDisplayWidth
