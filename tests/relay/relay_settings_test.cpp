// Endpoint choice against real relays on port 0: a fast one, the same relay behind a slow
// path, and an address where nothing listens.
#include <gtest/gtest.h>

#include <QFile>

#include "relay/relay_settings.h"
#include "shell/settings_store.h"
#include "tests/relay/relay_test_home.h"
#include "tests/support/await_task.h"
#include "tests/support/real_relay.h"
#include "tests/support/slow_tcp_proxy.h"

namespace vesket::relay {
namespace {

using testing::awaitTask;

class RelaySettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fast = std::make_unique<testing::RealRelay>(home.relayDataDir("fast"));
    ASSERT_TRUE(fast->start());
    slow = std::make_unique<testing::SlowTcpProxy>(fast->port(), 250);
    down = "http://127.0.0.1:1";
  }

  RelaySettings::Options options(RelayFixedBases fixed) {
    RelaySettings::Options result;
    result.fixed = std::move(fixed);
    result.defaults = home.settings.get();
    result.environmentFilePath = home.productHome() + "/daemon/.env";
    result.regionCode = "DE";
    return result;
  }

  void writeEnv(const QByteArray& text) {
    QDir().mkpath(home.productHome() + "/daemon");
    QFile file(home.productHome() + "/daemon/.env");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }

  QByteArray readEnv() {
    QFile file(home.productHome() + "/daemon/.env");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  testing::RelayTestHome home;
  std::unique_ptr<testing::RealRelay> fast;
  std::unique_ptr<testing::SlowTcpProxy> slow;
  std::string down;
};

TEST_F(RelaySettingsTest, RaceBeforeConnectPicksTheFastestOrFallsBack) {
  // Slow production relay, mirror down: the slow one still wins the race.
  RelaySettings settings(options({slow->baseUrl().toStdString(), down}));
  EXPECT_EQ(settings.selectionReason(), "seed");
  EXPECT_EQ(settings.baseURL(), slow->baseUrl());
  awaitTask(settings.selectFastestBeforeConnect());
  EXPECT_EQ(settings.selectionReason(), "race");
  ASSERT_EQ(settings.lastProbes().size(), 2u);
  EXPECT_GE(*settings.lastProbes()[0].latencyMs, 250.0);
  EXPECT_FALSE(settings.lastProbes()[1].latencyMs);
  EXPECT_EQ(home.settings->stringValue("com.vesket.relayLatencyWinner"), slow->baseUrl());
  EXPECT_TRUE(home.settings->doubleValue("com.vesket.relayLatencyWinnerAt"));

  // Both down: the previous winner when it is a fixed URL, else the locale's choice.
  RelaySettings gone(options({slow->baseUrl().toStdString(), down}));
  fast->stop();
  awaitTask(gone.selectFastestBeforeConnect());
  EXPECT_EQ(gone.selectionReason(), "fallback");
  EXPECT_EQ(gone.baseURL(), slow->baseUrl());
  home.settings->setValue("com.vesket.relayLatencyWinner", "http://elsewhere");
  auto china = options({slow->baseUrl().toStdString(), down});
  china.regionCode = "CN";
  RelaySettings inChina(std::move(china));
  awaitTask(inChina.selectFastestBeforeConnect());
  EXPECT_EQ(inChina.baseURL().toStdString(), down);
  EXPECT_EQ(inChina.selectionReason(), "fallback");
}

TEST_F(RelaySettingsTest, ReprobePromotesAfterTwoConsecutiveWins) {
  home.settings->setValue("com.vesket.relayEndpointLabel", "global");
  RelaySettings settings(options({slow->baseUrl().toStdString(), fast->baseUrl().toStdString()}));
  EXPECT_EQ(settings.selectionReason(), "seed-defaults");
  EXPECT_EQ(settings.baseURL(), slow->baseUrl());
  QStringList changed;
  QObject::connect(&settings, &RelaySettings::relayEndpointDidChange, [&](const QString& base) { changed << base; });

  awaitTask(settings.reprobeAndMaybePromote());
  EXPECT_EQ(settings.baseURL(), slow->baseUrl());  // one win is not enough
  EXPECT_EQ(settings.promotionTracker().consecutiveWins, 1);
  EXPECT_EQ(changed.count(), 0);

  awaitTask(settings.reprobeAndMaybePromote());
  EXPECT_EQ(settings.baseURL(), fast->baseUrl());
  EXPECT_EQ(settings.endpoint(), RelayEndpoint::china());
  EXPECT_EQ(settings.selectionReason(), "promoted");
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed.at(0), fast->baseUrl());
  EXPECT_EQ(home.settings->stringValue("com.vesket.relayEndpointLabel"), "china");

  // The faster one is current now: nothing more happens.
  awaitTask(settings.reprobeAndMaybePromote());
  EXPECT_EQ(settings.promotionTracker().consecutiveWins, 0);
  EXPECT_EQ(changed.count(), 1);
}

TEST_F(RelaySettingsTest, CustomPinIsKeptAndWrittenForTheDaemon) {
  writeEnv("DAEMON_TOKEN=abc\nRELAY_URL=wss://old.example/daemon\n");
  RelaySettings seeded(options({slow->baseUrl().toStdString(), down}));
  EXPECT_EQ(seeded.selectionReason(), "custom-pin");  // the daemon's relay is no fixed one
  EXPECT_EQ(seeded.baseURL(), "https://old.example");

  writeEnv(QByteArray("DAEMON_TOKEN=abc\nRELAY_URL=ws") + slow->baseUrl().mid(4).toUtf8() + "/daemon\n");
  RelaySettings fromEnv(options({slow->baseUrl().toStdString(), down}));
  EXPECT_EQ(fromEnv.selectionReason(), "seed-env");
  EXPECT_EQ(fromEnv.endpoint(), RelayEndpoint::global());

  RelaySettings settings(options({slow->baseUrl().toStdString(), down}));
  settings.startPeriodicReselect(std::chrono::seconds(300));
  EXPECT_FALSE(settings.writeDotEnvForCustomPin());  // not custom
  settings.applyCustomEndpoint(fast->baseUrl() + "/");
  EXPECT_FALSE(settings.isReprobing());
  EXPECT_EQ(settings.baseURL(), fast->baseUrl());
  EXPECT_EQ(settings.selectionReason(), "custom-pin");
  EXPECT_EQ(readEnv(), "DAEMON_TOKEN=abc\nRELAY_URL=ws" + fast->baseUrl().mid(4).toUtf8() + "/daemon\nBOARD_PUSH_API=" +
                           fast->baseUrl().toUtf8() + "\n");
  awaitTask(settings.selectFastestBeforeConnect());
  EXPECT_EQ(settings.baseURL(), fast->baseUrl());  // a pin is never raced away
  awaitTask(settings.measure());
  ASSERT_EQ(settings.lastProbes().size(), 1u);
  EXPECT_TRUE(settings.lastProbes()[0].latencyMs);

  RelaySettings restarted(options({slow->baseUrl().toStdString(), down}));
  EXPECT_EQ(restarted.baseURL(), fast->baseUrl());
  awaitTask(restarted.clearCustomAndReselect());
  EXPECT_EQ(restarted.baseURL(), slow->baseUrl());
  EXPECT_EQ(restarted.selectionReason(), "race");
  EXPECT_TRUE(restarted.isReprobing());
  EXPECT_FALSE(home.settings->contains("com.vesket.relayEndpointCustomURL"));
}

}  // namespace
}  // namespace vesket::relay
