#include "relay_service/core/pairing_rules.h"

#include <cctype>
#include <ctime>

#include <fmt/format.h>

#include "relay_service/core/secrets.h"

namespace vesket::relay_service {

std::string PairingCode::generate() {
  std::string code;
  for (std::size_t i = 0; i < kLength; ++i) code += kAlphabet[Secrets::randomBelow(static_cast<std::uint32_t>(kAlphabet.size()))];
  return code;
}

std::optional<std::string> PairingCode::normalise(std::string_view typed) {
  std::string code;
  for (const char c : typed) {
    if (c == '-' || c == ' ') continue;
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (kAlphabet.find(upper) == std::string_view::npos) return std::nullopt;
    code += upper;
    if (code.size() > kLength) return std::nullopt;
  }
  if (code.size() != kLength) return std::nullopt;
  return code;
}

std::string PairingCode::display(std::string_view code) {
  if (code.size() != kLength) return std::string(code);
  return fmt::format("{}-{}", code.substr(0, kLength / 2), code.substr(kLength / 2));
}

const char* pairingKindName(PairingKind kind) {
  switch (kind) {
    case PairingKind::qr: return "qr";
    case PairingKind::init: return "init";
    case PairingKind::code: return "code";
  }
  return "qr";
}

std::optional<PairingKind> pairingKindFromName(std::string_view name) {
  if (name == "qr") return PairingKind::qr;
  if (name == "init") return PairingKind::init;
  if (name == "code") return PairingKind::code;
  return std::nullopt;
}

PairingRules::ClaimVerdict PairingRules::claimVerdict(const PairingRecord& pairing, std::int64_t nowMs) {
  if (pairing.claimedAtMs) return ClaimVerdict::alreadyClaimed;
  if (nowMs >= pairing.expiresAtMs) return ClaimVerdict::expired;
  return ClaimVerdict::claimable;
}

std::string PairingRules::isoTime(std::int64_t ms) {
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace vesket::relay_service
