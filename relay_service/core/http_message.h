#pragma once

// The plain request and response records the endpoint handlers see. The transport
// (relay_service/http) fills a request from the wire and writes a response back; nothing
// here knows about sockets or Beast.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace vesket::relay_service {

// Header names are kept lower-case, values as received.
using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
  std::string method;  // "GET", "POST", ...
  std::string target;  // as received: path and query, percent-encoded
  std::string path;    // the decoded path, without the query
  std::vector<std::pair<std::string, std::string>> query;  // decoded, in order
  HeaderList headers;
  std::string body;
  std::string remoteAddress;  // the peer's IP address, for rate limits and logs

  // The first header of that (lower-case) name.
  std::optional<std::string_view> header(std::string_view name) const;
  // The first query parameter of that name.
  std::optional<std::string_view> queryParam(std::string_view name) const;
  // The token of an "Authorization: Bearer <token>" header, when there is one.
  std::optional<std::string> bearerToken() const;
};

// A body written over time (server-sent events); defined with the transport's interface
// (http/http_handler.h).
class ResponseStream;
// A body the transport streams from a file instead of holding it in memory: `length` bytes
// from `offset`. The file is opened when the answer is written; one that cannot be read
// then ends the connection.
struct FileBody {
  std::string path;
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

struct HttpResponse {
  int status = 200;
  std::string contentType = "application/json";
  HeaderList headers;
  std::string body;
  // When set, the head is sent at once and the body is what the stream yields, until it
  // ends or the connection does; the connection closes after it.
  std::shared_ptr<ResponseStream> stream;
  std::optional<FileBody> file;  // when set, sent instead of `body`

  static HttpResponse json(int status, const nlohmann::json& body);
};

// Reads a request target ("/api/panes?daemonId=3"): the decoded path and query. Nothing
// for a target that is not an origin-form path (no leading "/", bad percent escapes).
struct RequestTarget {
  std::string path;
  std::vector<std::pair<std::string, std::string>> query;

  static std::optional<RequestTarget> parse(std::string_view target);
};

}  // namespace vesket::relay_service
