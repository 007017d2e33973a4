#pragma once

// The command line of `vesket-relay`:
//
//   vesket-relay [--listen HOST:PORT] [--data DIR] [--tls-cert FILE --tls-key FILE] ...
//   vesket-relay mint-daemon-token --data DIR --user ID [--machine-name NAME]
//   vesket-relay --help | --version

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "relay_service/core/password_hash.h"

namespace vesket::relay_service {

struct ListenAddress {
  std::string host = "127.0.0.1";
  std::uint16_t port = 8787;

  // "HOST:PORT" or "[IPv6]:PORT"; nothing when it is not one.
  static std::optional<ListenAddress> parse(const std::string& text);
  std::string toString() const;
  friend bool operator==(const ListenAddress&, const ListenAddress&) = default;
};

struct RelayOptions {
  ListenAddress listen;
  std::string dataDir;
  std::optional<std::string> tlsCertFile;
  std::optional<std::string> tlsKeyFile;
  std::vector<std::string> googleClientIds;
  std::vector<std::string> appleClientIds;
  std::optional<std::string> googleKeysUrl;  // where Google's signing keys are fetched from
  std::optional<std::string> appleKeysUrl;
  int threads = 0;  // 0: one per core
  int signInPerMinute = 10;    // sign-in and registration calls per client address or account
  int requestsPerMinute = 600;  // every other call, per client address and per account
  int pairingClaimsPerMinute = 5;  // pairing and recovery code claims, per address and account
  PasswordHashCost passwordHashCost;
  // Account calls need a token bound to an enrolled device (403 device_not_approved).
  bool requireDeviceEnrolment = false;
  // The relay's address as phones reach it (pairing QR codes); empty: from each request.
  std::string publicUrl;
  // Delivers device recovery codes (see --help); empty: they go to the log.
  std::string mailCommand;
  std::int64_t recoveryWaitSeconds = 24 * 3600;
  int inboxHeartbeatSeconds = 15;  // a comment line on every quiet inbox stream this often
  // Release catalog and artifacts served under /downloads/; empty: none.
  std::string releasesDir;
};

struct ServeCommand {
  RelayOptions options;
};
struct MintDaemonTokenCommand {
  std::string dataDir;
  std::int64_t userId = 0;
  std::string machineName = "daemon";
};
struct HelpCommand {};
struct VersionCommand {};
struct CommandLineError {
  std::string message;
};

using RelayCommand = std::variant<ServeCommand, MintDaemonTokenCommand, HelpCommand, VersionCommand, CommandLineError>;

// `arguments` without the program name; `defaultDataDir` is used when --data is absent.
RelayCommand parseRelayCommandLine(const std::vector<std::string>& arguments, const std::string& defaultDataDir);

// The --help text.
std::string relayUsage();

}  // namespace vesket::relay_service
