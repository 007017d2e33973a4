#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <utime.h>

#include "maintenance/tracked_mutation.h"

namespace vesket::maintenance {
namespace {

std::string readText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<missing>");
}

void writeText(const QString& path, const std::string& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(QByteArray::fromStdString(text));
}

MutationObservation note(const std::string& id, bool existed, const std::string& after) {
  return MutationObservation{id, "$file", "file", {existed, {}}, MutationValue::string(after), {existed ? 1 : 0, 1}, !existed};
}

class TrackedMutationTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_home.isValid()); }
  QString path(const QString& relative) const { return m_home.filePath(relative); }
  TrackedMutation mutation(std::optional<bool> isolated = false) {
    return TrackedMutation(m_home.path(), QStringLiteral("test (abc)"), isolated);
  }
  QTemporaryDir m_home;
};

TEST_F(TrackedMutationTest, FirstWriteCreatesTheManifestAndARepeatKeepsOneRecord) {
  TrackedMutation tracked = mutation();
  EXPECT_EQ(tracked.productHome(), QDir::cleanPath(m_home.filePath(".vesket")));
  const QString target = path("agent/config.txt");
  tracked.writeText(target, "one", {note("config", false, "one")});
  const InstallManifest first = InstallManifest::decode(readText(tracked.manifestPath()));
  EXPECT_EQ(first.schemaVersion, 1);
  EXPECT_FALSE(first.installId.empty());
  ASSERT_EQ(first.mutations.size(), 1u);
  EXPECT_EQ(first.mutations[0].build, "test (abc)");
  EXPECT_TRUE(QDateTime::fromString(QString::fromStdString(first.mutations[0].updatedAt), Qt::ISODateWithMs).isValid());

  tracked.writeText(target, "two", {note("config", true, "two")});
  const InstallManifest second = tracked.readManifest();
  ASSERT_EQ(second.mutations.size(), 1u);
  EXPECT_EQ(second.installId, first.installId);
  EXPECT_EQ(second.mutations[0].after.value, MutationValue::string("two"));
  EXPECT_FALSE(second.mutations[0].before.exists);  // the state before the first change
  EXPECT_EQ(readText(target), "two");
}

TEST_F(TrackedMutationTest, AManifestFromANewerVersionStopsEveryWrite) {
  TrackedMutation tracked = mutation();
  writeText(tracked.manifestPath(), R"({"schemaVersion": 2, "installId": "x", "mutations": []})");
  const QString target = path("user-file");
  writeText(target, "the user's");
  try {
    tracked.writeText(target, "ours", {note("x", true, "ours")});
    ADD_FAILURE() << "wrote despite a newer manifest";
  } catch (const TrackedMutationError& error) {
    EXPECT_EQ(error.kind(), TrackedMutationError::Kind::invalidManifest);
    EXPECT_NE(std::string(error.what()).find("schema version 2"), std::string::npos);
  }
  EXPECT_EQ(readText(target), "the user's");
  // A file that did not exist is gone again.
  EXPECT_THROW(tracked.writeText(path("new-file"), "ours", {note("y", false, "ours")}), TrackedMutationError);
  EXPECT_FALSE(QFile::exists(path("new-file")));
}

TEST_F(TrackedMutationTest, AStaleLockIsTakenOverAndALiveOneTimesOut) {
  TrackedMutation tracked = mutation();
  QDir().mkpath(tracked.productHome());
  writeText(tracked.lockPath(), "12345\n");
  auto age = [&](int seconds) {
    const auto when = static_cast<time_t>(QDateTime::currentSecsSinceEpoch() - seconds);
    const utimbuf times{when, when};
    ::utime(QFile::encodeName(tracked.lockPath()).constData(), &times);
  };
  age(31);
  tracked.writeText(path("a"), "a", {note("a", false, "a")});
  EXPECT_FALSE(QFile::exists(tracked.lockPath()));  // taken over and released

  writeText(tracked.lockPath(), "12345\n");
  age(1);
  writeText(path("b"), "before");
  QElapsedTimer waited;
  waited.start();
  try {
    tracked.writeText(path("b"), "after", {note("b", true, "after")});
    ADD_FAILURE() << "wrote past a live lock";
  } catch (const TrackedMutationError& error) {
    EXPECT_EQ(error.kind(), TrackedMutationError::Kind::lockTimeout);
  }
  EXPECT_GE(waited.elapsed(), 1900);
  EXPECT_EQ(readText(path("b")), "before");
  EXPECT_TRUE(QFile::exists(tracked.lockPath()));  // someone else's: left alone
}

TEST_F(TrackedMutationTest, IsolationKeepsEveryChangeInsideTheThrowawayHome) {
  EXPECT_THROW(TrackedMutation(std::nullopt, QStringLiteral("b"), true), TrackedMutationError);
  TrackedMutation tracked = mutation(true);
  const QString outside = QDir::tempPath() + QStringLiteral("/vesket-never-written");
  try {
    tracked.writeText(outside, "x", {note("x", false, "x")});
    ADD_FAILURE();
  } catch (const TrackedMutationError& error) {
    EXPECT_EQ(error.kind(), TrackedMutationError::Kind::unsafeTestHome);
    EXPECT_EQ(std::string(error.what()), "refusing target outside throwaway HOME: " + outside.toStdString());
  }
  EXPECT_FALSE(QFile::exists(outside));
}

}  // namespace
}  // namespace vesket::maintenance
