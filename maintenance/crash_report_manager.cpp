#include "maintenance/crash_report_manager.h"

#include <pwd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>
#include <QSysInfo>

#include <map>
#include <nlohmann/json.hpp>

#include "platform/crash/crash_handler.h"
#include "shell/desktop_isolation.h"
#include "shell/settings_key.h"
#include "shell/settings_store.h"

namespace vesket::maintenance {
namespace {

using nlohmann::json;

constexpr qint64 kHangSpoolIntervalMs = 120 * 1000;

std::optional<QByteArray> readSmallFile(const QString& path, qint64 limit) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.read(limit);
}

}  // namespace

CrashReportManager::CrashReportManager(Options options) : m_options(std::move(options)) {
  if (m_options.reportsDirectory.isEmpty()) {
    m_options.reportsDirectory = QString::fromStdString(platform::CrashHandler::defaultReportsDirectory());
  }
  if (m_options.appVersion.isEmpty()) m_options.appVersion = QCoreApplication::applicationVersion();
  if (m_options.appVersion.isEmpty()) m_options.appVersion = QStringLiteral("unknown");
  if (m_options.appBuild.isEmpty()) m_options.appBuild = m_options.appVersion;
  if (m_options.userHome.isEmpty()) m_options.userHome = QDir::homePath();
  if (m_options.userName.isEmpty()) {
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_name) {
      m_options.userName = QString::fromLocal8Bit(entry->pw_name);
    }
  }
}

const QStringList& CrashReportManager::appProcessNames() {
  static const QStringList names = {QStringLiteral("VesketDesktop"), QStringLiteral("VesketStatus"),
                                    QStringLiteral("vesket-desktop")};
  return names;
}

const QStringList& CrashReportManager::daemonProcessNames() {
  static const QStringList names = {QStringLiteral("vesket")};
  return names;
}

QString CrashReportManager::spoolDirectory() const { return m_options.productHome + QStringLiteral("/crashes"); }

shell::SettingsStore& CrashReportManager::settings() const {
  return m_options.settings ? *m_options.settings : shell::DesktopIsolation::defaults();
}

CrashReportCore::ScrubContext CrashReportManager::scrubContext() const {
  return {m_options.userHome.toStdString(), m_options.userName.toStdString()};
}

bool CrashReportManager::isEnabled() const {
  const auto text = readSmallFile(m_options.productHome + QStringLiteral("/diagnostics.json"), 64 * 1024);
  if (!text) return CrashReportingPrivacy::isEnabled(std::nullopt);
  const std::string value = text->toStdString();
  return CrashReportingPrivacy::isEnabled(value);
}

void CrashReportManager::setEnabled(bool enabled) {
  const QString path = m_options.productHome + QStringLiteral("/diagnostics.json");
  const auto text = readSmallFile(path, 64 * 1024);
  std::optional<std::string> current;
  if (text) current = text->toStdString();
  QDir().mkpath(m_options.productHome);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return;
  const std::string updated = CrashReportingPrivacy::withEnabled(current, enabled);
  file.write(updated.data(), qint64(updated.size()));
  file.commit();
}

QString CrashReportManager::osVersion() { return QSysInfo::prettyProductName() + QStringLiteral(" (") + QSysInfo::kernelVersion() + QLatin1Char(')'); }

bool CrashReportManager::enqueueRecord(const json& record) {
  const QString directory = spoolDirectory();
  if (!QDir().mkpath(directory)) return false;
  std::string text;
  try {
    text = record.dump(-1, ' ', false, json::error_handler_t::replace);
  } catch (const std::exception&) {
    return false;
  }
  const int random = static_cast<int>(QRandomGenerator::global()->bounded(100000, 1000000));
  const QString name = QString::fromStdString(
      CrashReportCore::spoolFileName(QDateTime::currentMSecsSinceEpoch(), random));
  QSaveFile file(directory + QLatin1Char('/') + name);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(text.data(), qint64(text.size()));
  return file.commit();
}

