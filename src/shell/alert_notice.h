// How an alert makes itself known outside the window, when the settings ask
// for it: a beep, and a desktop notification through the session bus
// (org.freedesktop.Notifications). Without a bus or a notification server
// the notification is left out, said once on standard error.
#pragma once

#include <QObject>
#include <QString>

namespace corvane::shell {

class AlertNotice : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  void SetSound(bool on) { sound_ = on; }
  void SetNotify(bool on) { notify_ = on; }
  [[nodiscard]] bool Sound() const { return sound_; }
  [[nodiscard]] bool Notify() const { return notify_; }

  // What the settings ask for, for one alert.
  void Tell(const QString& summary, const QString& body);

 private:
  void SendNotification(const QString& summary, const QString& body);
  void SayOnce(const QString& why);

  bool sound_ = false;
  bool notify_ = false;
  bool said_ = false;
};

}  // namespace corvane::shell
