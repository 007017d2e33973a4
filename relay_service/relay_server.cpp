#include "relay_service/relay_server.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "relay_service/api/password_service.h"
#include "relay_service/api/relay_api.h"
#include "relay_service/http/http_server.h"
#include "relay_service/link/daemon_registry.h"
#include "relay_service/store/data_directory.h"
#include "relay_service/store/sqlite_relay_store.h"

#ifndef VESKET_RELAY_VERSION
#define VESKET_RELAY_VERSION "0.0.0"
#endif

namespace vesket::relay_service {

namespace net = boost::asio;

namespace {

std::int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

int threadCount(const RelayOptions& options) {
  if (options.threads > 0) return options.threads;
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

ApiConfig apiConfig(const RelayOptions& options) {
  ApiConfig config;
  config.version = VESKET_RELAY_VERSION;
  config.signInPerMinute = options.signInPerMinute;
  config.requestsPerMinute = options.requestsPerMinute;
  config.pairingClaimsPerMinute = options.pairingClaimsPerMinute;
  config.googleClientIds = options.googleClientIds;
  config.appleClientIds = options.appleClientIds;
  config.requireDeviceEnrolment = options.requireDeviceEnrolment;
  config.publicUrl = options.publicUrl;
  config.tls = options.tlsCertFile.has_value();
  config.mailCommand = options.mailCommand;
  config.recoveryWaitSeconds = options.recoveryWaitSeconds;
  config.inboxHeartbeatMs = std::int64_t{options.inboxHeartbeatSeconds} * 1000;
  config.releasesDir = options.releasesDir;
  return config;
}

}  // namespace

struct RelayServer::Parts {
  Parts(RelayOptions relayOptions, Log logFunction)
      : options(std::move(relayOptions)),
        log(std::move(logFunction)),
        data(options.dataDir),
        store(data.databasePath(), nowMs),
        registry(store, nowMs),
        passwords(options.passwordHashCost, 2),
        context(store, registry, passwords, data.loadOrCreateTokenSecret(), apiConfig(options), nowMs, log),
        api(context, registry),
        contexts(makeContexts(threadCount(options))),
        http(contextPointers(), httpOptions(), api) {
    store.clearPresence();
  }

  // One io_context per worker thread, each told it has one thread (posting within it
  // takes no lock and wakes nobody).
  static std::vector<std::unique_ptr<net::io_context>> makeContexts(int count) {
    std::vector<std::unique_ptr<net::io_context>> made;
    for (int i = 0; i < count; ++i) made.push_back(std::make_unique<net::io_context>(1));
    return made;
  }

  std::vector<net::io_context*> contextPointers() const {
    std::vector<net::io_context*> pointers;
    for (const auto& context : contexts) pointers.push_back(context.get());
    return pointers;
  }

  HttpServer::Options httpOptions() const {
    HttpServer::Options http;
    http.listen = options.listen;
    http.tlsCertFile = options.tlsCertFile;
    http.tlsKeyFile = options.tlsKeyFile;
    http.log = log;
    return http;
  }

  RelayOptions options;
  Log log;
  DataDirectory data;
  SqliteRelayStore store;
  DaemonRegistry registry;
  PasswordService passwords;
  ApiContext context;
  RelayApi api;
  std::vector<std::unique_ptr<net::io_context>> contexts;
  HttpServer http;
  std::vector<net::executor_work_guard<net::io_context::executor_type>> work;
  std::vector<std::thread> threads;
  bool stopped = false;
};

RelayServer::RelayServer(RelayOptions options, Log log)
    : m_parts(std::make_unique<Parts>(std::move(options), std::move(log))) {}

RelayServer::~RelayServer() { stop(std::chrono::milliseconds(0)); }

std::uint16_t RelayServer::start() {
  const std::uint16_t port = m_parts->http.start();
  for (auto& context : m_parts->contexts) {
    m_parts->work.emplace_back(context->get_executor());
    m_parts->threads.emplace_back([io = context.get()] { io->run(); });
  }
  return port;
}

void RelayServer::stop(std::chrono::milliseconds grace) {
  Parts& parts = *m_parts;
  if (parts.stopped) return;
  parts.stopped = true;
  if (!parts.threads.empty()) {
    std::promise<void> drained;
    parts.http.stop(grace, [&drained] { drained.set_value(); });
    drained.get_future().wait();
    parts.work.clear();
    for (auto& context : parts.contexts) context->stop();
    for (auto& thread : parts.threads) thread.join();
    parts.threads.clear();
  }
  parts.store.clearPresence();
  parts.store.checkpoint();
}

DaemonRegistry& RelayServer::registry() { return m_parts->registry; }
RelayStore& RelayServer::store() { return m_parts->store; }

}  // namespace vesket::relay_service
