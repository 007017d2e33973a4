#include "relay_service/api/password_service.h"

#include <boost/asio/co_spawn.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/asio/use_awaitable.hpp>

namespace vesket::relay_service {

namespace net = boost::asio;

struct PasswordService::Pool {
  explicit Pool(std::size_t threads) : pool(threads) {}
  net::thread_pool pool;
};

namespace {

net::awaitable<std::string> hashOnPool(std::string password, PasswordHashCost cost) {
  co_return PasswordHash::hash(password, cost);
}

net::awaitable<bool> verifyOnPool(std::string hash, std::string password) {
  co_return PasswordHash::verify(hash, password);
}

}  // namespace

PasswordService::PasswordService(PasswordHashCost cost, std::size_t threads)
    : m_cost(cost), m_pool(std::make_unique<Pool>(threads)) {
  // Made in the background so start-up does not wait for a full argon2id round.
  net::post(m_pool->pool, [this] { decoyHash(); });
}

PasswordService::~PasswordService() {
  m_pool->pool.join();
}

net::awaitable<std::string> PasswordService::hash(std::string password) {
  auto work = net::co_spawn(m_pool->pool, hashOnPool(std::move(password), m_cost), net::use_awaitable);
  co_return co_await std::move(work);
}

net::awaitable<bool> PasswordService::verify(std::optional<std::string> hash, std::string password) {
  if (hash) co_return co_await net::co_spawn(m_pool->pool, verifyOnPool(std::move(*hash), std::move(password)), net::use_awaitable);
  // The lambda lives in this frame until the awaited check ends.
  auto decoy = [this, password = std::move(password)]() -> net::awaitable<bool> {
    (void)PasswordHash::verify(decoyHash(), password);
    co_return false;
  };
  co_return co_await net::co_spawn(m_pool->pool, decoy(), net::use_awaitable);
}

const std::string& PasswordService::decoyHash() {
  std::call_once(m_decoyOnce, [this] { m_decoyHash = PasswordHash::hash("decoy password", m_cost); });
  return m_decoyHash;
}

}  // namespace vesket::relay_service
