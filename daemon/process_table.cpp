#include "daemon/process_table.h"

#include <QDir>
#include <QFile>
#include <map>

namespace vesket::daemon {

namespace {

QByteArray readSmallFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.read(64 * 1024);
}

// "/proc/<pid>/stat" is "pid (comm) state ppid ..."; comm may hold blanks and parentheses,
// so it runs to the last ')'.
bool parseStat(const QByteArray& stat, ProcessInfo& info) {
  const auto open = stat.indexOf('(');
  const auto close = stat.lastIndexOf(')');
  if (open < 0 || close < open) return false;
  info.comm = stat.mid(open + 1, close - open - 1).toStdString();
  const QList<QByteArray> rest = stat.mid(close + 2).split(' ');
  if (rest.size() < 2) return false;
  bool ok = false;
  info.ppid = rest[1].toLongLong(&ok);
  return ok;
}

}  // namespace

std::vector<ProcessInfo> ProcessTable::read(const std::set<std::int64_t>& roots, const QString& procDir) {
  std::vector<ProcessInfo> processes;
  const QDir dir(procDir);
  const QStringList entries = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  processes.reserve(static_cast<std::size_t>(entries.size()));
  for (const QString& entry : entries) {
    bool isPid = false;
    const std::int64_t pid = entry.toLongLong(&isPid);
    if (!isPid) continue;
    ProcessInfo info;
    info.pid = pid;
    if (!parseStat(readSmallFile(procDir + QLatin1Char('/') + entry + QStringLiteral("/stat")), info)) continue;
    processes.push_back(std::move(info));
  }

  // Mark the subtrees of the roots, then read their command lines.
  std::multimap<std::int64_t, std::size_t> children;
  std::map<std::int64_t, std::size_t> byPid;
  for (std::size_t i = 0; i < processes.size(); ++i) {
    children.emplace(processes[i].ppid, i);
    byPid.emplace(processes[i].pid, i);
  }
  std::vector<std::size_t> stack;
  std::vector<bool> wanted(processes.size(), false);
  for (const auto root : roots) {
    if (auto it = byPid.find(root); it != byPid.end()) stack.push_back(it->second);
  }
  while (!stack.empty()) {
    const std::size_t i = stack.back();
    stack.pop_back();
    if (wanted[i]) continue;
    wanted[i] = true;
    auto [from, to] = children.equal_range(processes[i].pid);
    for (auto it = from; it != to; ++it) stack.push_back(it->second);
  }
  for (std::size_t i = 0; i < processes.size(); ++i) {
    if (!wanted[i]) continue;
    const QByteArray cmdline =
        readSmallFile(procDir + QLatin1Char('/') + QString::number(processes[i].pid) + QStringLiteral("/cmdline"));
    std::vector<std::string> argv;
    for (const QByteArray& arg : cmdline.split('\0')) argv.push_back(arg.toStdString());
    while (!argv.empty() && argv.back().empty()) argv.pop_back();  // the trailing NUL
    processes[i].argv = std::move(argv);
  }
  return processes;
}

}  // namespace vesket::daemon
