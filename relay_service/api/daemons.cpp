// Daemons and pairing.
//
//   POST /api/daemons/pair-qr-init      no account: a machine asks to be paired by QR
//   GET  /api/daemons/pair-qr-status    ?token= (the machine's poll token)
//   POST /api/daemons/pair-init         account: this machine pairs itself
//   POST /api/daemons/replace           account: a new machine takes an old one's place
//   POST /api/daemons/pair-code-init    account: a short code for a machine without a browser
//   POST /api/daemons/pair-code-claim   no account: the machine redeems the code
//   GET  /api/daemons/whoami            daemon token
//   GET  /api/daemons                   account: the account's machines
//   POST /api/daemons/{id}/revoke       account
//   GET  /api/pair/info                 account: ?token= (the claim token of a QR payload)
//   POST /api/pair/claim                account: {"token"} or {"short_code"}
#include <fmt/format.h>

#include <charconv>

#include "relay_service/api/endpoint_families.h"
#include "relay_service/api/password_service.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/json_body.h"
#include "relay_service/core/pairing_rules.h"
#include "relay_service/core/secrets.h"
#include "relay_service/link/daemon_links.h"
#include "relay_service/store/relay_store.h"

namespace vesket::relay_service {
namespace {

namespace net = boost::asio;

// A replacement without the password needs a sign-in this recent.
constexpr std::int64_t kFreshSignInSeconds = 10 * 60;

std::optional<std::string> boundedField(const JsonBody& body, const std::string& key, std::size_t limit, bool required) {
  auto text = required ? std::optional<std::string>(body.requireString(key)) : body.optionalString(key);
  if (text && (text->empty() || text->size() > limit)) {
    throw ApiError::invalidField(fmt::format("'{}' must have 1 to {} characters", key, limit));
  }
  return text;
}

std::string machineUuidField(const JsonBody& body) {
  return *boundedField(body, "machine_uuid", PairingRules::kMaxMachineUuidLength, true);
}

std::optional<std::string> machineNameField(const JsonBody& body) {
  return boundedField(body, "machine_name", PairingRules::kMaxMachineNameLength, false);
}

// Where phones reach this relay: --public-url, else the scheme and Host of the request.
std::string publicBase(ApiCall& call) {
  if (!call.context.config.publicUrl.empty()) {
    std::string base = call.context.config.publicUrl;
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base;
  }
  const std::string host(call.request.header("host").value_or("localhost"));
  return fmt::format("{}://{}", call.context.config.tls ? "https" : "http", host);
}

// A fresh pairing, retried when its short code happens to be taken.
PairingRecord createPairing(ApiCall& call, PairingRecord pairing, bool withCode) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    if (withCode) pairing.shortCode = PairingCode::generate();
    if (auto created = call.context.store.createPairing(pairing)) return std::move(*created);
  }
  throw ApiError::internal();
}

std::string pollToken(ApiCall& call) {
  const auto token = call.request.queryParam("token");
  if (!token || token->empty() || token->size() > 128) throw ApiError::invalidField("'token' is required");
  return std::string(*token);
}

void disconnectDaemon(ApiCall& call, std::int64_t daemonId, const std::string& reason) {
  call.context.links.disconnect(daemonId, reason);
}

// --- the machine's side ----------------------------------------------------------------

net::awaitable<HttpResponse> pairQrInit(ApiCall call) {
  const JsonBody body = JsonBody::parse(call.request.body);
  PairingRecord pairing;
  pairing.kind = PairingKind::qr;
  pairing.machineUuid = machineUuidField(body);
  pairing.machineName = machineNameField(body);
  pairing.agentCliFound = body.optionalBool("agent_cli_found").value_or(false);
  pairing.tmuxInstalled = body.optionalBool("tmux_installed").value_or(false);
  const std::string poll = Secrets::randomToken();
  const std::string claim = Secrets::randomToken();
  pairing.pollDigest = Secrets::sha256Hex(poll);
  pairing.claimDigest = Secrets::sha256Hex(claim);
  pairing.createdAtMs = call.context.nowMs();
  pairing.expiresAtMs = pairing.createdAtMs + PairingRules::kQrLifetimeMs;
  const PairingRecord created = createPairing(call, pairing, true);
  co_return HttpResponse::json(200, {{"token", poll},
                                     {"expires_at", PairingRules::isoTime(created.expiresAtMs)},
                                     {"qr_payload", fmt::format("{}/pair?token={}", publicBase(call), claim)},
                                     {"short_code", PairingCode::display(*created.shortCode)}});
}

