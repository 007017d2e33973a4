#include "relay_service/core/multipart_form.h"

#include <algorithm>
#include <cctype>

#include "relay_service/core/api_error.h"

namespace vesket::relay_service {
namespace {

[[noreturn]] void fail(const std::string& message) {
  throw ApiError::badRequest("invalid_multipart", "multipart body: " + message);
}

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The parameters of a header value ("form-data; name=\"a\"; filename=b"): lower-case
// names, values unquoted (a backslash escapes the next character inside quotes).
std::vector<std::pair<std::string, std::string>> parameters(std::string_view value) {
  std::vector<std::pair<std::string, std::string>> result;
  std::size_t at = value.find(';');
  while (at != std::string_view::npos && at < value.size()) {
    ++at;
    while (at < value.size() && (value[at] == ' ' || value[at] == '\t')) ++at;
    const std::size_t equals = value.find('=', at);
    if (equals == std::string_view::npos) break;
    std::string name = lower(trim(value.substr(at, equals - at)));
    std::string parameter;
    at = equals + 1;
    if (at < value.size() && value[at] == '"') {
      ++at;
      bool closed = false;
      while (at < value.size()) {
        const char c = value[at++];
        if (c == '\\' && at < value.size()) {
          parameter += value[at++];
        } else if (c == '"') {
          closed = true;
          break;
        } else {
          parameter += c;
        }
      }
      if (!closed) fail("an unterminated quoted parameter");
      at = value.find(';', at);
    } else {
      const std::size_t end = value.find(';', at);
      parameter = std::string(trim(value.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at)));
      at = end;
    }
    result.emplace_back(std::move(name), std::move(parameter));
  }
  return result;
}

std::optional<std::string> parameter(const std::vector<std::pair<std::string, std::string>>& list, std::string_view name) {
  for (const auto& [key, value] : list) {
    if (key == name) return value;
  }
  return std::nullopt;
}

}  // namespace

MultipartForm MultipartForm::parse(std::string_view contentType, std::string_view body) {
  const std::size_t semicolon = contentType.find(';');
  if (lower(trim(contentType.substr(0, semicolon))) != "multipart/form-data") {
    fail("the Content-Type must be multipart/form-data");
  }
  const auto boundary = parameter(parameters(contentType), "boundary");
  // RFC 2046: 1 to 70 characters.
  if (!boundary || boundary->empty() || boundary->size() > 70) fail("the Content-Type names no usable boundary");
  const std::string delimiter = "--" + *boundary;

  MultipartForm form;
  // The first delimiter may follow a preamble; every later one follows a CRLF.
  std::size_t at = 0;
  if (body.substr(0, delimiter.size()) != delimiter) {
    at = body.find("\r\n" + delimiter);
    if (at == std::string_view::npos) fail("no part begins with the boundary");
    at += 2;
  }
  const std::string next = "\r\n" + delimiter;
  for (;;) {
    at += delimiter.size();
    if (body.substr(at, 2) == "--") return form;  // the closing delimiter
    // Transport padding, then the line end.
    while (at < body.size() && (body[at] == ' ' || body[at] == '\t')) ++at;
    if (body.substr(at, 2) != "\r\n") fail("a boundary line does not end");
    at += 2;
    if (form.m_parts.size() == kMaxParts) fail("more than 64 parts");

    FormPart part;
    part.contentType = "text/plain";
    bool named = false;
    for (;;) {
      const std::size_t lineEnd = body.find("\r\n", at);
      if (lineEnd == std::string_view::npos) fail("a part's headers do not end");
      const std::string_view line = body.substr(at, lineEnd - at);
      at = lineEnd + 2;
      if (line.empty()) break;
      const std::size_t colon = line.find(':');
      if (colon == std::string_view::npos) fail("a part header without a colon");
      const std::string name = lower(trim(line.substr(0, colon)));
      const std::string_view value = trim(line.substr(colon + 1));
      if (name == "content-disposition") {
        if (lower(trim(value.substr(0, value.find(';')))) != "form-data") fail("a part that is not form-data");
        const auto list = parameters(value);
        const auto fieldName = parameter(list, "name");
        if (!fieldName) fail("a part without a name");
        part.name = *fieldName;
        part.fileName = parameter(list, "filename");
        named = true;
      } else if (name == "content-type") {
        part.contentType = lower(value);
      }
    }
    if (!named) fail("a part without Content-Disposition");
    const std::size_t end = body.find(next, at);
    if (end == std::string_view::npos) fail("the body ends inside a part");
    part.bytes = body.substr(at, end - at);
    form.m_parts.push_back(std::move(part));
    at = end + 2;
  }
}

std::optional<std::string> MultipartForm::field(std::string_view name) const {
  for (const FormPart& part : m_parts) {
    if (part.name == name && !part.fileName) return std::string(part.bytes);
  }
  return std::nullopt;
}

std::vector<const FormPart*> MultipartForm::files(std::string_view name) const {
  std::vector<const FormPart*> result;
  for (const FormPart& part : m_parts) {
    if (part.name == name && part.fileName) result.push_back(&part);
  }
  return result;
}

}  // namespace vesket::relay_service
