#pragma once

// Where a view asks for one of the application's own windows (Devices, pairing) without
// knowing who owns it; the application connects these once at start.

#include <QObject>

namespace vesket::inbox {
struct OpenInboxDecision;
}  // namespace vesket::inbox

namespace vesket::ui {

class WindowRequests : public QObject {
  Q_OBJECT

 public:
  static WindowRequests& shared() {
    static WindowRequests requests;
    return requests;
  }

 signals:
  void devicesRequested();
  void pairingRequested();
  void inboxRequested();
  // The Inbox brings this decision's card into view (connected directly: the reference
  // lives only for the emission).
  void decisionRequested(const vesket::inbox::OpenInboxDecision& decision);
};

}  // namespace vesket::ui
