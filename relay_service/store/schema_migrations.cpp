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
    {2, R"sql(
-- Devices of an account and their approval requests.
CREATE TABLE devices (
  user_id                     INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
  device_id                   TEXT NOT NULL,
  platform                    TEXT NOT NULL,
  device_name                 TEXT NOT NULL,
  app_version                 TEXT NOT NULL,
  app_build                   TEXT NOT NULL,
  status                      TEXT NOT NULL,
  request_id                  TEXT UNIQUE,
  fingerprint                 TEXT NOT NULL,
  prior_status                TEXT NOT NULL,
  request_count               INTEGER NOT NULL,
  requested_at_ms             INTEGER,
  expires_at_ms               INTEGER,
  denied_until_ms             INTEGER,
  approved_at_ms              INTEGER,
  approval_scope              TEXT,
  last_ip                     TEXT,
  created_at_ms               INTEGER NOT NULL,
  last_seen_at_ms             INTEGER,
  tokens_valid_after          INTEGER NOT NULL,
  recovery_code_digest        TEXT,
  recovery_code_expires_at_ms INTEGER,
  recovery_attempts           INTEGER NOT NULL,
  recovery_ready_at_ms        INTEGER,
  PRIMARY KEY (user_id, device_id)
);

-- Pairings of daemons waiting to be claimed (qr, init, code). Secrets as SHA-256 digests;
-- a minted daemon token waits here only until its machine collects it.
CREATE TABLE pairings (
  id                 INTEGER PRIMARY KEY,
  kind               TEXT NOT NULL,
  poll_digest        TEXT UNIQUE,
  claim_digest       TEXT UNIQUE,
  short_code         TEXT UNIQUE,
  user_id            INTEGER REFERENCES users(id) ON DELETE CASCADE,
  machine_uuid       TEXT,
  machine_name       TEXT,
  agent_cli_found    INTEGER NOT NULL,
  tmux_installed     INTEGER NOT NULL,
  created_at_ms      INTEGER NOT NULL,
  expires_at_ms      INTEGER NOT NULL,
  claimed_at_ms      INTEGER,
  daemon_id          INTEGER,
  undelivered_token  TEXT,
  delivered          INTEGER NOT NULL
);
)sql"},
    {3, R"sql(
-- The inbox: one thread per agent (a pane of a daemon, or a named thread), its messages
-- (the whole record as JSON beside the columns the lists need), notifications and the
-- files agents share (kept until they expire; only the SHA-256 of a file's token).
CREATE TABLE inbox_threads (
  user_id        INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
  slug           TEXT NOT NULL,
  agent_display  TEXT NOT NULL,
  agent_color    TEXT,
  pane_id        TEXT,
  pane_label     TEXT,
  daemon_id      INTEGER,
  ended_at_ms    INTEGER,
  last_read_id   INTEGER NOT NULL DEFAULT 0,
  created_at_ms  INTEGER NOT NULL,
  PRIMARY KEY (user_id, slug)
);
CREATE TABLE inbox_messages (
  id             INTEGER PRIMARY KEY,
  user_id        INTEGER NOT NULL,
  slug           TEXT NOT NULL,
  direction      TEXT NOT NULL,
  preview        TEXT NOT NULL,
  open_decision  INTEGER NOT NULL,
  created_at_ms  INTEGER NOT NULL,
  record         TEXT NOT NULL,
  FOREIGN KEY (user_id, slug) REFERENCES inbox_threads(user_id, slug) ON DELETE CASCADE
);
CREATE INDEX inbox_messages_by_thread ON inbox_messages (user_id, slug, id);
CREATE TABLE notifications (
  seq            INTEGER PRIMARY KEY,
  id             TEXT NOT NULL UNIQUE,
  user_id        INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
  read           INTEGER NOT NULL DEFAULT 0,
  created_at_ms  INTEGER NOT NULL,
  record         TEXT NOT NULL
);
CREATE INDEX notifications_by_user ON notifications (user_id, seq);
CREATE TABLE shared_files (
  token_digest   TEXT PRIMARY KEY,
  user_id        INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
  filename       TEXT NOT NULL,
  mime_type      TEXT NOT NULL,
  size           INTEGER NOT NULL,
  created_at_ms  INTEGER NOT NULL,
  expires_at_ms  INTEGER NOT NULL,
  bytes          BLOB
);

-- The task board: tasks (the record as JSON beside what the feed filters on) and their
-- events.
CREATE TABLE tasks (
  seq            INTEGER PRIMARY KEY,
  id             TEXT NOT NULL UNIQUE,
  user_id        INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
  parent_id      TEXT,
  record         TEXT NOT NULL
);
CREATE INDEX tasks_by_user ON tasks (user_id, seq);
CREATE TABLE task_events (
  seq            INTEGER PRIMARY KEY,
  task_id        TEXT NOT NULL REFERENCES tasks(id) ON DELETE CASCADE,
  record         TEXT NOT NULL
);
CREATE INDEX task_events_by_task ON task_events (task_id, seq);
)sql"},
    {4, R"sql(
-- Routing configurations of an account: one per project, "*" for the global one, as the
-- JSON the application wrote.
CREATE TABLE routing_configs (
  user_id        INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
  project        TEXT NOT NULL,
  body           TEXT NOT NULL,
  updated_at_ms  INTEGER NOT NULL,
  PRIMARY KEY (user_id, project)
);
)sql"},
};

}  // namespace

std::span<const Migration> relaySchemaMigrations() { return kMigrations; }

}  // namespace vesket::relay_service
