#include "relay_service/relay_program.h"

#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "relay_service/core/relay_options.h"
#include "relay_service/relay_server.h"
#include "relay_service/store/data_directory.h"
#include "relay_service/store/sqlite_relay_store.h"

#ifndef VESKET_RELAY_VERSION
#define VESKET_RELAY_VERSION "0.0.0"
#endif

namespace vesket::relay_service {
namespace {

std::mutex g_logMutex;

// "2026-12-06T10:11:12.345Z line", to stderr.
void logLine(const std::string& line) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &utc);
  const std::lock_guard lock(g_logMutex);
  std::fprintf(stderr, "%s.%03dZ %s\n", stamp, static_cast<int>(millis), line.c_str());
}

std::string defaultDataDir() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return std::string(data) + "/vesket-relay";
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.local/share/vesket-relay";
  return "vesket-relay-data";
}

// Every link and connection is a descriptor: take what the system allows.
void raiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
}

int serve(const RelayOptions& options) {
  // The stop signals are taken by sigwait below; blocked before any thread starts, so
  // none of the server's threads is interrupted by them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
  raiseDescriptorLimit();

  const auto started = std::chrono::steady_clock::now();
  RelayServer server(options, logLine);
  const std::uint16_t port = server.start();
  const char* scheme = options.tlsCertFile ? "https" : "http";
  ListenAddress bound = options.listen;
  bound.port = port;
  // The first line on stdout says where the relay listens (scripts and tests read it).
  std::printf("vesket-relay listening on %s://%s\n", scheme, bound.toString().c_str());
  std::fflush(stdout);
  logLine(fmt::format("vesket-relay {} serving {}://{} with data in {} (ready in {} ms)", VESKET_RELAY_VERSION, scheme,
                      bound.toString(), options.dataDir,
                      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                          .count()));

  int signal = 0;
  sigwait(&stopSignals, &signal);
  logLine(fmt::format("{} received: stopping (requests in progress get 5 s)", signal == SIGINT ? "SIGINT" : "SIGTERM"));
  server.stop(std::chrono::seconds(5));
  logLine("vesket-relay stopped");
  return 0;
}

int mintDaemonToken(const MintDaemonTokenCommand& command) {
  const DataDirectory data(command.dataDir);
  SqliteRelayStore store(data.databasePath());
  if (!store.findUser(command.userId)) {
    std::fprintf(stderr, "vesket-relay: there is no user %lld in %s\n", static_cast<long long>(command.userId),
                 command.dataDir.c_str());
    return 1;
  }
  const PairedDaemon paired = store.pairDaemon(command.userId, std::nullopt, command.machineName);
  std::printf("DAEMON_ID=%lld\nDAEMON_TOKEN=%s\n", static_cast<long long>(paired.daemon.id), paired.token.c_str());
  return 0;
}

}  // namespace

int runRelayProgram(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const RelayCommand command = parseRelayCommandLine(arguments, defaultDataDir());
  try {
    if (const auto* error = std::get_if<CommandLineError>(&command)) {
      std::fprintf(stderr, "vesket-relay: %s\n", error->message.c_str());
      return 2;
    }
    if (std::holds_alternative<HelpCommand>(command)) {
      std::fputs(relayUsage().c_str(), stdout);
      return 0;
    }
    if (std::holds_alternative<VersionCommand>(command)) {
      std::printf("vesket-relay %s\n", VESKET_RELAY_VERSION);
      return 0;
    }
    if (const auto* mint = std::get_if<MintDaemonTokenCommand>(&command)) return mintDaemonToken(*mint);
    return serve(std::get<ServeCommand>(command).options);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vesket-relay: %s\n", error.what());
    return 1;
  }
}

}  // namespace vesket::relay_service
