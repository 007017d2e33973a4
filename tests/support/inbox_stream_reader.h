#pragma once

// Reads the relay's inbox change stream (GET /api/inbox/stream) as a client would, and
// keeps what arrived: the raw text and the names of the events.

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <string>
#include <vector>

namespace vesket::testing {

class InboxStreamReader {
 public:
  InboxStreamReader(const QString& baseUrl, const std::string& token) {
    QNetworkRequest request(QUrl(baseUrl + "/api/inbox/stream"));
    request.setRawHeader("Authorization", QByteArray("Bearer ") + token.c_str());
    request.setRawHeader("X-Vesket-Inbox-Caps", "answer-marker");
    m_reply = m_network.get(request);
    QObject::connect(m_reply, &QNetworkReply::readyRead, [this] { read(); });
  }
  ~InboxStreamReader() {
    if (m_reply) {
      m_reply->abort();
      m_reply->deleteLater();
    }
  }

  int status() const { return m_reply ? m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0; }
  bool finished() const { return !m_reply || m_reply->isFinished(); }
  const std::string& text() const { return m_text; }
  int count(const std::string& eventName) const {
    int n = 0;
    for (const auto& name : m_events) n += name == eventName;
    return n;
  }

 private:
  void read() {
    m_text += m_reply->readAll().toStdString();
    m_events.clear();
    std::size_t at = 0;
    while ((at = m_text.find("event: ", at)) != std::string::npos) {
      const auto end = m_text.find('\n', at);
      if (end == std::string::npos) break;
      m_events.push_back(m_text.substr(at + 7, end - at - 7));
      at = end;
    }
  }

  QNetworkAccessManager m_network;
  QPointer<QNetworkReply> m_reply;
  std::string m_text;
  std::vector<std::string> m_events;
};

}  // namespace vesket::testing
