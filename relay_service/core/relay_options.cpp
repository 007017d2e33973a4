#include "relay_service/core/relay_options.h"

#include <fmt/format.h>

#include <charconv>
#include <functional>
#include <map>

namespace vesket::relay_service {
namespace {

template <typename T>
std::optional<T> parseNumber(const std::string& text, T min, T max) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < min || value > max) return std::nullopt;
  return value;
}

}  // namespace

std::optional<ListenAddress> ListenAddress::parse(const std::string& text) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos) return std::nullopt;
  std::string host = text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string::npos) {
    return std::nullopt;  // an IPv6 address needs its brackets
  }
  const auto port = parseNumber<int>(text.substr(colon + 1), 0, 65535);
  if (host.empty() || !port) return std::nullopt;
  return ListenAddress{host, static_cast<std::uint16_t>(*port)};
}

std::string ListenAddress::toString() const {
  return host.find(':') != std::string::npos ? fmt::format("[{}]:{}", host, port) : fmt::format("{}:{}", host, port);
}

RelayCommand parseRelayCommandLine(const std::vector<std::string>& arguments, const std::string& defaultDataDir) {
  std::size_t i = 0;
  const bool mint = !arguments.empty() && arguments[0] == "mint-daemon-token";
  if (mint) ++i;

  RelayOptions options;
  options.dataDir = defaultDataDir;
  MintDaemonTokenCommand mintCommand;
  mintCommand.dataDir = defaultDataDir;
  bool haveUser = false;

  for (; i < arguments.size(); ++i) {
    const std::string& flag = arguments[i];
    if (flag == "--help" || flag == "-h") return HelpCommand{};
    if (flag == "--version") return VersionCommand{};
    if (flag.rfind("--", 0) != 0) return CommandLineError{fmt::format("unexpected argument '{}'", flag)};
    if (!mint && flag == "--require-device-enrolment") {
      options.requireDeviceEnrolment = true;
      continue;
    }
    if (i + 1 >= arguments.size()) return CommandLineError{fmt::format("{} needs a value", flag)};
    const std::string& value = arguments[++i];

    if (flag == "--data") {
      if (value.empty()) return CommandLineError{"--data needs a directory"};
      options.dataDir = mintCommand.dataDir = value;
    } else if (mint && flag == "--user") {
      const auto id = parseNumber<std::int64_t>(value, 1, INT64_MAX);
      if (!id) return CommandLineError{fmt::format("--user needs a user id (a positive number), not '{}'", value)};
      mintCommand.userId = *id;
      haveUser = true;
    } else if (mint && flag == "--machine-name") {
      mintCommand.machineName = value;
    } else if (mint) {
      return CommandLineError{fmt::format("unknown option '{}' for mint-daemon-token", flag)};
    } else if (flag == "--listen") {
      const auto address = ListenAddress::parse(value);
      if (!address) return CommandLineError{fmt::format("--listen needs HOST:PORT (e.g. 127.0.0.1:8787), not '{}'", value)};
      options.listen = *address;
    } else if (flag == "--tls-cert") {
      options.tlsCertFile = value;
    } else if (flag == "--tls-key") {
      options.tlsKeyFile = value;
    } else if (flag == "--google-client-id") {
      options.googleClientIds.push_back(value);
    } else if (flag == "--apple-client-id") {
      options.appleClientIds.push_back(value);
    } else if (flag == "--google-keys-url") {
      options.googleKeysUrl = value;
    } else if (flag == "--apple-keys-url") {
      options.appleKeysUrl = value;
    } else if (flag == "--public-url") {
      if (value.rfind("http://", 0) != 0 && value.rfind("https://", 0) != 0) {
        return CommandLineError{fmt::format("--public-url needs an http:// or https:// address, not '{}'", value)};
      }
      options.publicUrl = value;
    } else if (flag == "--releases") {
      if (value.empty()) return CommandLineError{"--releases needs a directory"};
      options.releasesDir = value;
    } else if (flag == "--mail-command") {
      options.mailCommand = value;
    } else if (flag == "--recovery-wait") {
      const auto seconds = parseNumber<std::int64_t>(value, 0, 30LL * 24 * 3600);
      if (!seconds) return CommandLineError{fmt::format("--recovery-wait needs seconds from 0 to 2592000, not '{}'", value)};
      options.recoveryWaitSeconds = *seconds;
    } else if (flag == "--inbox-heartbeat") {
      const auto seconds = parseNumber<int>(value, 1, 3600);
      if (!seconds) return CommandLineError{fmt::format("--inbox-heartbeat needs seconds from 1 to 3600, not '{}'", value)};
      options.inboxHeartbeatSeconds = *seconds;
    } else if (flag == "--threads") {
      const auto threads = parseNumber<int>(value, 1, 256);
      if (!threads) return CommandLineError{fmt::format("--threads needs a number from 1 to 256, not '{}'", value)};
      options.threads = *threads;
    } else if (flag == "--sign-in-limit") {
      const auto limit = parseNumber<int>(value, 1, 100000);
      if (!limit) return CommandLineError{fmt::format("--sign-in-limit needs a number from 1 to 100000, not '{}'", value)};
      options.signInPerMinute = *limit;
    } else if (flag == "--request-limit") {
      const auto limit = parseNumber<int>(value, 1, 1000000000);
      if (!limit) return CommandLineError{fmt::format("--request-limit needs a positive number, not '{}'", value)};
      options.requestsPerMinute = *limit;
    } else if (flag == "--pairing-claim-limit") {
      const auto limit = parseNumber<int>(value, 1, 100000);
      if (!limit) return CommandLineError{fmt::format("--pairing-claim-limit needs a number from 1 to 100000, not '{}'", value)};
      options.pairingClaimsPerMinute = *limit;
    } else if (flag == "--password-hash-ops") {
      const auto ops = parseNumber<std::uint64_t>(value, 1, 64);
      if (!ops) return CommandLineError{fmt::format("--password-hash-ops needs a number from 1 to 64, not '{}'", value)};
      options.passwordHashCost.opsLimit = *ops;
    } else if (flag == "--password-hash-mem-kib") {
      const auto kib = parseNumber<std::size_t>(value, 8, 4 * 1024 * 1024);
      if (!kib) {
        return CommandLineError{
            fmt::format("--password-hash-mem-kib needs a number from 8 to 4194304, not '{}'", value)};
      }
      options.passwordHashCost.memLimitBytes = *kib * 1024;
    } else {
      return CommandLineError{fmt::format("unknown option '{}' (see --help)", flag)};
    }
  }

  if (mint) {
    if (!haveUser) return CommandLineError{"mint-daemon-token needs --user ID"};
    return mintCommand;
  }
  if (options.tlsCertFile.has_value() != options.tlsKeyFile.has_value()) {
    return CommandLineError{"--tls-cert and --tls-key go together"};
  }
  return ServeCommand{options};
}

