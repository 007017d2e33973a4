// vesket-release: publishes one release into a downloads directory (see
// maintenance/release_packager.h). scripts/release builds the programs and runs it.
//
//   vesket-release --key KEY.pem --out DIR --version V --build N --app PATH --daemon PATH
//                  [--channel stable] [--platform linux-x86_64] [--file SOURCE=PATH_IN_BUNDLE]...

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

#include "maintenance/release_packager.h"

int main(int argc, char** argv) {
  using namespace vesket::maintenance;
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);
  ReleaseInputs inputs;
  const auto usage = [] {
    std::fprintf(stderr,
                 "usage: vesket-release --key KEY.pem --out DIR --version V --build N --app PATH --daemon PATH\n"
                 "                      [--channel C] [--platform P] [--file SOURCE=PATH_IN_BUNDLE]...\n");
    return 2;
  };
  for (qsizetype i = 0; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return usage();
    const QString& flag = args[i];
    const QString& value = args[i + 1];
    if (flag == "--key") inputs.signingKey = value;
    else if (flag == "--out") inputs.outputDir = value;
    else if (flag == "--version") inputs.version = value;
    else if (flag == "--build") inputs.build = value.toLongLong();
    else if (flag == "--app") inputs.application = value;
    else if (flag == "--daemon") inputs.daemon = value;
    else if (flag == "--channel") inputs.channel = value;
    else if (flag == "--platform") inputs.platform = value;
    else if (flag == "--file" && value.contains('=')) {
      inputs.files.emplace_back(value.section('=', 0, 0), value.section('=', 1));
    } else {
      return usage();
    }
  }
  const auto published = ReleasePackager::publish(inputs);
  if (const auto* failure = std::get_if<QString>(&published)) {
    std::fprintf(stderr, "vesket-release: %s\n", qPrintable(*failure));
    return 1;
  }
  const auto& entry = std::get<ReleaseEntry>(published);
  std::printf("%s\n", ReleaseCatalog::encodeEntry(entry).c_str());
  return 0;
}
