#pragma once

// The live terminal of one pane: the terminal page (xterm.js) in an embedded web view,
// bridged to a terminal transport.
//
// The bridge feeds the pane's output and history into the page and carries what the user
// types (in the page, pasted, or keys handed in by the window) back to the pane. Every
// transport session gets the next attach generation; callbacks and scripts of an older one
// are dropped. Scripts for the page are batched (JSWriteCoalescer): one evaluation per
// flush. Input passes the composition fence, so keys typed during an input-method
// composition follow its committed text.
//
// The web engine headers stay out of this header; the page is reachable for tests through
// runScript.

#include <QJsonObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "relay/core/terminal_mirror_rules.h"
#include "relay/local_terminal_mirror_client.h"
#include "shell/settings_key.h"
#include "viewer/core/terminal_key_event.h"

class QImage;
class QLabel;
class QPushButton;
class QStackedLayout;
class QWebEngineView;
class QWebEnginePage;
class QWebEngineProfile;
class QVariant;

namespace vesket::control_plane {
class ControlPlaneClient;
}
namespace vesket::shell {
class SettingsStore;
}

namespace vesket::terminal {

class LiveTerminalView : public QWidget {
  Q_OBJECT

 public:
  // How a pane is shown: "mirror" (the pane keeps its size, the view follows it) or
  // "takeover" (the pane's window takes the live terminal's size while it is open).
  static constexpr shell::SettingKey<QStringView> kDisplayModeKey{"durnvale.liveTerminalDisplayMode", u"mirror"};

  // Localisation key of the text shown when the page's resources are missing.
  static constexpr const char* kAssetsMissingText = QT_TRID_NOOP("macos.live_terminal.terminal_assets_missing");

  struct Options {
    // The daemon client the local transport attaches through.
    std::shared_ptr<control_plane::ControlPlaneClient> control;
    // History settings; none reads nothing (defaults: no de-hard-wrap, 500 lines).
    shell::SettingsStore* settings = nullptr;
    // Opens an http(s) link in the user's browser (QDesktopServices unless given).
    std::function<void(const QUrl&)> openUrl;
    // Whether the page is bundled (TerminalPageResources::isPresent unless given).
    std::function<bool()> pagePresent;
    int keepaliveIntervalMs = 10000;
    // How often a failed local attach is retried before the view gives up.
    int localAttachAttempts = 3;
    // The pause before retrying while the daemon is not reachable (grows per attempt).
    int retryDelayMs = 500;
    // Opens the relay's terminal client (a TerminalTransportClient QObject, parented to the
    // view) for the attach parameters: the route to another machine's pane ("d<id>/%N"),
    // and the fallback for this machine's panes once the local attach gave up. Null, or
    // null returned: no relay route.
    std::function<QObject*(const relay::TerminalAttachParams&, std::weak_ptr<relay::TerminalMirrorListener>, QObject* parent)>
        relayMirror;
  };
  // Input typed before a session is ready waits (in order) up to this many bytes.
  static constexpr std::size_t kMaxPendingInputBytes = 64 * 1024;

  explicit LiveTerminalView(Options options, QWidget* parent = nullptr);
  ~LiveTerminalView() override;

  // Shows `paneId` (a new session, the next generation); an empty id shows nothing. Another
  // machine's pane ("d<daemon id>/%N") is reached through the relay.
  void showPane(const QString& paneId);
  QString paneId() const { return m_paneId; }
  // Ends the session; nothing reaches the page afterwards.
  void tearDown();
  // Attaches the shown pane afresh after a failure.
  void retry();

  // Raw terminal keys (typed into the view, or handed in by the window): encoded, filtered
  // (duplicate presses, held-key pacing) and sent to the pane through the composition fence.
  void sendKey(const viewer::TerminalKeyEvent& event);
  // The clipboard: an image goes to the pane as an image attachment (stored by the daemon,
  // its path typed into the line being written, not submitted), text as a paste (bracketed
  // when the pane asked for it).
  void paste();
  void pasteText(const QString& text);
  void pasteImage(const QImage& image);
  // The page's selection to the clipboard.
  void copySelection();
  // The window came to the front or went to the back (no flushes while in the back).
  void setForeground(bool foreground);

  // Runs `script` in the page and hands its result to `done` (tests and benchmarks).
  void runScript(const QString& script, std::function<void(const QVariant&)> done);

  // For tests and the status line.
  bool isOverRelay() const { return m_overRelay; }
  std::int64_t generation() const;
  bool isPageReady() const { return m_pageReady; }
  // The terminal's colours (xterm.js theme keys: background, foreground, cursor,
  // selectionBackground, ...), applied now and to the page whenever it loads again.
  void setTheme(const QJsonObject& theme);
  bool isSessionReady() const { return m_sessionReady; }
  bool showsAssetsMissing() const;
  bool applicationCursorKeys() const { return m_applicationCursorKeys; }
  bool bracketedPasteMode() const { return m_bracketedPasteMode; }
  int evaluationCount() const { return m_evaluations; }
  QString statusText() const { return m_status; }
  QWebEngineView* webView() const { return m_view; }

 signals:
  void pageReady();
  void sessionReady();
  void statusChanged(const QString& text);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  class Listener;
  struct State;

  void onMessage(const QString& name, const QJsonObject& payload);
  void openSession();
  // The relay's route: another machine's pane, or this machine's after the local attach failed.
  void openRelaySession();
  std::int64_t beginSession();
  int historyLimit() const;
  void closeSession();
  void onLocalUnavailable(std::int64_t generation, const relay::LocalAttachUnavailableReason& reason);
  void enqueue(std::string script, std::optional<std::int64_t> generation);
  void flush();
  void sendInput(std::string bytes);
  void setStatus(const QString& text, bool failed = false);
  void deliverInput(const std::string& bytes);

  // Listener callbacks, already filtered by generation.
  void onReady(const relay::ReadyPayload& ready);
  void onOutput(const std::string& bytes);
  void onHistory(const std::string& bytes);
  void onHistoryEnd();
  void onHistoryOlder(const std::string& bytes);
  void onHistoryOlderEnd(bool atTop, std::int64_t lines);
  void onGeometry(int cols, int rows);
  void onMouseMode(const relay::MouseModePayload& payload);
  void onExit(const relay::ExitPayload& exit);
  void onError(const std::string& message);

  Options m_options;
  QStackedLayout* m_stack = nullptr;
  QLabel* m_missingLabel = nullptr;
  QWidget* m_statusBar = nullptr;
  QLabel* m_statusLabel = nullptr;
  QPushButton* m_retryButton = nullptr;
  QWebEngineProfile* m_profile = nullptr;
  QWebEngineView* m_view = nullptr;
  QWebEnginePage* m_page = nullptr;
  std::unique_ptr<State> m_state;  // generations, coalescer, fence, transport
  QString m_paneId;
  QString m_status;
  bool m_pageReady = false;
  QJsonObject m_theme;
  bool m_sessionReady = false;
  bool m_applicationCursorKeys = false;
  bool m_bracketedPasteMode = false;
  int m_cols = 80;
  int m_rows = 24;
  int m_localAttempts = 0;
  bool m_overRelay = false;
  int m_evaluations = 0;
};

}  // namespace vesket::terminal
