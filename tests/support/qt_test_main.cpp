// Entry point of the test programs that run on a Qt event loop. Tests drive the loop
// themselves (QCoro::waitFor, QTRY-style helpers); the application object only has to exist.
#include <gtest/gtest.h>

#ifdef VESKET_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#include <QTranslator>

#include "shell/core/test_host.h"

int main(int argc, char** argv) {
  vesket::shell::markProcessAsTestProgram();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TestApplication app(argc, argv);
  // Programs that link the translation tables read their texts in English, as the
  // application does with English tables; the others have no texts to read.
  QTranslator english;
  if (english.load(QStringLiteral(":/i18n/vesket_en.qm"))) app.installTranslator(&english);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
