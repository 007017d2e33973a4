#include "daemon/command_dispatcher.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include <fmt/format.h>

#include "control_plane/core/command_names.h"
#include "daemon/agent_prompt_service.h"
#include "daemon/build_info.h"
#include "daemon/core/agent_catalog.h"
#include "daemon/core/command_args.h"
#include "daemon/core/command_error.h"
#include "daemon/core/key_names.h"
#include "daemon/core/pane_query.h"
#include "daemon/crew_service.h"
#include "daemon/private_file.h"
#include "daemon/relay_pairing.h"
#include "daemon/tmux_engine.h"

namespace vesket::daemon {
namespace {

constexpr qsizetype kMaxImageBytes = 32 * 1024 * 1024;
constexpr int kMaxImages = 16;
constexpr qsizetype kMaxFileBytes = 32 * 1024 * 1024;
constexpr int kMaxPaneNameChars = 120;

QString q(const std::string& text) { return QString::fromStdString(text); }
std::string s(const QString& text) { return text.toStdString(); }

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }

QStringList enterKey() { return QStringList{QStringLiteral("Enter")}; }

}  // namespace

CommandDispatcher::CommandDispatcher(TmuxEngine& engine, DaemonContext context)
    : m_engine(engine), m_context(std::move(context)) {}

namespace {

// A command's result record, encoded as its reply's data. (The record is bound to a local
// before encoding: g++ 12 mis-builds temporaries around `co_await` in one expression.)
template <typename Result>
QCoro::Task<nlohmann::json> encoded(QCoro::Task<Result> answering) {
  Result result = co_await std::move(answering);
  co_return result.toJson();
}

}  // namespace

QCoro::Task<nlohmann::json> CommandDispatcher::dispatch(RequestFrame frame) {
  namespace Name = control_plane::CommandName;
  const std::string& cmd = frame.cmd;
  const nlohmann::json& args = frame.args;
  if (cmd == Name::ping) co_return ping().toJson();
  if (cmd == Name::relayStatus) co_return relayStatus();
  if (cmd == Name::listPanes) co_return co_await encoded(listPanes());
  if (cmd == Name::capture) co_return co_await encoded(capture(args));
  if (cmd == Name::send) co_return co_await encoded(send(args));
  if (cmd == Name::sendKey) co_return co_await encoded(sendKey(args));
  if (cmd == Name::answer) co_return co_await encoded(answer(args));
  if (cmd == Name::agentHook) {
    if (!m_context.agentPrompts) throw CommandError("agent-hook: not served by this daemon");
    auto reported = m_context.agentPrompts->hook(args);
    co_return co_await std::move(reported);
  }
  if (cmd == Name::sendImage) co_return co_await encoded(sendImage(args));
  if (cmd == Name::sendFile) co_return co_await encoded(sendFile(args));
  if (cmd == Name::uploadPart) co_return uploadPart(args);
  if (cmd == Name::resizeWindow) co_return co_await encoded(resizeWindow(args));
  if (cmd == Name::spawnShell || cmd == Name::spawnPlainTerminal) {
    const QString paneId = co_await spawn(cmd, args);
    if (cmd == Name::spawnShell) co_return control_plane::SpawnShellResult{true, s(paneId)}.toJson();
    co_return control_plane::SpawnPlainTerminalResult{true, s(paneId)}.toJson();
  }
  if (cmd == Name::attachInfo) co_return co_await encoded(attachInfo(args));
  if (cmd == Name::kill) co_return co_await encoded(kill(args));
  if (cmd == Name::setPaneLabel) co_return co_await encoded(setPaneLabel(args));
  if (cmd == Name::tmuxSourceList) co_return co_await encoded(tmuxSourceList());
  if (cmd == Name::tmuxSourceSet) co_return co_await encoded(tmuxSourceSet(args));
  if (cmd == Name::getAgentConfig) {
    co_return AgentCatalog::agentConfig(AgentCatalog::discover([](const std::string& name) {
      return !QStandardPaths::findExecutable(q(name)).isEmpty();
    })).toJson();
  }
  if (cmd == Name::crew) co_return co_await crew(args);
  if (cmd == Name::agentGroup) co_return co_await crews(cmd).agentGroup(args);
  if (cmd == Name::agentGroupRename) co_return co_await crews(cmd).renameAgentGroup(args);
  if (cmd == Name::enableMacosAutomation) co_return control_plane::EnableAutomationResult{true}.toJson();
  // Nothing to grant on this system: the application's check passes.
  if (cmd == Name::requestAccessibility) co_return nlohmann::json{{"trusted", true}};
  if (cmd == Name::selfVouch || cmd == Name::relayPair) {
    if (!m_context.relayPairing) throw CommandError(fmt::format("{}: not served by this daemon", cmd));
    auto answering = cmd == Name::selfVouch ? m_context.relayPairing->selfVouch(args) : m_context.relayPairing->savePairing(args);
    co_return co_await std::move(answering);
  }
  if (cmd == Name::shutdown) {
    qInfo().noquote() << "shutdown requested by a control client";
    if (m_context.requestStop) m_context.requestStop();
    co_return control_plane::ShutdownResult{true, static_cast<std::int64_t>(::getpid())}.toJson();
  }
  if (std::find(Name::streams.begin(), Name::streams.end(), cmd) != Name::streams.end()) {
    // Served by the stream services of the control connection, never as one reply.
    throw CommandError(fmt::format("{}: a stream, served on control connections only", cmd));
  }
  throw CommandError(fmt::format("unknown command: {}", cmd));
}

