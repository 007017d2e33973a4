// vesket-release-sign KEY.pem EXECUTABLE...: writes the release signature sidecar
// (EXECUTABLE.sig) of each executable with the Ed25519 private key. Run by the build after
// linking the daemon; a release build passes the release key instead of the development one.

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

#include "platform/release_verifier.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: vesket-release-sign KEY.pem EXECUTABLE...\n");
    return 2;
  }
  for (const QString& executable : args.mid(1)) {
    if (const auto failed = vesket::platform::ReleaseVerifier::signExecutable(executable, args.front())) {
      std::fprintf(stderr, "vesket-release-sign: %s\n", qPrintable(*failed));
      return 1;
    }
  }
  return 0;
}
