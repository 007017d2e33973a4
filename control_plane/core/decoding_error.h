#pragma once

#include <stdexcept>
#include <string>

namespace vesket::control_plane {

// A JSON value that does not match the record it should hold. The message is meant for
// people: it names the record and the key ("PaneEntry: required key 'topicPreview' is
// missing") and becomes the text of a protocol error when it comes from a daemon reply.
class DecodingError : public std::runtime_error {
 public:
  explicit DecodingError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vesket::control_plane
