#include "shell/settings_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace vesket::shell {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  QString path() const { return directory.path() + "/state/preferences"; }

  QTemporaryDir directory;
};

TEST_F(SettingsStoreTest, TypedKeysRoundTripThroughTheFile) {
  {
    auto store = SettingsStore::openFile(path());
    ASSERT_TRUE(store);
    EXPECT_EQ(store->fileName(), path());
    // Unset keys read as their defaults.
    EXPECT_EQ(store->get(SettingsKeys::terminalHistoryLimit), 500);
    EXPECT_TRUE(store->get(SettingsKeys::macAutoFitEnabled));
    EXPECT_FALSE(store->get(SettingsKeys::postProvisionTasksDone));
    EXPECT_EQ(store->get(SettingsKeys::terminalScrollSensitivity), 1.0);
    EXPECT_EQ(store->get(SettingsKeys::crashReportLastHangReport), std::nullopt);

    store->set(SettingsKeys::terminalHistoryLimit, 0);
    store->set(SettingsKeys::macAutoFitEnabled, false);
    store->set(SettingsKeys::postProvisionTasksDone, true);
    store->set(SettingsKeys::terminalScrollSensitivity, 0.35);
    store->set(SettingsKeys::crashReportLastHangReport,
               QDateTime::fromMSecsSinceEpoch(1733443200123, Qt::UTC));
    EXPECT_TRUE(store->sync());
  }
  auto reopened = SettingsStore::openFile(path());
  ASSERT_TRUE(reopened);
  EXPECT_EQ(reopened->get(SettingsKeys::terminalHistoryLimit), 0);
  EXPECT_FALSE(reopened->get(SettingsKeys::macAutoFitEnabled));
  EXPECT_TRUE(reopened->get(SettingsKeys::postProvisionTasksDone));
  EXPECT_EQ(reopened->get(SettingsKeys::terminalScrollSensitivity), 0.35);
  EXPECT_EQ(reopened->get(SettingsKeys::crashReportLastHangReport)->toMSecsSinceEpoch(), 1733443200123);
  // The keys are stored exactly as named.
  QSettings raw(path(), QSettings::IniFormat);
  EXPECT_TRUE(raw.contains("com.nimbrel.vesket-status.postProvisionTasksDone"));
}

TEST_F(SettingsStoreTest, ValuesOfTheWrongShapeReadAsUnset) {
  {
    QDir().mkpath(directory.path() + "/state");
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\n"
               "durnvale.terminalHistoryLimit=lots\n"
               "durnvale.macCopyOnSelect=maybe\n"
               "durnvale.terminalScrollSensitivity=\n"
               "durnvale.heldKeyRepeatIntervalMs=99999999999\n"
               "com.nimbrel.vesket-status.crashReport.lastAppCheck=yesterday\n"
               "durnvale.desktopHistoryRewrapEnabled=1\n");
  }
  auto store = SettingsStore::openFile(path());
  ASSERT_TRUE(store);
  EXPECT_EQ(store->get(SettingsKeys::terminalHistoryLimit), 500);
  EXPECT_TRUE(store->get(SettingsKeys::macCopyOnSelect));
  EXPECT_EQ(store->get(SettingsKeys::terminalScrollSensitivity), 1.0);
  EXPECT_EQ(store->get(SettingsKeys::heldKeyRepeatIntervalMs), 0);
  EXPECT_EQ(store->get(SettingsKeys::crashReportLastAppCheck), std::nullopt);
  EXPECT_TRUE(store->get(SettingsKeys::desktopHistoryRewrapEnabled));
  EXPECT_EQ(store->intValue("durnvale.heldKeyRepeatIntervalMs"), 99999999999);
}

TEST_F(SettingsStoreTest, RemoveAndContains) {
  auto store = SettingsStore::openFile(path());
  ASSERT_TRUE(store);
  constexpr SettingKey<QStringView> custom{"durnvale.custom", u"fallback"};
  EXPECT_EQ(store->get(custom), "fallback");
  store->setValue("durnvale.custom", "text");
  EXPECT_EQ(store->get(custom), "text");
  EXPECT_TRUE(store->contains("durnvale.custom"));
  EXPECT_EQ(store->stringValue("durnvale.custom"), "text");
  store->remove("durnvale.custom");
  EXPECT_FALSE(store->contains("durnvale.custom"));
  EXPECT_EQ(store->stringValue("durnvale.custom"), std::nullopt);
}

TEST_F(SettingsStoreTest, CannotOpenWhereNoFileCanBe) {
  QFile blocker(directory.path() + "/state");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_EQ(SettingsStore::openFile(path()), nullptr);

  ASSERT_TRUE(QDir().mkpath(directory.path() + "/other/preferences"));
  EXPECT_EQ(SettingsStore::openFile(directory.path() + "/other/preferences"), nullptr);
}

}  // namespace
}  // namespace vesket::shell
