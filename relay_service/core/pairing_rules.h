#pragma once

// Pairing a daemon with an account, the relay's records and rules for it.
//
// Three kinds of pairing, each single-use and short-lived:
// - "qr": a machine asks (POST /api/daemons/pair-qr-init, no account) and gets a poll token
//   (its own secret) and a QR payload, the URL `<base>/pair?token=<claim token>` with a
//   second secret, plus a short code to type instead. A signed-in, approved device claims
//   it (the page at /pair, or POST /api/pair/claim); the relay then mints the daemon token,
//   which the machine collects once with its poll token (pair-qr-status).
// - "init": a signed-in machine pairs itself (POST /api/daemons/pair-init): the pairing is
//   claimed by the caller's account as it is made; the machine collects the daemon token
//   the same way.
// - "code": an approved device makes a short code (POST /api/daemons/pair-code-init) that
//   a machine without a browser redeems (POST /api/daemons/pair-code-claim) for its daemon
//   token.
// Secrets are kept as digests; the short codes are kept as typed (normalised): they live
// minutes and guessing is held off by the claim rate limit.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace vesket::relay_service {

namespace PairingCode {
// No 0/O, 1/I/L or U: nothing that reads as something else.
inline constexpr std::string_view kAlphabet = "ABCDEFGHJKMNPQRSTVWXYZ23456789";
inline constexpr std::size_t kLength = 8;
// A fresh random code of kLength characters.
std::string generate();
// What a person typed ("abcd-efgh", "ABCD EFGH") -> "ABCDEFGH"; nothing when it cannot be
// a code (wrong length, letters outside the alphabet).
std::optional<std::string> normalise(std::string_view typed);
// "ABCDEFGH" -> "ABCD-EFGH", as shown.
std::string display(std::string_view code);
}  // namespace PairingCode

enum class PairingKind { qr, init, code };
const char* pairingKindName(PairingKind kind);
std::optional<PairingKind> pairingKindFromName(std::string_view name);

struct PairingRecord {
  std::int64_t id = 0;
  PairingKind kind = PairingKind::qr;
  std::optional<std::string> pollDigest;   // qr, init: the machine's secret
  std::optional<std::string> claimDigest;  // qr: the secret in the QR payload
  std::optional<std::string> shortCode;    // qr, code
  std::optional<std::int64_t> userId;      // init, code: the account; qr: the claimer's
  std::optional<std::string> machineUuid;
  std::optional<std::string> machineName;
  bool agentCliFound = false;
  bool tmuxInstalled = false;
  std::int64_t createdAtMs = 0;
  std::int64_t expiresAtMs = 0;
  std::optional<std::int64_t> claimedAtMs;
  std::optional<std::int64_t> daemonId;          // minted by the claim
  std::optional<std::string> undeliveredToken;   // the daemon token until the machine takes it
  bool delivered = false;

  friend bool operator==(const PairingRecord&, const PairingRecord&) = default;
};

namespace PairingRules {
inline constexpr std::int64_t kQrLifetimeMs = 5 * 60 * 1000;
inline constexpr std::int64_t kCodeLifetimeMs = 10 * 60 * 1000;
inline constexpr std::size_t kMaxMachineNameLength = 200;
inline constexpr std::size_t kMaxMachineUuidLength = 128;

enum class ClaimVerdict { claimable, expired, alreadyClaimed };
ClaimVerdict claimVerdict(const PairingRecord& pairing, std::int64_t nowMs);

// "2026-12-06T20:15:00Z" (whole seconds, UTC).
std::string isoTime(std::int64_t ms);
}  // namespace PairingRules

}  // namespace vesket::relay_service
