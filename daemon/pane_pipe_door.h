#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include <qcoro/qcorotask.h>

class QSocketNotifier;

namespace vesket::daemon {

// Where tmux hands the daemon the daemon's end of a pane pipe.
//
// `pipe-pane -I -O` connects a command's standard input to the pane's output and its
// standard output to the pane's input, both over one socket of tmux's. The command the
// daemon gives it (`shellCommand`) runs `vesket internal-pane-pipe <door> <key>`, which
// passes that socket to the daemon over the door (a Unix socket in the daemon's private
// directory) and ends: from then on tmux and the daemon talk directly, raw bytes both ways.
// A key is good for one hand-over; a connection with an unknown key, from another account,
// or that says nothing sensible is closed.
class PanePipeDoor : public QObject {
  Q_OBJECT

 public:
  // `helperProgram`: the `vesket` executable tmux starts for the hand-over.
  PanePipeDoor(QString socketPath, QString helperProgram, QObject* parent = nullptr);
  ~PanePipeDoor() override;

  // Opens the door; false (with the reason logged) when pane pipes cannot be used.
  bool open();
  bool isOpen() const { return m_listenFd >= 0; }

  struct Ticket {
    std::string key;
    std::string shellCommand;  // for `pipe-pane`; quote it (and double its "#") for tmux
  };
  Ticket ticket();

  // The descriptor handed over under `key` (non-blocking, close-on-exec, now the caller's),
  // or -1 when none came in time. The key is spent either way.
  QCoro::Task<int> receive(std::string key, std::chrono::milliseconds timeout);

 signals:
  void handedIn();

 private:
  // A connection that has yet to hand its descriptor over; one that stays silent for
  // kCallerPatience is closed, so no caller holds a place for long.
  struct Caller {
    std::unique_ptr<QSocketNotifier> notifier;
    std::uint64_t serial = 0;
  };
  void onConnection();
  void onCallerReadable(int fd);

  QString m_socketPath;
  QString m_helperProgram;
  int m_listenFd = -1;
  std::unique_ptr<QSocketNotifier> m_notifier;
  std::set<std::string> m_expected;
  std::map<std::string, int> m_arrived;
  std::map<int, Caller> m_callers;
  std::uint64_t m_callerSerial = 0;
};

// The helper's side (`vesket internal-pane-pipe <door> <key>`): passes standard input to
// the door under the key. Returns the process's exit code.
int handOverPanePipe(const char* doorPath, const char* key);

}  // namespace vesket::daemon
