#pragma once

// Reads a "multipart/form-data" body (the relay's uploads): the boundary from the
// Content-Type header, then each part's name, file name, content type and bytes. The
// parts are views into the body, which the caller keeps. Every failure is an ApiError 400
// (`invalid_multipart`) naming what was wrong; nothing is half-read.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::relay_service {

struct FormPart {
  std::string name;
  std::optional<std::string> fileName;
  std::string contentType;  // "text/plain" when the part names none
  std::string_view bytes;
};

class MultipartForm {
 public:
  static constexpr std::size_t kMaxParts = 64;

  // Throws ApiError 400 for a Content-Type that is not multipart/form-data with a
  // boundary, or a body that does not follow it.
  static MultipartForm parse(std::string_view contentType, std::string_view body);

  const std::vector<FormPart>& parts() const { return m_parts; }
  // The text of the first field of that name without a file name.
  std::optional<std::string> field(std::string_view name) const;
  // Every part of that name that carries a file, in order.
  std::vector<const FormPart*> files(std::string_view name) const;

 private:
  std::vector<FormPart> m_parts;
};

}  // namespace vesket::relay_service
