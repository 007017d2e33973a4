#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <string>
#include <string_view>

class QLocalSocket;

namespace vesket::daemon {

// What a control connection reads its request lines from and writes its reply lines to:
// a client's socket, or the relay link, which hands lines and terminal frames over inside
// the process.
//
// A transport signals `readyRead` when bytes wait to be read, `bytesWritten` when the peer
// took some of what was queued, `disconnected` once it is over (whichever side ended it) and
// `failed` when it broke.
class ConnectionTransport : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  virtual bool isOpen() const = 0;
  virtual qint64 bytesAvailable() const = 0;
  virtual QByteArray readAll() = 0;
  // Hands over one complete line; what cannot leave at once is queued.
  virtual void write(std::string_view line) = 0;
  // Bytes handed over but not yet taken by the peer.
  virtual qint64 bytesToWrite() const = 0;
  // Sends one terminal frame of the stream with this request id as it is. False when the
  // transport carries frames only inside event lines (the caller then sends the line).
  virtual bool writeFrame(const std::string& streamId, std::string_view frame);
  // Lets what is queued leave, then ends.
  virtual void close() = 0;
  // Ends at once; what is queued is lost.
  virtual void abort() = 0;

 signals:
  void readyRead();
  void bytesWritten();
  void disconnected();
  void failed(const QString& reason);
};

// A client's local socket. Takes ownership of the socket.
class LocalSocketTransport : public ConnectionTransport {
  Q_OBJECT

 public:
  explicit LocalSocketTransport(QLocalSocket* socket, QObject* parent = nullptr);

  bool isOpen() const override;
  qint64 bytesAvailable() const override;
  QByteArray readAll() override;
  void write(std::string_view line) override;
  qint64 bytesToWrite() const override;
  void close() override;
  void abort() override;

 private:
  // Writes what the socket takes without waiting; returns how many bytes that was.
  std::size_t writeNow(std::string_view bytes);

  QLocalSocket* m_socket;
};

}  // namespace vesket::daemon
