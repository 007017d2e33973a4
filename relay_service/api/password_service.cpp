#include "relay_service/api/password_service.h"

#include <boost/asio/co_spawn.hpp>
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
    : m_cost(cost), m_decoyHash(PasswordHash::hash("decoy password", cost)), m_pool(std::make_unique<Pool>(threads)) {}

PasswordService::~PasswordService() {
  m_pool->pool.join();
}

net::awaitable<std::string> PasswordService::hash(std::string password) {
  auto work = net::co_spawn(m_pool->pool, hashOnPool(std::move(password), m_cost), net::use_awaitable);
  co_return co_await std::move(work);
}

net::awaitable<bool> PasswordService::verify(std::optional<std::string> hash, std::string password) {
  const bool known = hash.has_value();
  auto work = net::co_spawn(m_pool->pool, verifyOnPool(known ? std::move(*hash) : m_decoyHash, std::move(password)),
                            net::use_awaitable);
  const bool matches = co_await std::move(work);
  co_return known && matches;
}

}  // namespace vesket::relay_service