control_plane::PingResult CommandDispatcher::ping() const {
  control_plane::PingResult result;
  result.alive = true;
  result.ts = static_cast<double>(nowMs());
  result.pid = static_cast<std::int64_t>(::getpid());
  result.daemonSessionId = s(m_context.daemonSessionId);
  result.version = BuildInfo::version();
  return result;
}

nlohmann::json CommandDispatcher::relayStatus() const {
  nlohmann::json status = m_context.relayLinkStatus
                              ? m_context.relayLinkStatus()
                              : nlohmann::json{{"connected", false}, {"transportState", "unpaired"}};
  status["daemonSessionId"] = s(m_context.daemonSessionId);
  return status;
}

QCoro::Task<control_plane::PaneListReply> CommandDispatcher::listPanes() {
  auto panes = co_await m_engine.refreshNow();
  co_return control_plane::PaneListReply{std::move(panes)};
}

QCoro::Task<control_plane::PaneCapture> CommandDispatcher::capture(const nlohmann::json& args) {
  const CommandArgs a("capture", args);
  const std::string paneId = a.requirePaneId();
  std::string content = co_await m_engine.capture(q(paneId));
  co_return control_plane::PaneCapture{paneId, std::move(content)};
}

QCoro::Task<control_plane::SendResult> CommandDispatcher::send(const nlohmann::json& args) {
  const CommandArgs a("send", args);
  const std::string paneId = a.requirePaneId();
  const std::string text = a.requireString("text");
  // No submit key means Enter; an empty one types the text without submitting it.
  QStringList submit{QStringLiteral("Enter")};
  if (auto submitKey = a.optionalString("submitKey")) {
    submit.clear();
    if (!submitKey->empty()) {
      auto key = KeyNames::toTmuxKey(*submitKey);
      if (!key) a.fail(fmt::format("unknown submit key '{}'", *submitKey));
      submit << q(*key);
    }
  }
  const auto clientRequestId = a.optionalString("clientRequestId");
  if (clientRequestId && !m_sentRequests.claim(*clientRequestId)) {
    qInfo().noquote() << "send: repeated clientRequestId" << q(*clientRequestId) << "ignored";
    co_return control_plane::SendResult{.ok = true};
  }
  try {
    // A multi-line message is pasted (bracketed when the program asked for it), so that an
    // agent takes it as one message instead of submitting at the first line feed.
    if (text.find('\n') != std::string::npos) {
      co_await m_engine.pasteText(q(paneId), text);
    } else if (!text.empty()) {
      co_await m_engine.sendText(q(paneId), text);
    }
    if (!submit.isEmpty()) co_await m_engine.sendKeys(q(paneId), submit);
  } catch (const std::exception& error) {
    if (clientRequestId) m_sentRequests.release(*clientRequestId);
    co_return control_plane::SendResult{.ok = false, .error = error.what()};
  }
  co_return control_plane::SendResult{.ok = true};
}

QCoro::Task<control_plane::SendKeyAck> CommandDispatcher::sendKey(const nlohmann::json& args) {
  const CommandArgs a("send-key", args);
  const std::string paneId = a.requirePaneId();
  const std::string name = a.requireString("key");
  const auto key = KeyNames::toTmuxKey(name);
  if (!key) a.fail(fmt::format("unknown key '{}'", name));
  const QStringList keys{q(*key)};
  co_await m_engine.sendKeys(q(paneId), keys);
  co_return control_plane::SendKeyAck{true};
}

