#include "daemon/core/two_row_layout.h"

#include <algorithm>
#include <cstdio>

namespace vesket::daemon::TwoRowLayout {

unsigned checksum(const std::string& body) {
  unsigned csum = 0;
  for (const unsigned char c : body) {
    csum = (csum >> 1) + ((csum & 1) << 15);
    csum += c;
    csum &= 0xffff;
  }
  return csum;
}

namespace {

// One row of `count` panes side by side, at vertical offset `y`.
std::string row(int width, int height, int y, int count, int& id) {
  std::string cells;
  const int usable = width - (count - 1);  // one column of border between panes
  int x = 0;
  for (int i = 0; i < count; ++i) {
    const int w = i + 1 < count ? usable / count : usable - (usable / count) * (count - 1);
    if (!cells.empty()) cells += ',';
    cells += std::to_string(w) + "x" + std::to_string(height) + "," + std::to_string(x) + "," + std::to_string(y) +
             "," + std::to_string(id++);
    x += w + 1;
  }
  const std::string head = std::to_string(width) + "x" + std::to_string(height) + ",0," + std::to_string(y);
  if (count == 1) return head + "," + std::to_string(id - 1);
  return head + "{" + cells + "}";
}

}  // namespace

std::string layout(int width, int height, int panes) {
  width = std::max(width, panes);
  height = std::max(height, 3);
  const int perRow = std::max(1, panes / 2);
  const int top = (height - 1) / 2;
  const int bottom = height - 1 - top;
  int id = 0;
  // One row after the other: the cells are numbered in order.
  const std::string upper = row(width, top, 0, perRow, id);
  const std::string lower = row(width, bottom, top + 1, panes - perRow, id);
  const std::string body = std::to_string(width) + "x" + std::to_string(height) + ",0,0[" + upper + "," + lower + "]";
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%04x", checksum(body));
  return std::string(prefix) + "," + body;
}

}  // namespace vesket::daemon::TwoRowLayout
