#include "platform/crash/crash_handler.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace vesket::platform::CrashHandler {
namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP};
constexpr std::size_t kFactSize = 256;
constexpr std::size_t kPathSize = 1024;
constexpr int kMaxFrames = 64;
constexpr std::size_t kMapsSize = 256 * 1024;
constexpr int kMaxImages = 64;

char g_process[kFactSize];
char g_version[kFactSize];
char g_build[kFactSize];
char g_os[kFactSize];
char g_directory[kPathSize];
char g_maps[kMapsSize];
char g_alternateStack[64 * 1024];
std::atomic<bool> g_handling{false};

void copyFact(char* target, std::size_t size, const std::string& value) {
  const std::size_t length = value.size() < size - 1 ? value.size() : size - 1;
  std::memcpy(target, value.data(), length);
  target[length] = '\0';
}

// A fixed buffer written out with write(2) when full and at the end.
class Writer {
 public:
  explicit Writer(int fd) : m_fd(fd) {}
  ~Writer() { flush(); }
  void flush() {
    std::size_t done = 0;
    while (done < m_used) {
      const ssize_t written = ::write(m_fd, m_buffer + done, m_used - done);
      if (written <= 0 && errno != EINTR) break;
      if (written > 0) done += static_cast<std::size_t>(written);
    }
    m_used = 0;
  }
  void put(char c) {
    if (m_used == sizeof m_buffer) flush();
    m_buffer[m_used++] = c;
  }
  void raw(const char* text) {
    for (; *text; ++text) put(*text);
  }
  void raw(const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) put(text[i]);
  }
  // A JSON string value (quotes included).
  void string(const char* text, std::size_t length = static_cast<std::size_t>(-1)) {
    put('"');
    for (std::size_t i = 0; i < length && text[i]; ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      if (c == '"' || c == '\\') {
        put('\\');
        put(static_cast<char>(c));
      } else if (c < 0x20) {
        raw("\\u00");
        put("0123456789abcdef"[c >> 4]);
        put("0123456789abcdef"[c & 15]);
      } else {
        put(static_cast<char>(c));
      }
    }
    put('"');
  }
  void number(std::uint64_t value) {
    char digits[24];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value);
    while (n) put(digits[--n]);
  }

 private:
  int m_fd;
  char m_buffer[4096];
  std::size_t m_used = 0;
};

void appendText(char* target, std::size_t size, std::size_t& used, const char* text) {
  for (; *text && used + 1 < size; ++text) target[used++] = *text;
  target[used] = '\0';
}

void appendNumber(char* target, std::size_t size, std::size_t& used, std::uint64_t value) {
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value);
  while (n && used + 1 < size) target[used++] = digits[--n];
  target[used] = '\0';
}

std::uint64_t parseHex(const char*& at, const char* end) {
  std::uint64_t value = 0;
  for (; at < end; ++at) {
    const char c = *at;
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else break;
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  return value;
}

struct Mapping {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
  std::uint64_t offset = 0;
  const char* path = nullptr;
  std::size_t pathLength = 0;
};

// The executable mappings of this process, read from /proc/self/maps into g_maps.
int readMappings(Mapping* mappings, int capacity) {
  const int fd = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  std::size_t used = 0;
  while (used < kMapsSize - 1) {
    const ssize_t got = ::read(fd, g_maps + used, kMapsSize - 1 - used);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    used += static_cast<std::size_t>(got);
  }
  ::close(fd);
  g_maps[used] = '\0';
  int count = 0;
  const char* line = g_maps;
  const char* const end = g_maps + used;
  while (line < end && count < capacity) {
    const char* eol = line;
    while (eol < end && *eol != '\n') ++eol;
    // start-end perms offset dev inode path
    const char* at = line;
    Mapping mapping;
    mapping.start = parseHex(at, eol);
    if (at < eol && *at == '-') ++at;
    mapping.end = parseHex(at, eol);
    while (at < eol && *at == ' ') ++at;
    const bool executable = eol - at > 3 && at[2] == 'x';
    while (at < eol && *at != ' ') ++at;
    while (at < eol && *at == ' ') ++at;
    mapping.offset = parseHex(at, eol);
    for (int field = 0; field < 2; ++field) {  // dev, inode
      while (at < eol && *at == ' ') ++at;
      while (at < eol && *at != ' ') ++at;
    }
    while (at < eol && *at == ' ') ++at;
    if (executable && at < eol && *at == '/') {
      mapping.path = at;
      mapping.pathLength = static_cast<std::size_t>(eol - at);
      mappings[count++] = mapping;
    }
    line = eol + 1;
  }
  return count;
}

const char* signalName(int signal) {
  switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGABRT: return "SIGABRT";
    case SIGTRAP: return "SIGTRAP";
  }
  return "SIGNAL";
}

const char* signalDescription(int signal) {
  switch (signal) {
    case SIGSEGV: return "Segmentation fault";
    case SIGBUS: return "Bus error";
    case SIGILL: return "Illegal instruction";
    case SIGFPE: return "Floating point exception";
    case SIGABRT: return "Abort trap";
    case SIGTRAP: return "Trace/BPT trap";
  }
  return "Signal";
}

