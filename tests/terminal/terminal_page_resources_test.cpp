#include "terminal/terminal_page_resources.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

namespace vesket::terminal {
namespace {

QString readResource(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

TEST(TerminalPageResources, EveryFileIsBundled) {
  EXPECT_TRUE(TerminalPageResources::missingFiles().isEmpty())
      << TerminalPageResources::missingFiles().join(", ").toStdString();
  EXPECT_TRUE(TerminalPageResources::isPresent());
  EXPECT_EQ(TerminalPageResources::entryUrl().toString(), "qrc:/terminal/index.html");
  // The real xterm.js, not a placeholder.
  EXPECT_TRUE(readResource(":/terminal/vendor/xterm.js").contains("Terminal"));
  EXPECT_GT(QFile(":/terminal/vendor/xterm.js").size(), 100 * 1024);
}

TEST(TerminalPageResources, PageLoadsOnlyBundledFilesAndQtWebChannel) {
  const QString page = readResource(":/terminal/index.html");
  ASSERT_FALSE(page.isEmpty());
  static const QRegularExpression reference(R"re((?:src|href)="([^"]+)")re");
  int references = 0;
  for (auto it = reference.globalMatch(page); it.hasNext();) {
    const QString target = it.next().captured(1);
    ++references;
    if (target == "qrc:///qtwebchannel/qwebchannel.js") continue;
    EXPECT_FALSE(target.contains("://")) << "loads from outside the bundle: " << target.toStdString();
    EXPECT_TRUE(QFile::exists(":/terminal/" + target)) << target.toStdString();
  }
  EXPECT_EQ(references, 7);
  EXPECT_TRUE(page.contains("qrc:///qtwebchannel/qwebchannel.js"));
}

TEST(TerminalPageResources, ScriptDefinesEveryBridgeFunction) {
  const QString script = readResource(":/terminal/terminal.js");
  for (const char* function :
       {"__termWrite", "__termHistoryChunk", "__termHistoryEnd", "__termOlderChunk", "__termOlderEnd",
        "__termResize", "__refit", "__reconcileMode", "__measureAttachGeometry", "__metricsSettledFlag",
        "__armFirstReadableFrame", "__setImeArmed", "__setMouseMode", "__setDesktopWheelMode",
        "__termGetSelection", "__termInit", "__termFlowState"}) {
    EXPECT_TRUE(script.contains(QStringLiteral("window.") + function + " =")) << function;
  }
}

}  // namespace
}  // namespace vesket::terminal
