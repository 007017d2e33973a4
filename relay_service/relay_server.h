#pragma once

// One relay node, wired: the data directory, the store, the daemon links, the API and the
// transport, served by worker threads that each run an io_context of their own. The program
// (relay_program.cpp) and the in-process tests start it the same way.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "relay_service/core/relay_options.h"

namespace vesket::relay_service {

class DaemonRegistry;
class RelayStore;

class RelayServer {
 public:
  using Log = std::function<void(const std::string&)>;

  // Opens the data directory and the database (migrating it). Throws std::runtime_error
  // (or SchemaTooNew) with a message for the operator.
  RelayServer(RelayOptions options, Log log);
  ~RelayServer();

  // Starts listening and the worker threads; returns the bound port.
  std::uint16_t start();
  // Graceful stop: no new connections, links closed with a close frame, requests in
  // progress get up to `grace`; then the threads end and the database is checkpointed.
  void stop(std::chrono::milliseconds grace = std::chrono::seconds(5));

  DaemonRegistry& registry();
  RelayStore& store();

 private:
  struct Parts;
  std::unique_ptr<Parts> m_parts;
};

}  // namespace vesket::relay_service
