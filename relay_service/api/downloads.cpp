// GET /downloads/<file>: the release catalog and artifacts of the directory given with
// `--releases DIR`, so a self-hosted setup updates from its own relay. Only regular files
// that resolve inside that directory are served (no "..", no hidden names, no symbolic
// link out of it); bodies are streamed from the file, and a single Range is honoured.
#include <filesystem>
#include <system_error>

#include <fmt/format.h>

#include "relay_service/api/endpoint_families.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/release_downloads.h"

namespace vesket::relay_service {

namespace fs = std::filesystem;
namespace net = boost::asio;

bool isDownloadPath(std::string_view path) { return path.starts_with(ReleaseDownloads::kPrefix); }

net::awaitable<HttpResponse> serveDownload(ApiCall call) {
  const std::string& releases = call.context.config.releasesDir;
  if (releases.empty()) throw ApiError::notFound("this relay serves no downloads");
  if (call.request.method != "GET") throw ApiError::methodNotAllowed("GET");
  const auto relative = ReleaseDownloads::relativePath(call.request.path);
  if (!relative) throw ApiError::notFound("no such download");
  std::error_code error;
  const fs::path root = fs::canonical(releases, error);
  if (error) throw ApiError::notFound("no such download");
  const fs::path file = fs::canonical(root / *relative, error);
  // The resolved file must still lie below the directory (a symbolic link may point out).
  const std::string rootText = root.string() + "/";
  if (error || !file.string().starts_with(rootText) || !fs::is_regular_file(file, error)) {
    throw ApiError::notFound("no such download");
  }
  const std::uint64_t size = fs::file_size(file, error);
  if (error) throw ApiError::notFound("no such download");

  HttpResponse response;
  response.contentType = std::string(ReleaseDownloads::contentType(file.filename().string()));
  response.headers.emplace_back("accept-ranges", "bytes");
  response.headers.emplace_back("x-content-type-options", "nosniff");
  // The catalog changes with every release; artifacts never change under their names.
  response.headers.emplace_back("cache-control",
                                file.extension() == ".json" ? "no-cache" : "public, max-age=3600");
  const auto range = ReleaseDownloads::range(call.request.header("range"), size);
  if (std::holds_alternative<ReleaseDownloads::Unsatisfiable>(range)) {
    response.status = 416;
    response.contentType = "text/plain; charset=utf-8";
    response.headers.emplace_back("content-range", fmt::format("bytes */{}", size));
    co_return response;
  }
  if (const auto* span = std::get_if<ReleaseDownloads::ByteSpan>(&range)) {
    response.status = 206;
    response.headers.emplace_back("content-range",
                                  fmt::format("bytes {}-{}/{}", span->offset, span->offset + span->length - 1, size));
    response.file = FileBody{file.string(), span->offset, span->length};
  } else {
    response.file = FileBody{file.string(), 0, size};
  }
  co_return response;
}

}  // namespace vesket::relay_service
