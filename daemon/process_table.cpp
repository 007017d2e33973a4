#include "daemon/process_table.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <string>
#include <unordered_map>

namespace vesket::daemon {

namespace {

// Reads up to `limit` bytes of a small file; plain system calls, because this runs for
// every process once a second.
std::string readSmallFile(const std::string& path, std::size_t limit) {
  std::string out;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return out;
  char buffer[4096];
  while (out.size() < limit) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (out.size() > limit) out.resize(limit);
  return out;
}

bool parsePid(const char* name, std::int64_t& pid) {
  const char* end = name;
  while (*end != '\0') ++end;
  if (end == name) return false;
  const auto result = std::from_chars(name, end, pid);
  return result.ec == std::errc{} && result.ptr == end;
}

// "/proc/<pid>/stat" is "pid (comm) state ppid ..."; comm may hold blanks and parentheses,
// so it runs to the last ')'.
bool parseStat(const std::string& stat, ProcessInfo& info) {
  const auto open = stat.find('(');
  const auto close = stat.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  info.comm = stat.substr(open + 1, close - open - 1);
  // After ") " come the state and the parent pid.
  std::size_t at = close + 2;
  const auto stateEnd = stat.find(' ', at);
  if (stateEnd == std::string::npos) return false;
  at = stateEnd + 1;
  auto ppidEnd = stat.find(' ', at);
  if (ppidEnd == std::string::npos) ppidEnd = stat.size();
  const auto result = std::from_chars(stat.data() + at, stat.data() + ppidEnd, info.ppid);
  return result.ec == std::errc{} && result.ptr == stat.data() + ppidEnd;
}

}  // namespace

std::vector<ProcessInfo> ProcessTable::read(const std::set<std::int64_t>& roots, const QString& procDir) {
  std::vector<ProcessInfo> processes;
  const std::string base = procDir.toStdString();
  DIR* dir = ::opendir(base.c_str());
  if (dir == nullptr) return processes;
  while (const dirent* entry = ::readdir(dir)) {
    ProcessInfo info;
    if (!parsePid(entry->d_name, info.pid)) continue;
    // A process that ended while the directory was read has no stat any more: skip it.
    if (!parseStat(readSmallFile(base + '/' + entry->d_name + "/stat", 4096), info)) continue;
    processes.push_back(std::move(info));
  }
  ::closedir(dir);

  // Mark the subtrees of the roots, then read their command lines.
  std::unordered_multimap<std::int64_t, std::size_t> children;
  std::unordered_map<std::int64_t, std::size_t> byPid;
  children.reserve(processes.size());
  byPid.reserve(processes.size());
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
    const std::string cmdline = readSmallFile(base + '/' + std::to_string(processes[i].pid) + "/cmdline", 64 * 1024);
    std::vector<std::string> argv;
    std::size_t start = 0;
    while (start < cmdline.size()) {
      auto nul = cmdline.find('\0', start);
      if (nul == std::string::npos) nul = cmdline.size();
      argv.emplace_back(cmdline, start, nul - start);
      start = nul + 1;
    }
    processes[i].argv = std::move(argv);
  }
  return processes;
}

}  // namespace vesket::daemon
