#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include <qcoro/qcorotask.h>

#include "maintenance/core/update_checker_core.h"

class QNetworkAccessManager;

namespace vesket::maintenance {

// Learns of new releases: reads the release catalog (VESKET_UPDATE_URL_OVERRIDE, else the
// download host's) and publishes what it found in `result`. A pending-restart marker whose
// target build this program already is gets cleared; one it is not yet keeps the result at
// pendingRestart without asking the network. UI thread only.
class UpdateChecker : public QObject {
  Q_OBJECT
 public:
  struct Options {
    QString home;          // the product home (markers)
    qint64 ownBuild = 0;   // this application's build
    bool checkOnCreation = true;
    int requestTimeoutMs = 8000;
    std::function<void(const QString&)> log;  // catalog entries skipped
  };

  explicit UpdateChecker(Options options, QObject* parent = nullptr);
  ~UpdateChecker() override;

  const UpdateResult& result() const { return m_result; }
  QCoro::Task<void> check();

 signals:
  void resultChanged();

 private:
  void publish(UpdateResult result);

  Options m_options;
  UpdateResult m_result;
  QNetworkAccessManager* m_network;
};

}  // namespace vesket::maintenance
