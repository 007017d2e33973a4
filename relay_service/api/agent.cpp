// What agents and scripts on a paired machine post into the account's inbox, with the
// daemon's token (the `vesket inbox` commands).
//
//   POST /api/agent/messages         {"paneId" | "thread", "agent"?, "paneLabel"?, "title"?, "body", "kind"?, "payload"?}
//   POST /api/agent/decisions        {"paneId" | "thread", ..., "question", "options": [{"k", "label", "why"?}],
//                                     "recommended"?, "deadline"?}: {"id", "slug", "state"}
//   GET  /api/agent/decisions/{id}   ?wait=SECONDS (at most 30): {"id", "slug", "state", "answer"?}
//   POST /api/agent/notifications    {"title", "body", "kind"?, "paneId"?, "paneLabel"?}
//   POST /api/agent/files            multipart: one file named "file", "paneId"?, "paneLabel"?, "title"?
//
// A message lands in the thread of its pane ("pane-<daemon>-<n>") or the named thread.
#include <fmt/format.h>

#include <charconv>

#include "control_plane/core/json_codec.h"
#include "relay_service/api/endpoint_families.h"
#include "relay_service/api/inbox_events.h"
#include "relay_service/api/shared_files.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/inbox_rules.h"
#include "relay_service/core/json_body.h"
#include "relay_service/core/multipart_form.h"
#include "relay_service/core/secrets.h"
#include "relay_service/store/relay_store.h"

