#pragma once

// The relay's storage, one interface per family of records. The SQLite implementation
// (SqliteRelayStore) holds them all today; a PostgreSQL one can take its place behind the
// same interfaces when one machine is not enough. Further families (inbox, tasks, teams,
// routing, tunnels) join as further interfaces and migrations.

#include "relay_service/store/account_store.h"
#include "relay_service/store/daemon_store.h"
#include "relay_service/store/device_store.h"
#include "relay_service/store/inbox_record_store.h"
#include "relay_service/store/pairing_store.h"
#include "relay_service/store/routing_store.h"
#include "relay_service/store/task_store.h"

namespace vesket::relay_service {

class RelayStore : public AccountStore,
                   public DaemonStore,
                   public DeviceStore,
                   public PairingStore,
                   public InboxRecordStore,
                   public TaskStore,
                   public RoutingStore {
 public:
  // Flushes what the store buffers (the SQLite write-ahead log) before a stop.
  virtual void checkpoint() = 0;
};

}  // namespace vesket::relay_service
