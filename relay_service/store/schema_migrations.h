#pragma once

#include <span>

#include "relay_service/store/sqlite_database.h"

namespace vesket::relay_service {

// The relay's schema, as numbered migrations in order. A migration, once released, never
// changes: a change to the schema is a new migration at the end.
std::span<const Migration> relaySchemaMigrations();

}  // namespace vesket::relay_service
