// Finds web links (http and https only) in plain text, as a link detector of a text view
// would: a link starts at "http://" or "https://" on a word boundary, runs to white space or
// a character that cannot be part of a URL, and gives back trailing punctuation and
// unbalanced closing brackets to the sentence around it. Mail addresses and bare domains
// are never links here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::viewer {

struct WebLink {
  std::size_t begin = 0;  // byte offsets into the scanned text
  std::size_t end = 0;
  std::string url;
  bool operator==(const WebLink&) const = default;
};

namespace WebLinkDetector {

std::vector<WebLink> find(std::string_view plain);

}  // namespace WebLinkDetector
}  // namespace vesket::viewer
