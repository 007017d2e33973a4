// A linked daemon's panes, for its account's devices: the pane list, a pane's text, text
// and keys sent to it, images and files uploaded to it. Each call goes to the daemon over
// its link as the daemon's own command ("list-panes", "capture", "send", "send-key",
// "upload-part" then "send-image" or "send-file") and answers with the daemon's result.
// Without a daemonId the account's connected daemon is used; X-Resolved-Daemon-Id says
// which one answered. A daemon that is not linked is 503, a pane that is gone 404, another
// account's daemon 404.
#include <fmt/format.h>

#include "control_plane/core/base64.h"
#include "relay_service/api/daemon_requests.h"
#include "relay_service/api/endpoint_families.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/json_body.h"
#include "relay_service/core/multipart_form.h"
#include "relay_service/core/pane_request_rules.h"
#include "relay_service/core/secrets.h"
#include "relay_service/link/daemon_links.h"
#include "relay_service/store/relay_store.h"

namespace vesket::relay_service {
namespace {

namespace net = boost::asio;
namespace Rules = PaneRequestRules;

constexpr std::size_t kMaxKeys = 32;

HttpResponse withDaemon(HttpResponse response, std::int64_t daemonId) {
  response.headers.emplace_back("x-resolved-daemon-id", std::to_string(daemonId));
  return response;
}

// A send result record ({"ok", "error"?, ...}) that says the pane is gone is a 404 too.
void checkSendResult(const nlohmann::json& result, std::string_view doing) {
  if (!result.is_object()) throw ApiError(502, "daemon_error", fmt::format("the daemon's answer to {} was not understood", doing));
  const auto error = result.find("error");
  if (result.value("ok", false) == false && error != result.end() && error->is_string() &&
      Rules::paneGone(error->get<std::string>())) {
    throw Rules::daemonRefusal(doing, error->get<std::string>());
  }
}

net::awaitable<HttpResponse> listPanes(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const DaemonRecord daemon = requireTargetDaemon(call, account, Rules::daemonId(call.request.queryParam("daemonId")));
  auto asking = askDaemon(call, daemon.id, "list-panes", nlohmann::json::object(), "list its panes");
  nlohmann::json data = co_await std::move(asking);
  if (!data.is_object() || !data.contains("panes") || !data["panes"].is_array()) {
    throw ApiError(502, "daemon_error", "the daemon's pane list was not understood");
  }
  co_return withDaemon(HttpResponse::json(200, data["panes"]), daemon.id);
}

net::awaitable<HttpResponse> paneSnapshot(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const auto paneParam = call.request.queryParam("paneId");
  const std::string paneId = Rules::requirePaneId(paneParam ? std::optional<std::string>(*paneParam) : std::nullopt);
  const DaemonRecord daemon = requireTargetDaemon(call, account, Rules::daemonId(call.request.queryParam("daemonId")));
  nlohmann::json args = {{"paneId", paneId}};
  auto asking = askDaemon(call, daemon.id, "capture", std::move(args), "capture the pane");
  nlohmann::json data = co_await std::move(asking);
  if (!data.is_object() || !data.contains("content") || !data["content"].is_string()) {
    throw ApiError(502, "daemon_error", "the daemon's capture was not understood");
  }
  nlohmann::json body = {{"paneId", paneId}, {"content", std::move(data["content"])}};
  co_return withDaemon(HttpResponse::json(200, body), daemon.id);
}

net::awaitable<HttpResponse> sendText(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  const std::string paneId = Rules::requirePaneId(body.optionalString("paneId"));
  nlohmann::json args = {{"paneId", paneId}, {"text", body.requireString("text")}};
  if (auto id = body.optionalString("clientRequestId")) args["clientRequestId"] = *id;
  if (auto key = body.optionalString("submitKey")) args["submitKey"] = *key;
  const DaemonRecord daemon = requireTargetDaemon(call, account, bodyDaemonId(body));
  auto asking = askDaemon(call, daemon.id, "send", std::move(args), "send to the pane");
  nlohmann::json result = co_await std::move(asking);
  checkSendResult(result, "send");
  co_return withDaemon(HttpResponse::json(200, result), daemon.id);
}

net::awaitable<HttpResponse> sendKeys(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  const std::string paneId = Rules::requirePaneId(body.optionalString("paneId"));
  std::vector<std::string> keys;
  const auto found = body.json().find("keys");
  if (found == body.json().end() || !found->is_array() || found->empty() || found->size() > kMaxKeys) {
    throw ApiError::invalidField(fmt::format("'keys' must be a list of 1 to {} key names", kMaxKeys));
  }
  for (const auto& key : *found) {
    if (!key.is_string() || key.get_ref<const std::string&>().empty()) throw ApiError::invalidField("'keys' must hold key names");
    keys.push_back(key.get<std::string>());
  }
  const DaemonRecord daemon = requireTargetDaemon(call, account, bodyDaemonId(body));
  for (const std::string& key : keys) {
    nlohmann::json args = {{"paneId", paneId}, {"key", key}};
    auto asking = askDaemon(call, daemon.id, "send-key", std::move(args), "send the key");
    co_await std::move(asking);
  }
  nlohmann::json answer = {{"ok", true}};
  co_return withDaemon(HttpResponse::json(200, answer), daemon.id);
}

// What an upload names in its form fields.
struct UploadTarget {
  DaemonRecord daemon;
  std::string paneId;
  std::string text;
};

UploadTarget uploadTarget(ApiCall& call, const AuthenticatedAccount& account, const MultipartForm& form) {
  UploadTarget target;
  target.paneId = Rules::requirePaneId(form.field("paneId"));
  target.text = form.field("text").value_or("");
  const auto daemonText = form.field("daemonId");
  target.daemon = requireTargetDaemon(
      call, account, Rules::daemonId(daemonText ? std::optional<std::string_view>(*daemonText) : std::nullopt));
  return target;
}

// Stages one uploaded file on the daemon, part by part (each part awaited before the next,
// so one upload never fills the link); its upload id.
net::awaitable<std::string> stageUpload(ApiCall& call, std::int64_t daemonId, std::string_view bytes) {
  const std::string uploadId = Secrets::randomToken(18);
  std::size_t offset = 0;
  do {
    const std::string_view part = bytes.substr(offset, Rules::kUploadPartBytes);
    nlohmann::json args = {{"uploadId", uploadId}, {"offset", offset}, {"base64", control_plane::Base64::encode(part)}};
    auto asking = askDaemon(call, daemonId, "upload-part", std::move(args), "take the upload");
    co_await std::move(asking);
    offset += part.size();
  } while (offset < bytes.size());
  co_return uploadId;
}

net::awaitable<HttpResponse> uploadImage(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const auto contentType = call.request.header("content-type");
  const MultipartForm form = MultipartForm::parse(contentType.value_or(""), call.request.body);
  const UploadTarget target = uploadTarget(call, account, form);
  const auto parts = form.files("image");
  if (parts.empty()) throw ApiError::invalidField("the form holds no part named 'image'");
  if (parts.size() > 16) throw ApiError::invalidField("at most 16 images at once");
  nlohmann::json images = nlohmann::json::array();
  for (const FormPart* part : parts) {
    if (part->bytes.empty()) throw ApiError::invalidField("an image is empty");
    const std::string ext = Rules::imageExtension(*part);
    auto staging = stageUpload(call, target.daemon.id, part->bytes);
    const std::string uploadId = co_await std::move(staging);
    images.push_back({{"uploadId", uploadId}, {"ext", ext}});
  }
  nlohmann::json args = {{"paneId", target.paneId}, {"images", std::move(images)}, {"text", target.text}};
  auto asking = askDaemon(call, target.daemon.id, "send-image", std::move(args), "send the images");
  nlohmann::json result = co_await std::move(asking);
  checkSendResult(result, "send-image");
  co_return withDaemon(HttpResponse::json(200, result), target.daemon.id);
}

net::awaitable<HttpResponse> uploadFile(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const auto contentType = call.request.header("content-type");
  const MultipartForm form = MultipartForm::parse(contentType.value_or(""), call.request.body);
  const UploadTarget target = uploadTarget(call, account, form);
  const auto parts = form.files("file");
  if (parts.size() != 1) throw ApiError::invalidField("the form must hold one part named 'file'");
  const std::string name = parts.front()->fileName->empty() ? "file" : *parts.front()->fileName;
  // "typePath" false: the file is only kept on that machine and its path answered.
  const auto typePath = form.field("typePath");
  if (typePath && *typePath != "true" && *typePath != "false") throw ApiError::invalidField("'typePath' must be true or false");
  auto staging = stageUpload(call, target.daemon.id, parts.front()->bytes);
  const std::string uploadId = co_await std::move(staging);
  nlohmann::json args = {{"paneId", target.paneId}, {"uploadId", uploadId}, {"name", name}, {"text", target.text}};
  if (typePath) args["typePath"] = *typePath == "true";
  auto asking = askDaemon(call, target.daemon.id, "send-file", std::move(args), "send the file");
  nlohmann::json result = co_await std::move(asking);
  checkSendResult(result, "send-file");
  co_return withDaemon(HttpResponse::json(200, result), target.daemon.id);
}

}  // namespace

void addPaneRoutes(ApiRouter& router) {
  router.add("GET", "/api/panes", {listPanes, RateClass::general});
  router.add("GET", "/api/pane/snapshot", {paneSnapshot, RateClass::general});
  router.add("POST", "/api/send", {sendText, RateClass::general});
  router.add("POST", "/api/send-key", {sendKeys, RateClass::general});
  router.add("POST", "/api/upload-image", {uploadImage, RateClass::general});
  router.add("POST", "/api/upload-file", {uploadFile, RateClass::general});
}

}  // namespace vesket::relay_service
