// Device approval rules and pairing codes: the state moves of enrolment, approval, denial
// and revocation, the device id and code formats people and programs send.
#include <gtest/gtest.h>

#include "relay_service/core/device_rules.h"
#include "relay_service/core/pairing_rules.h"

namespace vesket::relay_service {
namespace {

constexpr std::int64_t kNow = 1'800'000'000'000;

EnrolmentRequest request(const char* name = "Phone") {
  return EnrolmentRequest{"6F1C2A5E-3B7D-4E8A-9C0B-1D2E3F4A5B6C", "ios", name, "1.0", "7", "10.0.0.2"};
}

TEST(DeviceRulesTest, DeviceIdsMustBeUuids) {
  const struct {
    const char* text;
    const char* normalised;  // nullptr: refused
  } cases[] = {
      {"6f1c2a5e-3b7d-4e8a-9c0b-1d2e3f4a5b6c", "6F1C2A5E-3B7D-4E8A-9C0B-1D2E3F4A5B6C"},
      {"6F1C2A5E-3B7D-4E8A-9C0B-1D2E3F4A5B6C", "6F1C2A5E-3B7D-4E8A-9C0B-1D2E3F4A5B6C"},
      {"{6F1C2A5E-3B7D-4E8A-9C0B-1D2E3F4A5B6C}", nullptr},
      {"6F1C2A5E3B7D4E8A9C0B1D2E3F4A5B6C", nullptr},
      {"6F1C2A5E-3B7D-4E8A-9C0B-1D2E3F4A5B6G", nullptr},
      {"6F1C2A5E-3B7D-4E8A-9C0B_1D2E3F4A5B6C", nullptr},
      {"device-under-test", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const auto id = DeviceRules::normaliseDeviceId(c.text);
    if (c.normalised) {
      EXPECT_EQ(id, std::optional<std::string>(c.normalised)) << c.text;
    } else {
      EXPECT_FALSE(id) << c.text;
    }
  }
}

TEST(DeviceRulesTest, EnrolmentMovesBetweenStates) {
  const DeviceRecord first = DeviceRules::enrol(std::nullopt, request(), false, kNow, "r1", "AAA-BBB");
  EXPECT_EQ(first.status, "approved");
  EXPECT_EQ(first.approvalScope, "bootstrap");
  EXPECT_EQ(DeviceJson::approval(first, kNow, "x")["pairingMode"], "bootstrap");

  const DeviceRecord newcomer = DeviceRules::enrol(std::nullopt, request(), true, kNow, "r1", "AAA-BBB");
  ASSERT_EQ(newcomer.status, "pending");
  EXPECT_EQ(newcomer.requestId, "r1");
  EXPECT_EQ(newcomer.expiresAtMs, kNow + DeviceRules::kRequestLifetimeMs);

  DeviceRecord denied = newcomer;
  DeviceRules::deny(denied, kNow);
  DeviceRecord expired = newcomer;
  DeviceRecord revoked = newcomer;
  DeviceRules::approve(revoked, "device", kNow);
  DeviceRules::revoke(revoked, kNow);

  const struct {
    const char* what;
    DeviceRecord existing;
    std::int64_t at;
    const char* status;
    const char* requestId;
    const char* prior;
    std::int64_t count;
  } cases[] = {
      {"asked again while waiting", newcomer, kNow + 1000, "pending", "r1", "first_seen", 2},
      {"asked after the request expired", expired, kNow + DeviceRules::kRequestLifetimeMs, "pending", "r2",
       "expired_retry", 1},
      {"asked while the denial holds", denied, kNow + DeviceRules::kDenialHoldMs - 1, "denied", "r1", "first_seen", 1},
      {"asked after the denial", denied, kNow + DeviceRules::kDenialHoldMs, "pending", "r2", "previously_denied", 1},
      {"asked after being revoked", revoked, kNow + 5000, "pending", "r2", "first_seen", 1},
      {"approved stays approved", first, kNow + 5000, "approved", "r1", "first_seen", 1},
  };
  for (const auto& c : cases) {
    const DeviceRecord next = DeviceRules::enrol(c.existing, request("Renamed"), true, c.at, "r2", "CCC-DDD");
    EXPECT_EQ(next.status, c.status) << c.what;
    EXPECT_EQ(next.requestId, c.requestId) << c.what;
    EXPECT_EQ(next.priorStatus, c.prior) << c.what;
    EXPECT_EQ(next.requestCount, c.count) << c.what;
    EXPECT_EQ(next.deviceName, "Renamed") << c.what;
    EXPECT_EQ(next.createdAtMs, c.existing.createdAtMs) << c.what;
  }
  EXPECT_EQ(DeviceRules::effectiveStatus(expired, kNow + DeviceRules::kRequestLifetimeMs), "expired");
  EXPECT_EQ(DeviceJson::approval(denied, kNow, "x")["deniedUntil"], (kNow + DeviceRules::kDenialHoldMs) / 1000.0);
}

TEST(DeviceRulesTest, RevokingEndsEveryTokenIssuedUpToThatSecond) {
  DeviceRecord device = DeviceRules::enrol(std::nullopt, request(), false, kNow + 400, "r1", "AAA-BBB");
  EXPECT_TRUE(DeviceRules::tokenStillValid(device, kNow / 1000));
  DeviceRules::revoke(device, kNow + 400);
  EXPECT_FALSE(DeviceRules::tokenStillValid(device, kNow / 1000));
  EXPECT_TRUE(DeviceRules::tokenStillValid(device, kNow / 1000 + 1));
}

TEST(DeviceRulesTest, FingerprintsAreShortStableAndFromTheAlphabet) {
  const std::string a = deviceFingerprint("request-a");
  EXPECT_EQ(a, deviceFingerprint("request-a"));
  EXPECT_NE(a, deviceFingerprint("request-b"));
  ASSERT_EQ(a.size(), 7u);
  EXPECT_EQ(a[3], '-');
  for (const char c : a.substr(0, 3) + a.substr(4)) EXPECT_NE(PairingCode::kAlphabet.find(c), std::string_view::npos);
}

TEST(PairingCodeTest, TypedCodesAreNormalisedOrRefused) {
  const struct {
    const char* typed;
    const char* code;
  } cases[] = {
      {"abcd-efgh", "ABCDEFGH"}, {"ABCD EFGH", "ABCDEFGH"}, {"2345-6789", "23456789"},
      {"ABCD-EFG", nullptr},     {"ABCD-EFGHJ", nullptr},   {"ABCD-EFG0", nullptr},
      {"ABCD-EFGI", nullptr},    {"ABCD_EFGH", nullptr},    {"", nullptr},
  };
  for (const auto& c : cases) {
    const auto code = PairingCode::normalise(c.typed);
    if (c.code) EXPECT_EQ(code, std::optional<std::string>(c.code)) << c.typed;
    else EXPECT_FALSE(code) << c.typed;
  }
  const std::string generated = PairingCode::generate();
  EXPECT_EQ(PairingCode::normalise(PairingCode::display(generated)), generated);
  EXPECT_EQ(PairingCode::display("ABCDEFGH"), "ABCD-EFGH");
}

TEST(PairingRulesTest, APairingIsClaimableOnceAndOnlyBeforeItExpires) {
  PairingRecord pairing;
  pairing.expiresAtMs = kNow + 1000;
  EXPECT_EQ(PairingRules::claimVerdict(pairing, kNow + 999), PairingRules::ClaimVerdict::claimable);
  EXPECT_EQ(PairingRules::claimVerdict(pairing, kNow + 1000), PairingRules::ClaimVerdict::expired);
  pairing.claimedAtMs = kNow;
  EXPECT_EQ(PairingRules::claimVerdict(pairing, kNow + 1), PairingRules::ClaimVerdict::alreadyClaimed);
  EXPECT_EQ(PairingRules::isoTime(1'800'000'000'123), "2027-01-15T08:00:00Z");
}

}  // namespace
}  // namespace vesket::relay_service
