#pragma once

// The object the terminal page talks to over the web channel ("terminalBridge"): every
// message the page posts arrives at postMessage and is passed on as a signal.

#include <QJsonObject>
#include <QObject>
#include <QString>

namespace vesket::terminal {

class LiveTerminalChannel : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 public slots:
  void postMessage(const QString& name, const QJsonObject& payload) { emit messagePosted(name, payload); }

 signals:
  void messagePosted(const QString& name, const QJsonObject& payload);
};

}  // namespace vesket::terminal
