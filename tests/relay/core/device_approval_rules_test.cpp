#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "relay/core/device_approval_rules.h"

namespace vesket::relay {
namespace {

DeviceApprovalPendingRequest request(std::string id, double at, std::string prior = "first_seen") {
  return DeviceApprovalPendingRequest::fromJSON({{"requestId", id},
                                                 {"deviceId", "d-" + id},
                                                 {"fingerprint", "ABC-DEF"},
                                                 {"platform", "ios"},
                                                 {"deviceName", "Ana's phone"},
                                                 {"appVersion", "1.4"},
                                                 {"requestedAtMs", at},
                                                 {"ip", "203.0.113.9"},
                                                 {"priorStatus", prior},
                                                 {"requestCount", 2}});
}

TEST(DeviceApprovalRulesTest, RecordsNamesOrderAndNotificationTexts) {
  EXPECT_THROW(DeviceApprovalPendingRequest::fromJSON({{"deviceId", "d"}}), std::invalid_argument);
  EXPECT_THROW(UserDevice::fromJSON(nlohmann::json::array()), std::invalid_argument);
  const auto device = UserDevice::fromJSON({{"deviceId", "d"}, {"status", "approved"}, {"approvedAtMs", 5}, {"lastSeenAtMs", nullptr}});
  EXPECT_EQ(device.approvedAtMs, 5.0);
  EXPECT_FALSE(device.lastSeenAtMs);

  EXPECT_EQ(DevicePlatform::displayName("ios"), "iPhone/iPad");
  EXPECT_EQ(DevicePlatform::displayName("android"), "Android");
  EXPECT_EQ(DevicePlatform::displayName("macos"), "Mac");
  EXPECT_EQ(DevicePlatform::displayName("windows"), "Windows");
  EXPECT_EQ(DevicePlatform::displayName("plan9"), "plan9");
  EXPECT_TRUE(DevicePriorStatus::isUrgent("previously_denied"));
  EXPECT_FALSE(DevicePriorStatus::isUrgent("expired_retry"));

  std::vector<DeviceApprovalPendingRequest> pending{request("old", 1000), request("denied", 500, "previously_denied"),
                                                    request("new", 3000)};
  DeviceApprovalRules::sort(pending);
  EXPECT_EQ(pending[0].requestId, "denied");
  EXPECT_EQ(pending[1].requestId, "new");
  EXPECT_EQ(pending[2].requestId, "old");

  EXPECT_EQ(DeviceApprovalRules::notificationBody(pending[0]), "iPhone/iPad · Ana's phone · code ABC-DEF");
  EXPECT_EQ(DeviceApprovalRules::notificationSubtitle(pending[0]), "Vesket 1.4 · 203.0.113.9");
  auto bare = DeviceApprovalPendingRequest::fromJSON({{"requestId", "r"}, {"platform", "linux"}, {"fingerprint", "XYZ-123"}});
  EXPECT_EQ(DeviceApprovalRules::notificationBody(bare), "Linux · code XYZ-123");
  EXPECT_EQ(DeviceApprovalRules::notificationSubtitle(bare), "Linux");
}

TEST(DeviceApprovalRulesTest, ARequestSeenOnManyPollsIsAnnouncedOnceAndTakenDownWhenAnswered) {
  ApprovalNotificationLedger ledger;
  const std::vector<DeviceApprovalPendingRequest> one{request("a", 1)};
  EXPECT_EQ(ledger.announce(one).size(), 1u);
  for (int poll = 0; poll < 9; ++poll) {
    EXPECT_TRUE(ledger.announce(one).empty());
    EXPECT_TRUE(ledger.resolved(one).empty());
  }
  const std::vector<DeviceApprovalPendingRequest> two{request("a", 1), request("b", 2)};
  const auto fresh = ledger.announce(two);
  ASSERT_EQ(fresh.size(), 1u);
  EXPECT_EQ(fresh[0].requestId, "b");
  EXPECT_EQ(ledger.resolved({request("b", 2)}), std::vector<std::string>{"a"});
  EXPECT_FALSE(ledger.announced("a"));
  EXPECT_TRUE(ledger.resolved({request("b", 2)}).empty());
}

TEST(DeviceApprovalRulesTest, ApproveAndDenyAnswersAreClassified) {
  using Kind = DeviceApprovalActionResult::Kind;
  EXPECT_EQ(DeviceApprovalActionClassifier::classify(200, R"({"ok":true})").kind, Kind::succeeded);
  EXPECT_EQ(DeviceApprovalActionClassifier::classify(409, R"({"error":"already_handled","status":"approved"})").kind,
            Kind::alreadyHandled);
  const auto notFound = DeviceApprovalActionClassifier::classify(404, R"({"error":"not_found","message":"no such request"})");
  EXPECT_EQ(notFound, (DeviceApprovalActionResult{Kind::failed, 404, "no such request"}));
  EXPECT_EQ(DeviceApprovalActionClassifier::classify(500, "").message, "HTTP 500");
}

}  // namespace
}  // namespace vesket::relay
