#pragma once

// The Devices window: this device's approval state (its fingerprint while it waits), the
// requests waiting for a decision with Approve and Deny (and the in-app banners of requests
// no notification server could show), the account's devices with Revoke, the account's
// machines, a pairing code for another machine and the way to pair this one.

#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace vesket::relay {
class DeviceApprovalStore;
class MyMachinesStore;
}  // namespace vesket::relay

namespace vesket::ui {

class DeviceApprovalNotifier;

class DevicesWindow : public QWidget {
  Q_OBJECT

 public:
  DevicesWindow(relay::DeviceApprovalStore& store, relay::MyMachinesStore& machines, DeviceApprovalNotifier* notifier,
                QWidget* parent = nullptr);

  // Loads everything the window shows.
  void refresh();

  QLabel* thisDeviceLabel() const { return m_thisDevice; }
  QWidget* bannerArea() const { return m_bannerArea; }
  QPushButton* pairCodeButton() const { return m_pairCodeButton; }

 signals:
  void pairingRequested();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void renderThisDevice();
  void renderBanners();
  void renderPending();
  void renderDevices();
  void renderMachines();
  void renderPairCode();

  relay::DeviceApprovalStore& m_store;
  relay::MyMachinesStore& m_machines;
  DeviceApprovalNotifier* m_notifier;
  QLabel* m_thisDevice = nullptr;
  QWidget* m_bannerArea = nullptr;
  QVBoxLayout* m_banners = nullptr;
  QVBoxLayout* m_pending = nullptr;
  QVBoxLayout* m_devices = nullptr;
  QVBoxLayout* m_machineRows = nullptr;
  QLabel* m_error = nullptr;
  QPushButton* m_pairCodeButton = nullptr;
  QLabel* m_pairCode = nullptr;
};

}  // namespace vesket::ui
