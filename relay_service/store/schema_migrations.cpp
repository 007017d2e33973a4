#include "relay_service/store/schema_migrations.h"

namespace vesket::relay_service {
namespace {

constexpr Migration kMigrations[] = {
    {1, R"sql(
CREATE TABLE users (
  id             INTEGER PRIMARY KEY,
  username       TEXT UNIQUE,
  email          TEXT UNIQUE,
  password_hash  TEXT,
  created_at_ms  INTEGER NOT NULL
);

-- Sign-in identities of other providers ("google", "apple") attached to an account.
CREATE TABLE identities (
  provider       TEXT NOT NULL,
  subject        TEXT NOT NULL,
  user_id        INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
  created_at_ms  INTEGER NOT NULL,
  PRIMARY KEY (provider, subject)
);

-- Daemons paired to an account. Only the SHA-256 of a daemon's token is kept.
CREATE TABLE daemons (
  id               INTEGER PRIMARY KEY,
  user_id          INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
  machine_uuid     TEXT,
  machine_name     TEXT,
  token_digest     TEXT NOT NULL UNIQUE,
  paired_at_ms     INTEGER NOT NULL,
  last_seen_at_ms  INTEGER,
  connected        INTEGER NOT NULL DEFAULT 0,
  revoked          INTEGER NOT NULL DEFAULT 0,
  daemon_version   TEXT
);
CREATE INDEX daemons_by_user ON daemons (user_id);
)sql"},
};

}  // namespace

std::span<const Migration> relaySchemaMigrations() { return kMigrations; }

}  // namespace vesket::relay_service