net::awaitable<HttpResponse> pairQrStatus(ApiCall call) {
  const auto pairing = call.context.store.findPairingByPollDigest(Secrets::sha256Hex(pollToken(call)));
  if (!pairing) throw ApiError::notFound("no such pairing");
  if (!pairing->claimedAtMs) {
    if (call.context.nowMs() >= pairing->expiresAtMs) {
      throw ApiError(410, "pairing_expired", "this pairing code has expired; ask for a new one");
    }
    co_return HttpResponse::json(200, {{"claimed", false}});
  }
  nlohmann::json answer = {{"claimed", true}, {"daemon_id", *pairing->daemonId}, {"user_id", *pairing->userId}};
  if (const auto token = call.context.store.takeDaemonToken(pairing->id)) answer["daemon_token"] = *token;
  co_return HttpResponse::json(200, answer);
}

net::awaitable<HttpResponse> pairCodeClaim(ApiCall call) {
  const JsonBody body = JsonBody::parse(call.request.body);
  const auto code = PairingCode::normalise(body.requireString("short_code"));
  const auto machineUuid = boundedField(body, "machine_uuid", PairingRules::kMaxMachineUuidLength, false);
  const auto machineName = machineNameField(body);
  const std::int64_t now = call.context.nowMs();
  const auto pairing = code ? call.context.store.findPairingByCode(PairingKind::code, *code) : std::nullopt;
  if (!pairing || !pairing->userId) throw ApiError::notFound("no such pairing code");
  const auto verdict = PairingRules::claimVerdict(*pairing, now);
  if (verdict == PairingRules::ClaimVerdict::expired) throw ApiError(410, "pairing_expired", "this pairing code has expired");
  if (verdict == PairingRules::ClaimVerdict::alreadyClaimed) {
    throw ApiError(409, "already_claimed", "this pairing code was used already");
  }
  auto claimed = call.context.store.claimPairing(pairing->id, *pairing->userId, machineUuid, machineName, false, now);
  if (!claimed) throw ApiError(409, "already_claimed", "this pairing code was used already");
  disconnectDaemon(call, claimed->daemon.daemon.id, "paired again");
  call.context.log(fmt::format("daemon {} paired to account {} by code", claimed->daemon.daemon.id, *pairing->userId));
  co_return HttpResponse::json(200, {{"daemon_token", claimed->daemon.token},
                                     {"daemon_id", claimed->daemon.daemon.id},
                                     {"user_id", *pairing->userId}});
}

net::awaitable<HttpResponse> whoami(ApiCall call) {
  const DaemonRecord daemon = requireDaemonToken(call);
  co_return HttpResponse::json(200, {{"user_id", daemon.userId}, {"daemon_id", daemon.id}, {"revoked", daemon.revoked}});
}

// --- the account's side ----------------------------------------------------------------

nlohmann::json candidateJson(const DaemonRecord& daemon) {
  return {{"id", daemon.id},
          {"machine_name", daemon.machineName ? nlohmann::json(*daemon.machineName) : nlohmann::json(nullptr)},
          {"last_seen_at", daemon.lastSeenAtMs ? nlohmann::json(PairingRules::isoTime(*daemon.lastSeenAtMs))
                                               : nlohmann::json(nullptr)}};
}