// Agents number their choices and take the number as the answer: one choice is typed as
// its number; several (a multiple-choice question) are typed one after the other and
// confirmed with Enter; no choice confirms the highlighted default with Enter. A prompt the
// agent reported through its hooks is answered with the keys of the chosen option, and an
// agent idling at its input prompt gets the number as a message (followed by Enter).
QCoro::Task<control_plane::SendKeyAck> CommandDispatcher::answer(const nlohmann::json& args) {
  const CommandArgs a("answer", args);
  const std::string paneId = a.requirePaneId();
  const auto choice = a.optionalInteger("choice", 1, 99);
  const auto choices = a.optionalIntegerArray("choices", 1, 99);
  const auto promptId = a.optionalString("promptId");
  if (choice && choices) a.fail("give either 'choice' or 'choices', not both");
  if (m_context.agentPrompts && !choices) {
    const bool idle = m_context.agentPrompts->isWaitingForMessage(paneId);
    if (auto keys = m_context.agentPrompts->takeAnswerKeys(paneId, promptId, choice)) {
      QStringList tmuxKeys;
      for (const auto& key : *keys) tmuxKeys << q(key);
      co_await m_engine.sendKeys(q(paneId), tmuxKeys);
      co_return control_plane::SendKeyAck{true};
    }
    if (choice && idle) {
      co_await m_engine.sendText(q(paneId), std::to_string(*choice));
      co_await m_engine.sendKeys(q(paneId), enterKey());
      co_return control_plane::SendKeyAck{true};
    }
  }
  if (choice) {
    co_await m_engine.sendText(q(paneId), std::to_string(*choice));
  } else if (choices && !choices->empty()) {
    for (const std::int64_t each : *choices) {
      co_await m_engine.sendText(q(paneId), std::to_string(each));
    }
    co_await m_engine.sendKeys(q(paneId), enterKey());
  } else {
    co_await m_engine.sendKeys(q(paneId), enterKey());
  }
  co_return control_plane::SendKeyAck{true};
}

// Images (as Base64, or staged uploads by id) are stored under the product home and their
// paths typed into the pane after the text (agents such as Claude Code attach an image when
// its path is typed), then submitted unless "submit" is false (an image pasted into a
// terminal joins the line being typed).
QCoro::Task<control_plane::ImageSendResult> CommandDispatcher::sendImage(const nlohmann::json& args) {
  const CommandArgs a("send-image", args);
  const std::string paneId = a.requirePaneId();
  const auto images = a.requireObjectArray("images");
  const std::string text = a.optionalString("text").value_or("");
  const bool submit = a.optionalBool("submit").value_or(true);
  if (images.empty()) a.fail("argument 'images' must hold at least one image");
  if (images.size() > kMaxImages) a.fail(fmt::format("at most {} images at once", kMaxImages));

  std::vector<std::pair<QByteArray, std::string>> decoded;
  for (const auto& image : images) {
    const CommandArgs each("send-image", image);
    std::string ext = each.requireString("ext");
    // The extension becomes part of a path typed into the pane: letters and digits only.
    const bool plain = !ext.empty() && ext.size() <= 8 &&
                       std::all_of(ext.begin(), ext.end(), [](unsigned char c) { return std::isalnum(c) != 0; });
    if (!plain) a.fail(fmt::format("image extension '{}' must be 1 to 8 letters or digits", ext));
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    QByteArray bytes;
    if (each.has("uploadId")) {
      // Staged through "upload-part" (an image from another machine).
      QFile staged(stagedUpload(each));
      if (!staged.open(QIODevice::ReadOnly)) a.fail("no upload of that id");
      bytes = staged.readAll();
      staged.remove();
    } else {
      auto read = QByteArray::fromBase64Encoding(QByteArray::fromStdString(each.requireString("base64")),
                                                 QByteArray::AbortOnBase64DecodingErrors);
      if (!read) a.fail("an image's 'base64' is not valid Base64");
      bytes = std::move(read.decoded);
    }
    if (bytes.isEmpty()) a.fail("an image is empty");
    if (bytes.size() > kMaxImageBytes) a.fail("an image is larger than 32 MiB");
    decoded.emplace_back(std::move(bytes), std::move(ext));
  }

  const QString dir = m_context.paths.imagesDir();
  if (auto failed = PrivateFile::makeDirectory(dir)) a.fail(s(*failed));
  std::vector<std::string> paths;
  std::vector<QString> written;
  std::string typed = text;
  for (const auto& [bytes, ext] : decoded) {
    const QString path = QStringLiteral("%1/%2.%3")
                             .arg(dir, QUuid::createUuid().toString(QUuid::WithoutBraces), q(ext));
    if (auto failed = PrivateFile::write(path, bytes)) {
      // All or nothing: the images of this request already stored go too.
      for (const QString& done : written) QFile::remove(done);
      co_return control_plane::ImageSendResult{.ok = false, .error = s(*failed)};
    }
    written.push_back(path);
    paths.push_back(s(path));
    if (!typed.empty()) typed += ' ';
    typed += s(path);
  }
  try {
    co_await m_engine.sendText(q(paneId), typed);
    if (submit) co_await m_engine.sendKeys(q(paneId), enterKey());
  } catch (const std::exception& error) {
    co_return control_plane::ImageSendResult{.ok = false, .error = error.what(), .paths = std::move(paths)};
  }
  co_return control_plane::ImageSendResult{.ok = true, .paths = std::move(paths)};
}

