#pragma once

// Password hashing off the connection threads: argon2id takes a tenth of a second and
// 64 MiB by design, so it runs on a small pool of its own and the connection's coroutine
// resumes when it is done.

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <boost/asio/awaitable.hpp>

#include "relay_service/core/password_hash.h"

namespace vesket::relay_service {

class PasswordService {
 public:
  PasswordService(PasswordHashCost cost, std::size_t threads);
  ~PasswordService();

  boost::asio::awaitable<std::string> hash(std::string password);
  // Checks a password against a stored hash. Without a hash (no such account) the check
  // runs against a decoy hash, so an unknown account takes as long as a wrong password.
  // The decoy is made on the pool in the background, not at start-up.
  boost::asio::awaitable<bool> verify(std::optional<std::string> hash, std::string password);

 private:
  struct Pool;
  const std::string& decoyHash();

  PasswordHashCost m_cost;
  std::once_flag m_decoyOnce;
  std::string m_decoyHash;
  std::unique_ptr<Pool> m_pool;
};

}  // namespace vesket::relay_service
