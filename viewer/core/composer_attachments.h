#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::viewer {

// Files the user attached to a message for a pane. An image goes through "send-image"
// (stored under the pane machine's product home, its path typed into the pane, where the
// agent opens it). Any other file's path is typed with the message: for a pane of this
// machine the file's own path, for another machine's pane the path it was copied to there.
struct ComposerAttachment {
  std::string path;          // absolute path on this machine
  std::int64_t sizeBytes = 0;

  bool operator==(const ComposerAttachment&) const = default;
};

struct ComposerSendPlan {
  std::vector<std::string> imagePaths;  // to read and send as images, in order
  std::vector<std::string> imageExts;   // their extensions, lower case ("png")
  std::string message;                  // the message without trailing blanks
  std::vector<std::string> otherPaths;  // the files that are not sent as images, in order
  std::string text;                     // the message, then the other files' paths
  std::int64_t uploadBytes = 0;         // the size of everything attached

  bool operator==(const ComposerSendPlan&) const = default;
};

namespace ComposerAttachments {

// Images larger than this go as plain paths (the daemon takes at most 32 MiB per image).
inline constexpr std::int64_t kMaxImageBytes = 32 * 1024 * 1024;
inline constexpr std::size_t kMaxImages = 16;

// The extension when `path` names an image the agents read ("png", "jpg", "jpeg", "gif",
// "webp"), else empty.
std::string imageExtension(std::string_view path);

// A path as one shell word: unchanged when it holds only safe characters, else in single
// quotes (a quote inside becomes '\'').
std::string shellWord(std::string_view path);

// How to send `message` with `attachments`: images (up to kMaxImages) by send-image, the
// rest as paths appended to the message (`textWithPaths`).
ComposerSendPlan plan(std::string_view message, const std::vector<ComposerAttachment>& attachments);

// `message` then each path as a shell word, separated by one blank.
std::string textWithPaths(std::string message, const std::vector<std::string>& paths);

}  // namespace ComposerAttachments

}  // namespace vesket::viewer