// Uploads from another machine come through the relay in parts ("upload-part", each
// awaited before the next, so one upload never fills the link), staged under the product
// home until "send-file" or "send-image" takes them by their upload id.
nlohmann::json CommandDispatcher::uploadPart(const nlohmann::json& args) {
  const CommandArgs a("upload-part", args);
  const QString path = stagedUpload(a);
  const auto offset = a.requireInteger("offset", 0, kMaxFileBytes);
  auto bytes = QByteArray::fromBase64Encoding(QByteArray::fromStdString(a.requireString("base64")),
                                              QByteArray::AbortOnBase64DecodingErrors);
  if (!bytes) a.fail("argument 'base64' is not valid Base64");
  if (offset == 0) {
    if (auto failed = PrivateFile::makeDirectory(m_context.paths.uploadsDir())) a.fail(s(*failed));
    // Staged uploads nobody took within an hour are left-overs of lost requests.
    const QDateTime stale = QDateTime::currentDateTime().addSecs(-3600);
    for (const QFileInfo& old : QDir(m_context.paths.uploadsDir()).entryInfoList(QDir::Files)) {
      if (old.lastModified() < stale) QFile::remove(old.filePath());
    }
  }
  QFile file(path);
  // Parts arrive in order: a part whose offset is not where the staged file ends is refused.
  if (file.exists() ? file.size() != offset : offset != 0) a.fail("a part out of order");
  if (offset + bytes.decoded.size() > kMaxFileBytes) a.fail("the upload is larger than 32 MiB");
  if (!file.open(offset == 0 ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::Append) ||
      file.write(bytes.decoded) != bytes.decoded.size()) {
    a.fail("cannot stage the upload: " + s(file.errorString()));
  }
  if (offset == 0) PrivateFile::restrict(path);
  return nlohmann::json{{"ok", true}, {"bytes", offset + bytes.decoded.size()}};
}

QString CommandDispatcher::stagedUpload(const CommandArgs& a) const {
  const std::string id = a.requireString("uploadId");
  const bool plain = !id.empty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), [](unsigned char c) {
    return std::isalnum(c) != 0 || c == '-' || c == '_';
  });
  if (!plain) a.fail("argument 'uploadId' must be 1 to 64 letters, digits, '-' or '_'");
  return m_context.paths.uploadsDir() + QLatin1Char('/') + q(id);
}

