#pragma once

#include <cstdlib>

namespace vesket::fuzz {

// A fuzz target reports a broken property by aborting: libFuzzer keeps the input, and the
// corpus replay fails.
inline void check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace vesket::fuzz