net::awaitable<HttpResponse> pairInit(ApiCall call) {
  const AuthenticatedAccount account = requireApprovedDevice(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  const std::string machineUuid = machineUuidField(body);
  const auto machineName = machineNameField(body);
  // A new machine joins an account that has machines only through a phone (or by taking
  // an old machine's place): a password alone must not attach a machine to them.
  nlohmann::json candidates = nlohmann::json::array();
  bool sameMachine = false;
  for (const DaemonRecord& daemon : call.context.store.listDaemons(account.user.id)) {
    if (daemon.revoked) continue;
    if (daemon.machineUuid == machineUuid) sameMachine = true;
    candidates.push_back(candidateJson(daemon));
  }
  if (!sameMachine && !candidates.empty()) {
    throw ApiError(403, "phone_pairing_required",
                   "this account has machines already: pair this one from your phone, or replace an old one")
        .with("recovery_candidates", std::move(candidates));
  }
  PairingRecord pairing;
  pairing.kind = PairingKind::init;
  pairing.machineUuid = machineUuid;
  pairing.machineName = machineName;
  const std::string poll = Secrets::randomToken();
  pairing.pollDigest = Secrets::sha256Hex(poll);
  pairing.createdAtMs = call.context.nowMs();
  pairing.expiresAtMs = pairing.createdAtMs + PairingRules::kQrLifetimeMs;
  const PairingRecord created = createPairing(call, pairing, false);
  const auto claimed = call.context.store.claimPairing(created.id, account.user.id, machineUuid, machineName, true,
                                                       pairing.createdAtMs);
  if (!claimed) throw ApiError::internal();
  disconnectDaemon(call, claimed->daemon.daemon.id, "paired again");
  co_return HttpResponse::json(200, {{"token", poll}, {"expires_at", PairingRules::isoTime(created.expiresAtMs)}});
}

net::awaitable<HttpResponse> replace(ApiCall call) {
  const AuthenticatedAccount account = requireApprovedDevice(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  const std::int64_t oldId = body.requireInteger("old_daemon_id");
  const std::string machineUuid = machineUuidField(body);
  const auto machineName = machineNameField(body);
  const auto password = body.optionalString("password");
  const DaemonRecord old = requireOwnedDaemon(call, account, oldId);
  if (call.context.nowSeconds() - account.issuedAt > kFreshSignInSeconds) {
    if (!password) {
      throw ApiError(403, "password_required", "Sign in again, or enter your account password to replace this Mac.");
    }
    call.context.checkRate(RateClass::signIn, fmt::format("account|{}", account.user.id));
    auto checking = call.context.passwords.verify(account.user.passwordHash, *password);
    const bool matches = co_await std::move(checking);
    if (!matches) throw ApiError(403, "invalid_password", "the account password is not right");
  }
  call.context.store.revokeDaemon(old.id);
  disconnectDaemon(call, old.id, "replaced by another machine");
  const PairedDaemon paired = call.context.store.pairDaemon(account.user.id, machineUuid, machineName);
  call.context.log(fmt::format("daemon {} of account {} replaced by daemon {}", old.id, account.user.id, paired.daemon.id));
  co_return HttpResponse::json(200, {{"daemon_token", paired.token}, {"daemon_id", paired.daemon.id}});
}

net::awaitable<HttpResponse> pairCodeInit(ApiCall call) {
  const AuthenticatedAccount account = requireApprovedDevice(call);
  PairingRecord pairing;
  pairing.kind = PairingKind::code;
  pairing.userId = account.user.id;
  pairing.createdAtMs = call.context.nowMs();
  pairing.expiresAtMs = pairing.createdAtMs + PairingRules::kCodeLifetimeMs;
  const PairingRecord created = createPairing(call, pairing, true);
  co_return HttpResponse::json(200, {{"short_code", PairingCode::display(*created.shortCode)},
                                     {"expires_at", PairingRules::isoTime(created.expiresAtMs)}});
}

net::awaitable<HttpResponse> listDaemons(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  nlohmann::json list = nlohmann::json::array();
  for (const DaemonRecord& daemon : call.context.store.listDaemons(account.user.id)) {
    list.push_back({{"id", daemon.id},
                    {"machineName", daemon.machineName ? nlohmann::json(*daemon.machineName) : nlohmann::json(nullptr)},
                    {"lastSeenAt", daemon.lastSeenAtMs ? nlohmann::json(PairingRules::isoTime(*daemon.lastSeenAtMs))
                                                       : nlohmann::json(nullptr)},
                    {"pairedAt", PairingRules::isoTime(daemon.pairedAtMs)},
                    {"connected", !daemon.revoked && call.context.links.isConnected(daemon.id)},
                    {"revoked", daemon.revoked},
                    {"daemonVersion", daemon.daemonVersion ? nlohmann::json(*daemon.daemonVersion) : nlohmann::json(nullptr)},
                    {"capabilities", nullptr}});
  }
  co_return HttpResponse::json(200, list);
}

net::awaitable<HttpResponse> revokeDaemon(ApiCall call) {
  const AuthenticatedAccount account = requireApprovedDevice(call);
  const std::string& text = call.params.find("id")->second;
  std::int64_t id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (error != std::errc() || end != text.data() + text.size() || id <= 0) {
    throw ApiError::invalidField("the daemon id must be a positive number");
  }
  const DaemonRecord daemon = requireOwnedDaemon(call, account, id);
  call.context.store.revokeDaemon(daemon.id);
  disconnectDaemon(call, daemon.id, "revoked");
  call.context.log(fmt::format("daemon {} of account {} revoked", daemon.id, account.user.id));
  co_return HttpResponse::json(200, {{"ok", true}, {"revoked", true}});
}

// The QR pairing behind a claim token or a typed short code, as the claiming page sees it.
PairingRecord findClaimable(ApiCall& call, const JsonBody* body) {
  std::optional<PairingRecord> pairing;
  if (body == nullptr || body->optionalString("token")) {
    const std::string token = body ? body->requireString("token") : pollToken(call);
    if (token.size() <= 128) pairing = call.context.store.findPairingByClaimDigest(Secrets::sha256Hex(token));
  } else {
    const auto code = PairingCode::normalise(body->requireString("short_code"));
    if (code) pairing = call.context.store.findPairingByCode(PairingKind::qr, *code);
  }
  if (!pairing) throw ApiError::notFound("no such pairing code");
  return std::move(*pairing);
}

net::awaitable<HttpResponse> pairInfo(ApiCall call) {
  requireApprovedDevice(call);
  const PairingRecord pairing = findClaimable(call, nullptr);
  const auto verdict = PairingRules::claimVerdict(pairing, call.context.nowMs());
  co_return HttpResponse::json(
      200, {{"machine_name", pairing.machineName ? nlohmann::json(*pairing.machineName) : nlohmann::json(nullptr)},
            {"expires_at", PairingRules::isoTime(pairing.expiresAtMs)},
            {"claimed", verdict == PairingRules::ClaimVerdict::alreadyClaimed},
            {"expired", verdict == PairingRules::ClaimVerdict::expired},
            {"agent_cli_found", pairing.agentCliFound},
            {"tmux_installed", pairing.tmuxInstalled}});
}

net::awaitable<HttpResponse> pairClaim(ApiCall call) {
  const AuthenticatedAccount account = requireApprovedDevice(call);
  call.context.checkRate(RateClass::pairingClaim, fmt::format("user|{}", account.user.id));
  const JsonBody body = JsonBody::parse(call.request.body);
  const PairingRecord pairing = findClaimable(call, &body);
  const std::int64_t now = call.context.nowMs();
  const auto verdict = PairingRules::claimVerdict(pairing, now);
  if (verdict == PairingRules::ClaimVerdict::expired) {
    throw ApiError(410, "pairing_expired", "this pairing code has expired; show a new one on the machine");
  }
  if (verdict == PairingRules::ClaimVerdict::alreadyClaimed) {
    throw ApiError(409, "already_claimed", "this machine was paired already with this code");
  }
  auto claimed = call.context.store.claimPairing(pairing.id, account.user.id, pairing.machineUuid, pairing.machineName,
                                                 true, now);
  if (!claimed) throw ApiError(409, "already_claimed", "this machine was paired already with this code");
  disconnectDaemon(call, claimed->daemon.daemon.id, "paired again");
  call.context.log(fmt::format("daemon {} paired to account {} by QR", claimed->daemon.daemon.id, account.user.id));
  co_return HttpResponse::json(
      200, {{"claimed", true},
            {"daemon_id", claimed->daemon.daemon.id},
            {"machine_name", pairing.machineName ? nlohmann::json(*pairing.machineName) : nlohmann::json(nullptr)}});
}

}  // namespace

void addDaemonRoutes(ApiRouter& router) {
  router.add("POST", "/api/daemons/pair-qr-init", {pairQrInit, RateClass::signIn});
  router.add("GET", "/api/daemons/pair-qr-status", {pairQrStatus, RateClass::general});
  router.add("POST", "/api/daemons/pair-init", {pairInit, RateClass::general});
  router.add("POST", "/api/daemons/replace", {replace, RateClass::general});
  router.add("POST", "/api/daemons/pair-code-init", {pairCodeInit, RateClass::general});
  router.add("POST", "/api/daemons/pair-code-claim", {pairCodeClaim, RateClass::pairingClaim});
  router.add("GET", "/api/daemons/whoami", {whoami, RateClass::general});
  router.add("GET", "/api/daemons", {listDaemons, RateClass::general});
  router.add("POST", "/api/daemons/{id}/revoke", {revokeDaemon, RateClass::general});
  router.add("GET", "/api/pair/info", {pairInfo, RateClass::general});
  router.add("POST", "/api/pair/claim", {pairClaim, RateClass::pairingClaim});
}

}  // namespace vesket::relay_service