void writeReport(int signal, void* context) {
  void* frames[kMaxFrames];
  const int count = ::backtrace(frames, kMaxFrames);
  // Start at the interrupted instruction: the frames before it are this handler's.
  int first = 0;
#if defined(__x86_64__)
  if (context) {
    const auto pc = static_cast<std::uintptr_t>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
    for (int i = 0; i < count; ++i) {
      if (reinterpret_cast<std::uintptr_t>(frames[i]) == pc) {
        first = i;
        break;
      }
    }
  }
#endif
  static Mapping mappings[2048];
  const int mappingCount = readMappings(mappings, 2048);

  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
  const std::uint64_t pid = static_cast<std::uint64_t>(::getpid());
  const std::uint64_t tid = static_cast<std::uint64_t>(::syscall(SYS_gettid));

  char path[kPathSize + 2 * kFactSize];
  std::size_t used = 0;
  appendText(path, sizeof path, used, g_directory);
  appendText(path, sizeof path, used, "/");
  appendText(path, sizeof path, used, g_process);
  appendText(path, sizeof path, used, "-");
  appendNumber(path, sizeof path, used, ms);
  appendText(path, sizeof path, used, "-");
  appendNumber(path, sizeof path, used, pid);
  appendText(path, sizeof path, used, ".ips");
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return;
  {
    Writer out(fd);
    out.raw("{\"app_name\":");
    out.string(g_process);
    out.raw(",\"name\":");
    out.string(g_process);
    out.raw(",\"timestamp\":");
    out.number(ms);
    out.raw(",\"pid\":");
    out.number(pid);
    out.raw(",\"app_version\":");
    out.string(g_version);
    out.raw(",\"build\":");
    out.string(g_build);
    out.raw(",\"os_version\":");
    out.string(g_os);
    out.raw("}\n{\"exception\":{\"type\":");
    out.string(signalName(signal));
    out.raw(",\"signal\":");
    out.string(signalName(signal));
    out.raw("},\"termination\":{\"namespace\":\"SIGNAL\",\"code\":");
    out.number(static_cast<std::uint64_t>(signal));
    out.raw(",\"indicator\":");
    out.string(signalDescription(signal));
    out.raw("},\"faultingThread\":0,\"threads\":[{\"id\":");
    out.number(tid);
    out.raw(",\"triggered\":true,\"frames\":[");
    int imageOf[kMaxFrames];
    const Mapping* images[kMaxImages];
    int imageCount = 0;
    for (int i = first; i < count; ++i) {
      const auto address = reinterpret_cast<std::uint64_t>(frames[i]);
      const Mapping* found = nullptr;
      for (int m = 0; m < mappingCount; ++m) {
        if (address >= mappings[m].start && address < mappings[m].end) {
          found = &mappings[m];
          break;
        }
      }
      if (i > first) out.put(',');
      out.raw("{");
      imageOf[i] = -1;
      if (found) {
        int index = -1;
        for (int k = 0; k < imageCount; ++k) {
          if (images[k]->pathLength == found->pathLength &&
              std::memcmp(images[k]->path, found->path, found->pathLength) == 0) {
            index = k;
            break;
          }
        }
        if (index < 0 && imageCount < kMaxImages) {
          index = imageCount;
          images[imageCount++] = found;
        }
        imageOf[i] = index;
      }
      if (imageOf[i] >= 0) {
        out.raw("\"imageIndex\":");
        out.number(static_cast<std::uint64_t>(imageOf[i]));
        out.raw(",\"imageOffset\":");
        out.number(address - found->start + found->offset);
      } else {
        out.raw("\"address\":");
        out.number(address);
      }
      out.raw("}");
    }
    out.raw("]}],\"usedImages\":[");
    for (int k = 0; k < imageCount; ++k) {
      if (k) out.put(',');
      const char* base = images[k]->path;
      for (std::size_t c = 0; c < images[k]->pathLength; ++c) {
        if (images[k]->path[c] == '/') base = images[k]->path + c + 1;
      }
      out.raw("{\"name\":");
      out.string(base, static_cast<std::size_t>(images[k]->path + images[k]->pathLength - base));
      out.raw(",\"path\":");
      out.string(images[k]->path, images[k]->pathLength);
      out.raw("}");
    }
    out.raw("]}\n");
  }
  ::fsync(fd);
  ::close(fd);
}

void handle(int signal, siginfo_t*, void* context) {
  if (!g_handling.exchange(true)) writeReport(signal, context);
  // Die of the same signal, as without this handler (the action was reset on entry).
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

void makeDirectories(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0700);
  }
  ::mkdir(path.c_str(), 0700);
}

}  // namespace

std::string defaultReportsDirectory() {
  const char* state = std::getenv("XDG_STATE_HOME");
  std::string base;
  if (state && *state == '/') {
    base = state;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : "") + "/.local/state";
  }
  return base + "/vesket/DiagnosticReports";
}

bool install(const std::string& processName, const std::string& appVersion, const std::string& build,
             const std::string& reportsDirectory) {
  copyFact(g_process, kFactSize, processName);
  copyFact(g_version, kFactSize, appVersion);
  copyFact(g_build, kFactSize, build);
  utsname system{};
  if (::uname(&system) == 0) {
    copyFact(g_os, kFactSize, std::string(system.sysname) + " " + system.release + " " + system.machine);
  }
  copyFact(g_directory, kPathSize, reportsDirectory);
  makeDirectories(reportsDirectory);
  // backtrace() loads its unwinder on first use: do that now, not inside the handler.
  void* warmUp[2];
  ::backtrace(warmUp, 2);
  stack_t stack{};
  stack.ss_sp = g_alternateStack;
  stack.ss_size = sizeof g_alternateStack;
  ::sigaltstack(&stack, nullptr);
  struct sigaction action {};
  action.sa_sigaction = handle;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  bool ok = true;
  for (int signal : kSignals) ok = ::sigaction(signal, &action, nullptr) == 0 && ok;
  return ok;
}

}  // namespace vesket::platform::CrashHandler
