// Accounts and identity: GET /api/health, POST /api/auth/register-public,
// POST /api/auth/login, POST /api/auth/google, POST /api/auth/apple, GET /api/auth/me.
#include <fmt/format.h>

#include "relay_service/api/endpoint_families.h"
#include "relay_service/api/password_service.h"
#include "relay_service/core/account_rules.h"
#include "relay_service/core/account_token.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/json_body.h"
#include "relay_service/store/relay_store.h"

namespace vesket::relay_service {
namespace {

namespace net = boost::asio;

HttpResponse signedIn(ApiCall& call, const UserRecord& user) {
  const AccountClaims claims = AccountToken::issue(user.id, std::nullopt, call.context.nowSeconds());
  return HttpResponse::json(200, AccountJson::authResponse(AccountToken::sign(claims, call.context.tokenSecret), user));
}

net::awaitable<HttpResponse> health(ApiCall call) {
  co_return HttpResponse::json(200, {{"ok", true}, {"version", call.context.config.version}, {"time", call.context.nowMs()}});
}

net::awaitable<HttpResponse> registerPublic(ApiCall call) {
  const RegisterRequest request = RegisterRequest::fromBody(JsonBody::parse(call.request.body));
  call.context.checkRate(RateClass::signIn, "account|" + request.email);
  if (call.context.store.findUserByLogin(request.email)) {
    throw ApiError(409, "account_exists", "an account with this address exists already; sign in instead");
  }
  auto hashing = call.context.passwords.hash(request.password);
  const std::string hash = co_await std::move(hashing);
  const auto user = call.context.store.createUser(NewUser{std::nullopt, request.email, hash});
  if (!user) throw ApiError(409, "account_exists", "an account with this address exists already; sign in instead");
  call.context.log(fmt::format("account {} registered", user->id));
  co_return signedIn(call, *user);
}

net::awaitable<HttpResponse> login(ApiCall call) {
  const LoginRequest request = LoginRequest::fromBody(JsonBody::parse(call.request.body));
  call.context.checkRate(RateClass::signIn, "account|" + request.login);
  const auto user = call.context.store.findUserByLogin(request.login);
  auto checking = call.context.passwords.verify(user ? user->passwordHash : std::nullopt, request.password);
  const bool matches = co_await std::move(checking);
  if (!matches) throw ApiError(401, "invalid_credentials", "invalid username or password");
  co_return signedIn(call, *user);
}

net::awaitable<HttpResponse> google(ApiCall call) {
  const JsonBody body = JsonBody::parse(call.request.body);
  body.requireString("id_token");
  if (call.context.config.googleClientIds.empty()) {
    throw ApiError(501, "provider_not_configured", "Google sign-in is not configured on this relay");
  }
  throw ApiError(501, "provider_not_configured", "Google sign-in is not available on this relay yet");
  co_return HttpResponse{};
}

net::awaitable<HttpResponse> apple(ApiCall call) {
  const JsonBody body = JsonBody::parse(call.request.body);
  body.requireString("identity_token");
  if (call.context.config.appleClientIds.empty()) {
    throw ApiError(501, "provider_not_configured", "Sign in with Apple is not configured on this relay");
  }
  throw ApiError(501, "provider_not_configured", "Sign in with Apple is not available on this relay yet");
  co_return HttpResponse{};
}

net::awaitable<HttpResponse> me(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  co_return HttpResponse::json(200, AccountJson::user(account.user));
}

}  // namespace

void addAccountRoutes(ApiRouter& router) {
  router.add("GET", "/api/health", {health, RateClass::general});
  router.add("POST", "/api/auth/register-public", {registerPublic, RateClass::signIn});
  router.add("POST", "/api/auth/login", {login, RateClass::signIn});
  router.add("POST", "/api/auth/google", {google, RateClass::signIn});
  router.add("POST", "/api/auth/apple", {apple, RateClass::signIn});
  router.add("GET", "/api/auth/me", {me, RateClass::general});
}

}  // namespace vesket::relay_service