namespace vesket::relay_service {

std::string keepSharedFile(ApiContext& context, std::int64_t userId, std::string filename, std::string mimeType,
                           std::string bytes) {
  const std::string token = Secrets::randomToken();
  SharedFile file;
  file.tokenDigest = Secrets::sha256Hex(token);
  file.userId = userId;
  file.filename = std::move(filename);
  file.mimeType = std::move(mimeType);
  file.size = static_cast<std::int64_t>(bytes.size());
  file.createdAtMs = context.nowMs();
  file.expiresAtMs = file.createdAtMs + InboxRules::kFileLifetimeMs;
  file.bytes = std::move(bytes);
  context.store.dropExpiredFiles(file.createdAtMs);
  context.store.addFile(file);
  return token;
}

namespace {

namespace net = boost::asio;
using inbox::InboxMessage;

constexpr std::int64_t kMaxWaitSeconds = 30;

DaemonRecord requireAgent(ApiCall& call) {
  DaemonRecord daemon = requireDaemonToken(call);
  if (daemon.revoked) throw ApiError(401, "unauthorized", "unauthorized: this machine's pairing was revoked");
  return daemon;
}

std::optional<std::string> boundedText(const JsonBody& body, const std::string& key, std::size_t limit) {
  auto text = body.optionalString(key);
  if (text && text->size() > limit) throw ApiError::invalidField(fmt::format("'{}' is longer than {} bytes", key, limit));
  return text;
}

// The thread a post names: its pane's, or a named one.
ThreadIdentity threadOf(const JsonBody& body, const DaemonRecord& daemon) {
  ThreadIdentity thread;
  thread.paneLabel = boundedText(body, "paneLabel", 200);
  thread.agentColor = boundedText(body, "agentColor", 40);
  const auto agent = boundedText(body, "agent", 200);
  if (const auto name = body.optionalString("thread")) {
    const auto slug = InboxRules::namedSlug(*name);
    if (!slug) {
      throw ApiError::invalidField("'thread' must be 1 to 64 letters, digits, '-', '_' or '.' (and not start with 'pane-')");
    }
    thread.slug = *slug;
    thread.agentDisplay = agent.value_or(*name);
  }
  if (const auto pane = body.optionalString("paneId")) {
    const auto slug = InboxRules::paneSlug(daemon.id, *pane);
    if (!slug) throw ApiError::invalidField("'paneId' must be a tmux pane id such as %3");
    thread.paneId = *pane;
    thread.daemonId = daemon.id;
    if (thread.slug.empty()) {
      thread.slug = *slug;
      thread.agentDisplay =
          agent.value_or(thread.paneLabel.value_or(fmt::format("{} {}", daemon.machineName.value_or("machine"), *pane)));
    }
  }
  if (thread.slug.empty()) throw ApiError::invalidField("a message needs 'paneId' (the agent's pane) or 'thread'");
  return thread;
}

// The optional structured payload, read strictly with the inbox records.
std::optional<inbox::InboxPayload> payloadOf(const JsonBody& body) {
  const auto found = body.json().find("payload");
  if (found == body.json().end() || found->is_null()) return std::nullopt;
  try {
    return inbox::InboxPayload::fromJson(*found);
  } catch (const control_plane::DecodingError& error) {
    throw ApiError::invalidField(fmt::format("'payload' is not an inbox payload: {}", error.what()));
  }
}

HttpResponse posted(ApiCall& call, std::int64_t userId, const ThreadIdentity& thread, InboxMessage message) {
  const InboxMessage stored = call.context.store.addMessage(userId, thread, std::move(message));
  publishInboxChange(call.context, userId, InboxEvents::message, {{"slug", thread.slug}, {"id", stored.id}});
  return HttpResponse::json(200, {{"id", static_cast<std::int64_t>(stored.id)}, {"slug", thread.slug}, {"message", stored.toJson()}});
}

net::awaitable<HttpResponse> postMessage(ApiCall call) {
  const DaemonRecord daemon = requireAgent(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  const ThreadIdentity thread = threadOf(body, daemon);
  InboxMessage message;
  message.body = body.requireString("body");
  if (message.body.empty() || message.body.size() > InboxRules::kMaxTextLength) {
    throw ApiError::invalidField("'body' must have 1 to 65536 bytes");
  }
  message.title = boundedText(body, "title", 500);
  message.kind = body.optionalString("kind").value_or(std::string(inbox::MessageKind::message));
  if (!inbox::MessageKind::isKnown(message.kind)) throw ApiError::invalidField("'kind' must be \"message\" or \"report\"");
  message.payload = payloadOf(body);
  if (message.payload && message.payload->decision) {
    throw ApiError::invalidField("a decision is posted to /api/agent/decisions");
  }
  co_return posted(call, daemon.userId, thread, std::move(message));
}

net::awaitable<HttpResponse> postDecision(ApiCall call) {
  const DaemonRecord daemon = requireAgent(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  const ThreadIdentity thread = threadOf(body, daemon);
  inbox::Decision decision;
  decision.question = body.requireString("question");
  if (decision.question.empty() || decision.question.size() > 4000) {
    throw ApiError::invalidField("'question' must have 1 to 4000 bytes");
  }
  const auto options = body.json().find("options");
  if (options == body.json().end() || !options->is_array() || options->size() < 2 || options->size() > 12) {
    throw ApiError::invalidField("'options' must be a list of 2 to 12 options");
  }
  try {
    decision.options = control_plane::json_codec::decode<std::vector<inbox::DecisionOption>>(*options, "options");
  } catch (const control_plane::DecodingError& error) {
    throw ApiError::invalidField(fmt::format("'options': {}", error.what()));
  }
  for (std::size_t i = 0; i < decision.options.size(); ++i) {
    const auto& option = decision.options[i];
    if (option.k.empty() || option.k.size() > 64 || option.label.empty() || option.label.size() > 200) {
      throw ApiError::invalidField("every option needs a key of 1 to 64 bytes and a label of 1 to 200");
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (decision.options[j].k == option.k) throw ApiError::invalidField(fmt::format("option '{}' appears twice", option.k));
    }
  }
  decision.recommended = body.optionalString("recommended");
  if (decision.recommended && !decision.option(*decision.recommended)) {
    throw ApiError::invalidField("'recommended' must be one of the options' keys");
  }
  decision.deadline = boundedText(body, "deadline", 64);
  decision.key = boundedText(body, "key", 200);
  decision.taskId = boundedText(body, "taskId", 64);
  InboxMessage message;
  message.title = boundedText(body, "title", 500);
  message.body = boundedText(body, "body", InboxRules::kMaxTextLength).value_or(decision.question);
  inbox::InboxPayload payload;
  payload.card = "decision";
  payload.decision = std::move(decision);
  message.payload = std::move(payload);
  HttpResponse response = posted(call, daemon.userId, thread, std::move(message));
  co_return response;
}

nlohmann::json decisionState(const std::string& slug, const InboxMessage& message) {
  const inbox::Decision& decision = *message.decision();
  nlohmann::json state = {{"id", static_cast<std::int64_t>(message.id)}, {"slug", slug}, {"state", decision.state}};
  if (decision.answer) {
    state["answer"] = decision.answer->toJson();
    if (const auto* option = decision.option(decision.answer->k)) state["label"] = option->label;
  }
  if (decision.withdrawnWhy) state["withdrawnWhy"] = *decision.withdrawnWhy;
  return state;
}

net::awaitable<HttpResponse> getDecision(ApiCall call) {
  const DaemonRecord daemon = requireAgent(call);
  std::int64_t id = 0;
  const std::string& text = call.params.at("id");
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (error != std::errc() || end != text.data() + text.size() || id <= 0) throw ApiError::notFound("no such decision");
  const std::int64_t wait = queryInteger(call.request, "wait", 0, kMaxWaitSeconds).value_or(0);
  // Listen before looking, so an answer between the look and the wait is not missed.
  const auto subscription = wait > 0 ? call.context.inboxHub.subscribe(daemon.userId) : nullptr;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(wait);
  for (;;) {
    const auto found = call.context.store.findMessage(daemon.userId, id);
    if (!found || !found->second.decision()) throw ApiError::notFound("no such decision");
    const auto& [slug, message] = *found;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (!message.hasOpenDecision() || !subscription || left.count() <= 0) {
      co_return HttpResponse::json(200, decisionState(slug, message));
    }
    auto waiting = subscription->next(left);
    co_await std::move(waiting);
  }
}

net::awaitable<HttpResponse> postNotification(ApiCall call) {
  const DaemonRecord daemon = requireAgent(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  inbox::PlatformNotification notification;
  notification.title = body.requireString("title");
  notification.body = boundedText(body, "body", InboxRules::kMaxTextLength).value_or("");
  if (notification.title.empty() || notification.title.size() > 500) throw ApiError::invalidField("'title' must have 1 to 500 bytes");
  notification.kind = boundedText(body, "kind", 40).value_or("agent");
  notification.paneId = boundedText(body, "paneId", 16);
  notification.paneLabel = boundedText(body, "paneLabel", 200);
  const auto stored = call.context.store.addNotification(daemon.userId, notification);
  publishInboxChange(call.context, daemon.userId, InboxEvents::notification, {{"id", stored.id}});
  co_return HttpResponse::json(200, {{"id", stored.id}});
}

net::awaitable<HttpResponse> postFile(ApiCall call) {
  const DaemonRecord daemon = requireAgent(call);
  const MultipartForm form = MultipartForm::parse(call.request.header("content-type").value_or(""), call.request.body);
  const auto files = form.files("file");
  if (files.size() != 1) throw ApiError::invalidField("the upload needs exactly one file named 'file'");
  const FormPart& part = *files.front();
  std::string filename = part.fileName.value_or("file");
  if (const auto slash = filename.find_last_of("/\\"); slash != std::string::npos) filename = filename.substr(slash + 1);
  if (filename.empty() || filename.size() > 255) filename = "file";
  const std::string mimeType = part.contentType.empty() ? "application/octet-stream" : part.contentType;
  const std::string token = keepSharedFile(call.context, daemon.userId, filename, mimeType, std::string(part.bytes));
  inbox::PlatformNotification notification;
  notification.title = form.field("title").value_or(filename);
  notification.body = form.field("body").value_or("");
  notification.kind = "file";
  notification.file = inbox::FileNotificationPayload{token, filename, static_cast<std::int64_t>(part.bytes.size()), mimeType};
  notification.paneId = form.field("paneId");
  notification.paneLabel = form.field("paneLabel");
  const auto stored = call.context.store.addNotification(daemon.userId, notification);
  publishInboxChange(call.context, daemon.userId, InboxEvents::notification, {{"id", stored.id}});
  co_return HttpResponse::json(200, {{"token", token}, {"notificationId", stored.id}, {"path", "/api/files/" + token}});
}

}  // namespace

void addAgentRoutes(ApiRouter& router) {
  router.add("POST", "/api/agent/messages", {postMessage});
  router.add("POST", "/api/agent/decisions", {postDecision});
  router.add("GET", "/api/agent/decisions/{id}", {getDecision});
  router.add("POST", "/api/agent/notifications", {postNotification});
  router.add("POST", "/api/agent/files", {postFile});
}

}  // namespace vesket::relay_service