// A file is kept in a folder of its own under the product home, so it keeps its name, and
// its path typed into the pane after the text, then submitted: the agent reads it there.
// With "typePath" false the file is only kept and its path answered: a message carrying
// several files is typed once, by the caller, after all of them have arrived.
QCoro::Task<control_plane::FileSendResult> CommandDispatcher::sendFile(const nlohmann::json& args) {
  const CommandArgs a("send-file", args);
  const std::string paneId = a.requirePaneId();
  const std::string text = a.optionalString("text").value_or("");
  const bool typePath = a.optionalBool("typePath").value_or(true);
  const QString staged = stagedUpload(a);
  // The name becomes the last part of a path typed into the pane: folders, control
  // characters and what a shell reads as a word break or a quote become '_'.
  std::string name;
  for (const unsigned char c : a.requireString("name").substr(0, 200)) {
    const bool plain = c >= 0x20 && c != 0x7f && c != '/' && c != '\\' && c != ' ' && c != '\'' && c != '"';
    name += plain ? static_cast<char>(c) : '_';
  }
  if (name.empty() || name.front() == '.') name.insert(0, "file");
  if (!QFileInfo::exists(staged)) a.fail("no upload of that id");
  if (!typePath) {
    // Nothing is typed, so ask tmux whether the pane is there: a file for a pane that is
    // gone is not kept.
    auto locating = m_engine.command(PaneQuery::locationCommand(paneId));
    const auto answer = co_await std::move(locating);
    if (!PaneQuery::location(answer, paneId)) {
      QFile::remove(staged);
      throw CommandError("no such pane: " + paneId);
    }
  }

  const QString dir = QStringLiteral("%1/%2").arg(m_context.paths.filesDir(), QUuid::createUuid().toString(QUuid::WithoutBraces));
  if (auto failed = PrivateFile::makeDirectory(dir)) a.fail(s(*failed));
  const QString path = dir + QLatin1Char('/') + q(name);
  if (!QFile::rename(staged, path)) {
    QDir(dir).removeRecursively();
    a.fail("cannot keep the upload");
  }
  if (!typePath) co_return control_plane::FileSendResult{.ok = true, .paths = std::vector<std::string>{s(path)}};
  std::string typed = text;
  if (!typed.empty()) typed += ' ';
  typed += s(path);
  std::optional<std::string> failure;
  try {
    co_await m_engine.sendText(q(paneId), typed);
    co_await m_engine.sendKeys(q(paneId), enterKey());
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (failure) {
    // The pane did not get it (gone, most likely): the file goes too.
    QDir(dir).removeRecursively();
    throw CommandError(*failure);
  }
  co_return control_plane::FileSendResult{.ok = true, .paths = std::vector<std::string>{s(path)}};
}

QCoro::Task<control_plane::WindowResizeResult> CommandDispatcher::resizeWindow(const nlohmann::json& args) {
  const CommandArgs a("resize-window", args);
  const std::string paneId = a.requirePaneId();
  const auto cols = a.optionalInteger("cols", 2, 10000);
  const std::string mode = a.optionalString("mode").value_or(cols ? "manual" : "auto");
  std::optional<int> wanted;
  if (mode == "manual") {
    if (!cols) a.fail("mode 'manual' needs 'cols'");
    wanted = static_cast<int>(*cols);
  } else if (mode != "auto") {
    a.fail(fmt::format("argument 'mode' must be 'manual' or 'auto', not '{}'", mode));
  }
  const WindowSizeResult size = co_await m_engine.resizeWindow(q(paneId), wanted);
  co_return control_plane::WindowResizeResult{true, size.cols, size.rows, s(size.mode)};
}

QCoro::Task<QString> CommandDispatcher::spawn(const std::string& cmd, const nlohmann::json& args) {
  const CommandArgs a(cmd, args);
  if (cmd == control_plane::CommandName::spawnPlainTerminal) {
    // A loose terminal window, remembered as one by the crew service.
    const QString windowName = q(a.optionalString("windowName").value_or(""));
    const std::string agent = a.optionalString("agent").value_or("");
    co_return co_await crews(cmd).spawnPlainTerminal(windowName, agent);
  }
  co_return co_await m_engine.spawnShell();
}

QCoro::Task<control_plane::AttachInfoResult> CommandDispatcher::attachInfo(const nlohmann::json& args) {
  const CommandArgs a("attach-info", args);
  const auto paneId = a.optionalPaneId();
  std::optional<QString> pane;
  if (paneId) pane = q(*paneId);
  const TmuxAttachInfo info = co_await m_engine.attachInfo(pane);
  control_plane::AttachInfoResult result;
  result.ok = true;
  result.tmuxBin = s(info.tmuxBin);
  for (const QString& arg : info.socketArgs) result.socketArgs.push_back(s(arg));
  if (!info.session.isEmpty()) result.session = s(info.session);
  if (!info.windowId.isEmpty()) result.windowId = s(info.windowId);
  co_return result;
}

QCoro::Task<control_plane::KillResult> CommandDispatcher::kill(const nlohmann::json& args) {
  const CommandArgs a("kill", args);
  if (!a.has("paneId") && a.has("windowId")) {
    // A whole window (an agent group or a loose terminal) by its id.
    const QString windowId = q(a.requireString("windowId"));
    co_await crews("kill").killWindow(windowId);
    co_return control_plane::KillResult{"window", std::nullopt};
  }
  const std::string paneId = a.requirePaneId();
  const std::string scope = a.optionalString("scope").value_or("pane");
  if (scope != "pane" && scope != "window") {
    a.fail(fmt::format("argument 'scope' must be 'pane' or 'window', not '{}'", scope));
  }
  const QString killed = co_await m_engine.kill(q(paneId), scope == "window");
  co_return control_plane::KillResult{s(killed), paneId};
}

// The name the user gives a pane lives with the pane in tmux, so every client (and a
// restarted daemon) sees it.
QCoro::Task<control_plane::PaneLabelResult> CommandDispatcher::setPaneLabel(const nlohmann::json& args) {
  const CommandArgs a("set-pane-label", args);
  const std::string paneId = a.requirePaneId();
  const QString name = q(a.optionalString("customName").value_or("")).trimmed();
  if (name.size() > kMaxPaneNameChars) a.fail(fmt::format("argument 'customName' is longer than {} characters", kMaxPaneNameChars));
  if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; })) {
    a.fail("argument 'customName' holds control characters");
  }
  co_await m_engine.setPaneName(q(paneId), s(name));
  co_return control_plane::PaneLabelResult{true, paneId, s(name)};
}

