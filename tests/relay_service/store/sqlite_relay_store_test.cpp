#include <gtest/gtest.h>
#include <sqlite3.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "relay_service/core/secrets.h"
#include "relay_service/store/data_directory.h"
#include "relay_service/store/sqlite_relay_store.h"

namespace vesket::relay_service {
namespace {

class SqliteRelayStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = std::filesystem::temp_directory_path() /
            ("relay-store-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(m_dir);
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::unique_ptr<SqliteRelayStore> open() {
    DataDirectory data(m_dir.string());
    return std::make_unique<SqliteRelayStore>(data.databasePath(), [this] { return ++m_now; });
  }

  std::filesystem::path m_dir;
  std::int64_t m_now = 1000;
};

TEST_F(SqliteRelayStoreTest, AccountsAreUniqueByAddressAndFoundByLogin) {
  auto store = open();
  const auto ada = store->createUser({std::nullopt, "ada@x.io", "hash"});
  ASSERT_TRUE(ada);
  EXPECT_EQ(ada->email, "ada@x.io");
  EXPECT_FALSE(store->createUser({std::nullopt, "ada@x.io", "other"}));
  const auto bob = store->createUser({"bob", "bob@x.io", "hash"});
  EXPECT_EQ(store->findUserByLogin("ada@x.io"), ada);
  EXPECT_EQ(store->findUserByLogin("bob"), bob);
  EXPECT_FALSE(store->findUserByLogin("nobody"));
  EXPECT_EQ(store->findUser(ada->id), ada);
}

TEST_F(SqliteRelayStoreTest, ProviderIdentitiesAttachToTheVerifiedAddress) {
  auto store = open();
  const auto ada = *store->createUser({std::nullopt, "ada@x.io", "hash"});
  EXPECT_EQ(store->signInWithIdentity("google", "g-1", "ada@x.io").id, ada.id);
  EXPECT_EQ(store->signInWithIdentity("google", "g-1", std::nullopt).id, ada.id);
  const UserRecord fresh = store->signInWithIdentity("apple", "a-1", std::nullopt);
  EXPECT_NE(fresh.id, ada.id);
  EXPECT_FALSE(fresh.passwordHash);
  EXPECT_EQ(store->signInWithIdentity("apple", "a-1", "ada@x.io").id, fresh.id);
}

TEST_F(SqliteRelayStoreTest, DaemonTokensAreKeptOnlyAsDigestsAndRevocationSticks) {
  auto store = open();
  const auto user = *store->createUser({std::nullopt, "ada@x.io", "hash"});
  const PairedDaemon paired = store->pairDaemon(user.id, "uuid-1", "box");
  EXPECT_EQ(store->findDaemonByToken(paired.token), paired.daemon);
  EXPECT_FALSE(store->findDaemonByToken(paired.token + "x"));

  store->recordPresence(paired.daemon.id, true, 5000);
  auto daemon = *store->findDaemon(paired.daemon.id);
  EXPECT_TRUE(daemon.connected);
  EXPECT_EQ(daemon.lastSeenAtMs, 5000);
  store->revokeDaemon(paired.daemon.id);
  EXPECT_TRUE(store->findDaemonByToken(paired.token)->revoked);
  store.reset();

  // Reopened: the data is kept, presence starts over, and the clear token is nowhere on disk.
  store = open();
  store->clearPresence();
  ASSERT_EQ(store->listDaemons(user.id).size(), 1u);
  EXPECT_FALSE(store->listDaemons(user.id)[0].connected);
  store->checkpoint();
  for (const auto& entry : std::filesystem::directory_iterator(m_dir)) {
    std::ifstream file(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.find(paired.token), std::string::npos) << entry.path();
  }
}

TEST_F(SqliteRelayStoreTest, RefusesADatabaseFromANewerRelay) {
  open().reset();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((m_dir / "relay.sqlite3").c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  try {
    open();
    ADD_FAILURE() << "opened a newer database";
  } catch (const SchemaTooNew& error) {
    EXPECT_NE(std::string(error.what()).find("schema version 99"), std::string::npos) << error.what();
  }
}

TEST_F(SqliteRelayStoreTest, TheTokenSecretIsMadeOncePrivately) {
  DataDirectory data(m_dir.string());
  const std::string secret = data.loadOrCreateTokenSecret();
  EXPECT_EQ(secret.size(), 32u);
  EXPECT_EQ(DataDirectory(m_dir.string()).loadOrCreateTokenSecret(), secret);
  EXPECT_EQ(std::filesystem::status(data.tokenSecretPath()).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(std::filesystem::status(m_dir).permissions(), std::filesystem::perms::owner_all);
}

TEST_F(SqliteRelayStoreTest, DevicesAndPairingsSurviveReopeningAndAPairingIsClaimedOnce) {
  std::int64_t userId = 0;
  std::int64_t pairingId = 0;
  {
    auto store = open();
    userId = store->createUser({std::nullopt, "ada@x.io", "hash"})->id;
    DeviceRecord device;
    device.deviceName = "Mac";
    device.status = DeviceStatus::approved;
    device.fingerprint = "ABC-DEF";
    device.lastIp = "10.0.0.1";
    bool sawDevices = true;
    store->enrolDevice(userId, "D1", [&](const std::optional<DeviceRecord>& existing, bool any) {
      EXPECT_FALSE(existing);
      sawDevices = any;
      return device;
    });
    EXPECT_FALSE(sawDevices);
    store->enrolDevice(userId, "D2", [&](const std::optional<DeviceRecord>&, bool any) {
      sawDevices = any;
      DeviceRecord second = device;
      second.requestId = "req-2";
      second.status = DeviceStatus::pending;
      return second;
    });
    EXPECT_TRUE(sawDevices);
    PairingRecord pairing;
    pairing.kind = PairingKind::qr;
    pairing.pollDigest = "poll";
    pairing.claimDigest = "claim";
    pairing.shortCode = "ABCDEFGH";
    pairing.machineUuid = "machine";
    pairing.expiresAtMs = 1'000'000;
    pairingId = store->createPairing(pairing)->id;
    pairing.pollDigest = "poll-2";
    pairing.claimDigest = "claim-2";
    EXPECT_FALSE(store->createPairing(pairing)) << "a short code in use is refused";
  }
  auto store = open();
  const auto found = store->findDeviceByRequest(userId, "req-2");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->deviceId, "D2");
  EXPECT_EQ(found->lastIp, "10.0.0.1");
  EXPECT_EQ(store->listDevices(userId).size(), 2u);
  EXPECT_FALSE(store->updateDevice(userId + 1, "D1", [](DeviceRecord&) { return true; }));

  const auto claimed = store->claimPairing(pairingId, userId, "machine", "studio", true, 2000);
  ASSERT_TRUE(claimed);
  EXPECT_FALSE(store->claimPairing(pairingId, userId, "machine", "studio", true, 2001)) << "claimed twice";
  EXPECT_EQ(store->findPairingByCode(PairingKind::qr, "ABCDEFGH")->daemonId, claimed->daemon.daemon.id);
  EXPECT_EQ(store->takeDaemonToken(pairingId), claimed->daemon.token);
  EXPECT_FALSE(store->takeDaemonToken(pairingId)) << "handed out twice";
  EXPECT_EQ(store->findDaemonByToken(claimed->daemon.token)->machineName, "studio");
}

}  // namespace
}  // namespace vesket::relay_service
