#pragma once

// Another machine's panes through the relay: its pane list, a pane's text (a content
// source for the text view), text, keys, images and files sent to a pane. Requests go to
// the relay's base URL with the account's bearer, 15 s each (uploads 30 s); pane ids are
// sent raw (namespaced ids are unwrapped). Failures are RelayPaneError
// (relay/core/relay_pane_rules.h).
//
// Lives on the thread that creates it (the UI thread).

#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>
#include <vector>

#include "control_plane/core/command_results.h"
#include "control_plane/core/pane_entry.h"
#include "relay/core/relay_pane_rules.h"
#include "viewer/core/active_remote_target.h"
#include "viewer/core/remote_pane_ids.h"
#include "viewer/remote_pane_source.h"

namespace vesket::relay {

class RelayPaneSource : public viewer::RemotePaneSource {
 public:
  using TargetProvider = std::function<std::optional<viewer::ActiveRemoteTarget>()>;
  using BearerProvider = std::function<std::optional<QString>()>;

  using RemoteRoster = viewer::RemotePaneRoster;

  static constexpr int kRequestTimeoutMs = 15000;
  static constexpr int kUploadTimeoutMs = 30000;

  RelayPaneSource(QUrl baseURL, TargetProvider target, BearerProvider bearer, QNetworkAccessManager* session);

  QCoro::Task<RemoteRoster> listPanes() override;
  QCoro::Task<std::string> captureContent(std::string paneId) override;
  QCoro::Task<control_plane::SendResult> sendText(std::string paneId, std::string text,
                                                  std::optional<std::string> clientRequestId) override;
  QCoro::Task<void> sendKey(std::string paneId, std::string key) override;
  QCoro::Task<control_plane::ImageSendResult> sendImage(std::string paneId, std::vector<control_plane::ImageAttachment> images,
                                                        std::string text,
                                                        std::function<void(double)> onProgress = nullptr) override;
  // `onProgress` gets the fraction (0..1) of the request body sent.
  QCoro::Task<control_plane::FileSendResult> sendFile(std::string paneId, QString filePath, std::string text,
                                                      std::function<void(double)> onProgress = nullptr);
  QCoro::Task<std::string> keepFile(std::string paneId, QString filePath,
                                    std::function<void(double)> onProgress = nullptr) override;

  static std::string namespacedPaneId(std::int64_t daemonId, std::string_view raw) {
    return viewer::RemotePaneIds::namespaced(daemonId, raw);
  }
  static std::string rawPaneId(std::string_view id) { return viewer::RemotePaneIds::raw(id); }

 private:
  struct Answer {
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
  };
  QCoro::Task<Answer> perform(QString path, QByteArray method, QByteArray body, QByteArray contentType, int timeoutMs,
                              std::function<void(double)> onProgress = nullptr);
  QCoro::Task<control_plane::FileSendResult> uploadFile(std::string paneId, QString filePath, std::string text, bool typePath,
                                                        std::function<void(double)> onProgress);
  std::int64_t daemonId() const;
  static nlohmann::json parse(const QByteArray& body);

  QUrl m_baseURL;
  TargetProvider m_target;
  BearerProvider m_bearer;
  QNetworkAccessManager* m_session;
};

}  // namespace vesket::relay