QCoro::Task<control_plane::TmuxSourceListResult> CommandDispatcher::tmuxSourceList() {
  const auto candidates = co_await m_engine.listSources();
  control_plane::TmuxSourceListResult result;
  result.current = s(m_engine.socketPath());
  for (const auto& candidate : candidates) {
    result.candidates.push_back({s(candidate.value), s(candidate.label), candidate.sessionCount});
  }
  co_return result;
}

QCoro::Task<control_plane::TmuxSourceSetResult> CommandDispatcher::tmuxSourceSet(const nlohmann::json& args) {
  const CommandArgs a("tmux-source-set", args);
  const std::string value = a.requireString("value");
  if (value.empty() || value[0] != '/') a.fail("argument 'value' must be a tmux socket path");
  // The daemon's own socket answers connections too, but it is no tmux server.
  const QString canonical = QFileInfo(q(value)).canonicalFilePath();
  if (!canonical.isEmpty() && canonical == QFileInfo(m_context.paths.socketPath()).canonicalFilePath()) {
    a.fail("argument 'value' is the daemon's own control socket, not a tmux server");
  }
  // Remembered for the next start (unless a socket was named on the command line), and
  // only then used: a choice that cannot be kept changes nothing.
  const QString file = m_context.paths.tmuxSourceFile();
  QFile previous(file);
  const std::optional<QByteArray> before =
      previous.open(QIODevice::ReadOnly) ? std::optional(previous.read(64 * 1024)) : std::nullopt;
  previous.close();
  if (auto failed = PrivateFile::write(file, QByteArray::fromStdString(value) + '\n')) {
    co_return control_plane::TmuxSourceSetResult{
        .ok = false,
        .current = s(m_engine.socketPath()),
        .error = "cannot remember the tmux server for the next start: " + s(*failed)};
  }
  std::string error;
  try {
    co_await m_engine.switchSource(q(value));
  } catch (const std::exception& failure) {
    error = failure.what();
  }
  if (!error.empty()) {
    if (before) {
      PrivateFile::write(file, *before);
    } else {
      QFile::remove(file);
    }
    co_return control_plane::TmuxSourceSetResult{.ok = false, .current = s(m_engine.socketPath()), .error = error};
  }
  co_return control_plane::TmuxSourceSetResult{.ok = true, .current = s(m_engine.socketPath()), .applied = value};
}

CrewService& CommandDispatcher::crews(const std::string& cmd) const {
  if (!m_context.crews) throw CommandError(fmt::format("{}: not served by this daemon", cmd));
  return *m_context.crews;
}

QCoro::Task<nlohmann::json> CommandDispatcher::crew(nlohmann::json args) {
  const CommandArgs a("crew", args);
  const std::string action = a.requireString("action");
  if (action == "models") {
    std::map<std::string, std::map<std::string, std::string>> observed;
    for (const auto& pane : m_engine.panes()) {
      if (pane.agentKind && pane.model && !pane.model->empty()) {
        observed[*pane.agentKind][*pane.model] = pane.modelLabel.value_or("");
      }
    }
    const auto kinds = AgentCatalog::discover([](const std::string& name) {
      return !QStandardPaths::findExecutable(q(name)).isEmpty();
    });
    co_return AgentCatalog::modelCatalog(kinds, observed).toJson();
  }
  co_return co_await crews("crew").crew(args);
}

}  // namespace vesket::daemon
