#include "viewer/core/composer_attachments.h"

#include <algorithm>
#include <cctype>

namespace vesket::viewer::ComposerAttachments {

std::string imageExtension(std::string_view path) {
  const auto slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  std::string ext(name.substr(dot + 1));
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* known : {"png", "jpg", "jpeg", "gif", "webp"}) {
    if (ext == known) return ext;
  }
  return {};
}

std::string shellWord(std::string_view path) {
  const bool safe = !path.empty() && std::all_of(path.begin(), path.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '/' || c == '.' || c == '_' || c == '-' || c == '+' || c == ',' || c == '@' ||
           c == '%' || c == ':' || c >= 0x80;
  });
  if (safe) return std::string(path);
  std::string quoted = "'";
  for (char c : path) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  return quoted + "'";
}

ComposerSendPlan plan(std::string_view message, const std::vector<ComposerAttachment>& attachments) {
  ComposerSendPlan result;
  result.message = std::string(message);
  while (!result.message.empty() && (result.message.back() == ' ' || result.message.back() == '\n')) result.message.pop_back();
  for (const auto& attachment : attachments) {
    result.uploadBytes += std::max<std::int64_t>(attachment.sizeBytes, 0);
    const std::string ext = imageExtension(attachment.path);
    if (!ext.empty() && attachment.sizeBytes > 0 && attachment.sizeBytes <= kMaxImageBytes &&
        result.imagePaths.size() < kMaxImages) {
      result.imagePaths.push_back(attachment.path);
      result.imageExts.push_back(ext);
    } else {
      result.otherPaths.push_back(attachment.path);
    }
  }
  result.text = textWithPaths(result.message, result.otherPaths);
  return result;
}

std::string textWithPaths(std::string message, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (!message.empty()) message += ' ';
    message += shellWord(path);
  }
  return message;
}

}  // namespace vesket::viewer::ComposerAttachments