std::string relayUsage() {
  return R"(vesket-relay: the relay service of Vesket (accounts, devices, daemon links).

Usage:
  vesket-relay [--listen HOST:PORT] [--data DIR] [options]
  vesket-relay mint-daemon-token --data DIR --user ID [--machine-name NAME]
  vesket-relay --help | --version

Serving:
  --listen HOST:PORT         address to listen on (default 127.0.0.1:8787; port 0 picks a
                             free port, printed at start)
  --data DIR                 where the relay keeps its database and secret (created 0700;
                             default $XDG_DATA_HOME/vesket-relay)
  --tls-cert FILE            PEM certificate chain: serve HTTPS and WSS
  --tls-key FILE             PEM private key of that certificate
  --google-client-id ID      accept Google sign-in for this OAuth client id (repeatable)
  --apple-client-id ID       accept Sign in with Apple for this Services ID (repeatable)
  --google-keys-url URL      where Google's token signing keys are read
                             (default https://www.googleapis.com/oauth2/v3/certs)
  --apple-keys-url URL       where Apple's token signing keys are read
                             (default https://appleid.apple.com/auth/keys)
  --require-device-enrolment account calls need a token bound to an enrolled device
                             (403 device_not_approved otherwise; POST /api/devices/enroll
                             binds one)
  --public-url URL           the relay's address as phones reach it, for the pairing QR
                             code's link (default: the scheme and Host of each request)
  --releases DIR             serve the release catalog and artifacts in DIR under
                             /downloads/ (releases.json and what scripts/release wrote)
  --mail-command CMD         delivers device recovery codes: run by /bin/sh with the
                             message on standard input and VESKET_RECOVERY_EMAIL,
                             VESKET_RECOVERY_CODE, VESKET_RECOVERY_DEVICE set (default: the
                             code is written to the log for the operator)
  --recovery-wait SECONDS    wait between a confirmed recovery code and the device's
                             approval (default 86400)
  --inbox-heartbeat SECONDS  a heartbeat on a quiet inbox stream this often (default 15)
  --threads N                worker threads (default: one per core)
  --sign-in-limit N          sign-in and registration calls per minute, per client address
                             and per account (default 10)
  --request-limit N          other calls per minute, per client address and per account
                             (default 600)
  --pairing-claim-limit N    pairing code, QR and recovery code claims per minute, per
                             client address and per account (default 5)
  --password-hash-ops N      argon2id passes for new password hashes (default 2)
  --password-hash-mem-kib N  argon2id memory for new password hashes (default 65536)

Operations:
  mint-daemon-token          register a daemon for user ID and print its daemon token
                             (what pairing does); the relay may be running meanwhile

The relay stops gracefully on SIGTERM or SIGINT.
)";
}

}  // namespace vesket::relay_service
