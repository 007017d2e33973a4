// Crash reports of a real crashing process through the crash handler, the scan and the
// spool; main-thread hangs through the watchdog.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "maintenance/crash_report_manager.h"
#include "maintenance/hang_watchdog.h"
#include "shell/settings_key.h"
#include "shell/settings_store.h"
#include "tests/support/event_loop.h"

namespace vesket::maintenance {
namespace {

using nlohmann::json;

QStringList spooled(const QString& productHome) {
  return QDir(productHome + "/crashes").entryList({"*.json"}, QDir::Files, QDir::Name);
}

json readRecord(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return json::parse(file.readAll().toStdString(), nullptr, false);
}

TEST(CrashReportsTest, ACrashedProcessBecomesOneScrubbedRecord) {
  QTemporaryDir root;
  const QString reports = root.filePath("DiagnosticReports");
  const QString productHome = root.filePath("home/.vesket");
  const QByteArray token = "0f1e2d3c4b5a69788796a5b4c3d2e1f00f1e2d3c4b5a6978";
  QProcess helper;
  auto environment = QProcessEnvironment::systemEnvironment();
  environment.insert("CONTROL_TOKEN", QString::fromLatin1(token));
  helper.setProcessEnvironment(environment);
  helper.start(VESKET_CRASH_HELPER, {reports, "segv"});
  ASSERT_TRUE(helper.waitForFinished(20000));
  EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit) << "the process still dies of its signal";
  ASSERT_EQ(QDir(reports).entryList({"vesket-*.ips"}).size(), 1);

  auto settings = shell::SettingsStore::openFile(root.filePath("preferences"));
  ASSERT_TRUE(settings);
  // The source tree stands in for the user's home: the report's source paths lie under it.
  const QString userHome = QFileInfo(QStringLiteral(VESKET_SOURCE_DIR)).absolutePath();
  CrashReportManager manager({productHome, reports, settings.get(), "1.0", "1.0", userHome, "nobody"});
  EXPECT_EQ(manager.checkAndEnqueue(CrashReportManager::daemonProcessNames(), "daemon-hard",
                                    shell::SettingsKeys::crashReportLastDaemonCheck),
            1);
  const auto files = spooled(productHome);
  ASSERT_EQ(files.size(), 1);
  EXPECT_TRUE(QRegularExpression("^\\d{13}-\\d{6}\\.json$").match(files[0]).hasMatch()) << files[0].toStdString();
  QFile file(productHome + "/crashes/" + files[0]);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  EXPECT_FALSE(text.contains(userHome.toUtf8())) << text.toStdString();
  EXPECT_FALSE(text.contains(token)) << text.toStdString();
  const json record = json::parse(text.toStdString());
  EXPECT_EQ(record["source"], "daemon-hard");
  EXPECT_EQ(record["error"]["name"], "SIGSEGV");
  EXPECT_EQ(record["error"]["message"], "signal=SIGSEGV Segmentation fault");
  const std::string stack = record["error"]["stack"];
  EXPECT_NE(stack.find("crash_helper`(anonymous namespace)::crashHere"), std::string::npos) << stack;
  EXPECT_NE(stack.find("(~/"), std::string::npos) << "a source location under the home, shown as ~\n" << stack;

  // The scan is incremental: nothing new, nothing spooled; a new abort is.
  EXPECT_EQ(manager.checkAndEnqueue(CrashReportManager::daemonProcessNames(), "daemon-hard",
                                    shell::SettingsKeys::crashReportLastDaemonCheck),
            0);
  QThread::msleep(20);
  helper.start(VESKET_CRASH_HELPER, {reports, "abort"});
  ASSERT_TRUE(helper.waitForFinished(20000));
  EXPECT_EQ(manager.checkAndEnqueue(CrashReportManager::daemonProcessNames(), "daemon-hard",
                                    shell::SettingsKeys::crashReportLastDaemonCheck),
            1);
  // Reports of other processes, and everything while the setting is off, are left alone.
  EXPECT_EQ(manager.checkAndEnqueue(CrashReportManager::appProcessNames(), "app",
                                    shell::SettingsKeys::crashReportLastAppCheck),
            0);
  manager.setEnabled(false);
  helper.start(VESKET_CRASH_HELPER, {reports, "segv"});
  ASSERT_TRUE(helper.waitForFinished(20000));
  EXPECT_EQ(manager.checkAndEnqueue(CrashReportManager::daemonProcessNames(), "daemon-hard",
                                    shell::SettingsKeys::crashReportLastDaemonCheck),
            0);
  EXPECT_EQ(spooled(productHome).size(), 2);
}

TEST(HangWatchdogTest, TwoStallsWithinTheCooldownGiveExactlyOneHangRecord) {
  QTemporaryDir root;
  const QString productHome = root.filePath("home/.vesket");
  auto settings = shell::SettingsStore::openFile(root.filePath("preferences"));
  ASSERT_TRUE(settings);
  HangWatchdog::Options options;
  options.reports = {productHome, root.filePath("reports"), settings.get(), "1.0", "1.0 (test)", {}, {}};
  options.logPath = root.filePath("logs/diagnostics-hang.log");
  HangWatchdog watchdog(options);
  watchdog.start();
  testing::spinFor(600);
  QThread::msleep(2000);  // the UI thread stalls
  ASSERT_TRUE(testing::waitUntil([&] { return spooled(productHome).size() == 1; }, 60000));
  testing::spinFor(600);
  QThread::msleep(2000);  // and again, 10 s or less later
  testing::spinFor(3000);
  watchdog.stop();

  const auto files = spooled(productHome);
  ASSERT_EQ(files.size(), 1);
  const json record = readRecord(productHome + "/crashes/" + files[0]);
  EXPECT_EQ(record["error"]["name"], "MainThreadHang");
  EXPECT_EQ(record["source"], "app");
  EXPECT_GE(record["hang"]["unresponsive_ms"].get<int>(), 1000);
  QFile log(options.logPath);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(log.readAll());
  EXPECT_EQ(text.count("===== MAIN-THREAD HANG DETECTED"), 1) << text.toStdString();
  EXPECT_EQ(text.count("===== MAIN-THREAD HANG ENDED"), 1) << text.toStdString();
  if (!text.contains("(no sample:")) {
    // gdb could sample: the stalled main thread's leaf frames are in the record.
    EXPECT_FALSE(record["hang"]["leaf_frames"].empty()) << text.toStdString();
  }
}

}  // namespace
}  // namespace vesket::maintenance
