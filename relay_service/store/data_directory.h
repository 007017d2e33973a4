#pragma once

// The relay's data directory (--data): created 0700, holding the database
// ("relay.sqlite3") and the secret that signs account tokens ("token-secret", 0600,
// generated on first start). Losing the secret signs everyone out; nothing else.

#include <string>

namespace vesket::relay_service {

class DataDirectory {
 public:
  // Creates the directory when missing and tightens its mode. Throws std::runtime_error
  // with a clear message when it cannot.
  explicit DataDirectory(std::string path);

  const std::string& path() const { return m_path; }
  std::string databasePath() const { return m_path + "/relay.sqlite3"; }
  std::string tokenSecretPath() const { return m_path + "/token-secret"; }

  // The token secret (32 raw bytes), created on first use.
  std::string loadOrCreateTokenSecret() const;

 private:
  std::string m_path;
};

}  // namespace vesket::relay_service
