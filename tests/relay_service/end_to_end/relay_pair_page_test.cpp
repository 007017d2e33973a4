// The pairing page in a real browser: Debian's chromium, driven by puppeteer-core
// (tests/web, installed by scripts/bootstrap), at a phone's viewport, against the real relay.
// A machine asks for a QR pairing; the "phone" opens the QR's URL, signs in, is approved by
// the account's Mac, and pairs the machine; the machine then collects its daemon token.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/support/event_loop.h"
#include "tests/support/real_relay.h"

namespace vesket::testing {
namespace {

using nlohmann::json;

TEST(RelayPairPageTest, APhoneSignsInIsApprovedAndPairsTheMachine) {
  const QString webDir = QStringLiteral(VESKET_SOURCE_DIR "/tests/web");
  ASSERT_TRUE(QFile::exists(webDir + "/node_modules/puppeteer-core/package.json"))
      << "puppeteer-core is missing: run scripts/bootstrap";
  ASSERT_TRUE(QFile::exists("/usr/bin/chromium")) << "chromium is missing: run scripts/bootstrap";
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  RealRelay relay(root.filePath("data"));
  ASSERT_TRUE(relay.start());
  RelayHttp http(relay.baseUrl());

  const auto [token, userId] = http.registerAccount("ada@example.org");
  const json mac = http.post("/api/devices/enroll", {{"deviceId", "E3D2C1B0-A9F8-4E7D-8C6B-5A4938271605"}}, token).json();
  ASSERT_EQ(mac.value("status", ""), "approved");
  const json init = http.post("/api/daemons/pair-qr-init", {{"machine_uuid", "studio-uuid"}, {"machine_name", "Ada's studio"},
                                                            {"agent_cli_found", true}, {"tmux_installed", true}})
                        .json();
  ASSERT_TRUE(init.contains("qr_payload")) << init.dump();

  QString artifacts = qEnvironmentVariable("VESKET_TEST_ARTIFACTS");
  if (artifacts.isEmpty()) artifacts = root.filePath("artifacts");
  ASSERT_TRUE(QDir().mkpath(artifacts));
  QProcess node;
  node.setWorkingDirectory(webDir);
  node.start("node", {"pair_page_check.mjs", QString::fromStdString(init["qr_payload"]), "ada@example.org", "password1",
                      QString::fromStdString(mac["token"]), "Ada's studio", artifacts});
  ASSERT_TRUE(node.waitForStarted(10000));
  ASSERT_TRUE(waitUntil([&] { return node.state() == QProcess::NotRunning; }, 90000)) << "the browser run hung";
  const QByteArray out = node.readAllStandardOutput();
  ASSERT_EQ(node.exitCode(), 0) << out.toStdString() << node.readAllStandardError().toStdString();
  const json seen = json::parse(out.trimmed().split('\n').last().toStdString(), nullptr, false);
  EXPECT_EQ(seen["platform"], "web");
  EXPECT_EQ(seen["machine"], "Ada's studio");
  EXPECT_EQ(seen["done"], "Ada's studio");
  EXPECT_TRUE(QFile::exists(artifacts + "/pair-page-machine.png"));

  // The machine collects its daemon token, which names the account.
  const json status =
      http.get("/api/daemons/pair-qr-status?token=" + QString::fromStdString(init["token"])).json();
  ASSERT_EQ(status.value("claimed", false), true) << status.dump();
  EXPECT_EQ(http.get("/api/daemons/whoami", status["daemon_token"]).json()["user_id"], userId);
  // The browser is now one of the account's approved devices; the claim token never hit the log.
  const json devices = http.get("/api/devices", mac["token"]).json()["devices"];
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[1]["platform"], "web");
  EXPECT_EQ(devices[1]["status"], "approved");
  const std::string claim = init["qr_payload"].get<std::string>().substr(init["qr_payload"].get<std::string>().find("token=") + 6);
  EXPECT_FALSE(relay.log().contains(QByteArray::fromStdString(claim)));
  EXPECT_TRUE(relay.log().contains("GET /pair 200")) << relay.log().toStdString();
}

}  // namespace
}  // namespace vesket::testing