void CrashReportManager::symbolise(json& body) {
  static const QString addr2line = QStandardPaths::findExecutable(QStringLiteral("addr2line"));
  if (addr2line.isEmpty() || !body.is_object() || !body.contains("threads") || !body["threads"].is_array()) return;
  const json images = body.value("usedImages", json::array());
  if (!images.is_array()) return;
  // image index -> the frames (thread, frame) that need it
  std::map<std::int64_t, std::vector<json*>> byImage;
  for (auto& thread : body["threads"]) {
    if (!thread.is_object() || !thread.contains("frames") || !thread["frames"].is_array()) continue;
    bool first = true;
    for (auto& frame : thread["frames"]) {
      const bool caller = !first;
      first = false;
      if (!frame.is_object() || frame.contains("symbol") || !frame.contains("imageIndex") ||
          !frame["imageIndex"].is_number_integer() || !frame.contains("imageOffset") ||
          !frame["imageOffset"].is_number_unsigned()) {
        continue;
      }
      // A caller's address is the return address, one past its call.
      frame["_lookup"] = frame["imageOffset"].get<std::uint64_t>() - (caller ? 1 : 0);
      byImage[frame["imageIndex"].get<std::int64_t>()].push_back(&frame);
    }
  }
  for (auto& [index, frames] : byImage) {
    if (index < 0 || index >= static_cast<std::int64_t>(images.size())) continue;
    const json& image = images[static_cast<std::size_t>(index)];
    if (!image.is_object() || !image.contains("path") || !image["path"].is_string()) continue;
    const QString path = QString::fromStdString(image["path"].get<std::string>());
    if (!QFileInfo(path).isFile()) continue;
    QStringList arguments{QStringLiteral("-f"), QStringLiteral("-C"), QStringLiteral("-e"), path};
    for (const json* frame : frames) arguments << QStringLiteral("0x%1").arg((*frame)["_lookup"].get<std::uint64_t>(), 0, 16);
    QProcess process;
    process.start(addr2line, arguments);
    if (!process.waitForFinished(20000)) {
      process.kill();
      process.waitForFinished(1000);
      continue;
    }
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (std::size_t i = 0; i < frames.size() && qsizetype(2 * i + 1) < lines.size(); ++i) {
      json& frame = *frames[i];
      const QString function = lines[qsizetype(2 * i)].trimmed();
      const QString location = lines[qsizetype(2 * i + 1)].trimmed();
      if (!function.isEmpty() && function != QStringLiteral("??")) frame["symbol"] = function.toStdString();
      const qsizetype colon = location.lastIndexOf(QLatin1Char(':'));
      if (colon > 0 && !location.startsWith(QStringLiteral("??"))) {
        bool ok = false;
        const int line = location.mid(colon + 1).section(QLatin1Char(' '), 0, 0).toInt(&ok);
        if (ok && line > 0) {
          frame["sourceFile"] = location.left(colon).toStdString();
          frame["sourceLine"] = line;
        }
      }
    }
  }
  for (auto& thread : body["threads"]) {
    if (!thread.is_object() || !thread.contains("frames") || !thread["frames"].is_array()) continue;
    for (auto& frame : thread["frames"]) {
      if (frame.is_object()) frame.erase("_lookup");
    }
  }
}

int CrashReportManager::checkAndEnqueue(const QStringList& processNames, const QString& source,
                                        const shell::DateSettingKey& lastCheckKey) {
  if (!isEnabled()) return 0;
  const auto since = settings().get(lastCheckKey);
  std::vector<CrashReportCore::ReportEntry> entries;
  const QDir directory(m_options.reportsDirectory);
  for (const QFileInfo& info : directory.entryInfoList({QStringLiteral("*.ips")}, QDir::Files, QDir::Time)) {
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly)) continue;
    entries.push_back({info.filePath().toStdString(), info.fileName().toStdString(),
                       info.lastModified().toMSecsSinceEpoch(), file.readLine(64 * 1024).trimmed().toStdString()});
  }
  std::vector<std::string> names;
  for (const QString& name : processNames) names.push_back(name.toStdString());
  std::optional<std::int64_t> sinceMs;
  if (since) sinceMs = since->toMSecsSinceEpoch();
  const QDateTime now = QDateTime::currentDateTimeUtc();
  int spooled = 0;
  for (const auto& ref : CrashReportCore::scanForNewReports(entries, names, sinceMs)) {
    const auto text = readSmallFile(QString::fromStdString(ref.path), 8 * 1024 * 1024);
    if (!text) continue;
    auto parsed = CrashReportCore::parseIPS(std::string_view(text->constData(), std::size_t(text->size())));
    if (!parsed) continue;
    symbolise(parsed->second);
    const auto record = CrashReportCore::buildCrashRecord(parsed->first, parsed->second, source.toStdString(),
                                                          m_options.appVersion.toStdString(),
                                                          osVersion().toStdString(), scrubContext());
    if (enqueueRecord(record)) ++spooled;
  }
  settings().set(lastCheckKey, now);
  return spooled;
}

bool CrashReportManager::enqueueHangReport(const std::optional<QString>& sample, std::int64_t unresponsiveMs) {
  if (!isEnabled()) return false;
  const QDateTime now = QDateTime::currentDateTimeUtc();
  if (const auto last = settings().get(shell::SettingsKeys::crashReportLastHangReport);
      last && last->msecsTo(now) < kHangSpoolIntervalMs) {
    return false;
  }
  std::optional<std::string> text;
  if (sample) text = sample->toStdString();
  auto record = CrashReportCore::buildHangRecord(text, m_options.appVersion.toStdString(),
                                                 m_options.appBuild.toStdString(), osVersion().toStdString(),
                                                 unresponsiveMs, now.toMSecsSinceEpoch());
  // Frames carry no paths, but scrub the stack like every other record.
  const auto context = scrubContext();
  record["error"]["stack"] = CrashReportCore::scrubPath(record["error"]["stack"].get<std::string>(), context);
  if (!enqueueRecord(record)) return false;
  settings().set(shell::SettingsKeys::crashReportLastHangReport, now);
  return true;
}

}  // namespace vesket::maintenance
