// The alert's beep and its desktop notification. The notification is sent
// without waiting for the answer; a failing answer is said once.
#include "shell/alert_notice.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <cstdio>

namespace corvane::shell {

namespace {

constexpr int kShownForMs = 10000;

}  // namespace

void AlertNotice::Tell(const QString& summary, const QString& body) {
  if (sound_) {
    QApplication::beep();
  }
  if (notify_) {
    SendNotification(summary, body);
  }
}

// Notify(app_name, replaces_id, app_icon, summary, body, actions, hints,
// expire_timeout), in the order the desktop notification service takes them.
void AlertNotice::SendNotification(const QString& summary, const QString& body) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    SayOnce("there is no desktop session bus");
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                                     "org.freedesktop.Notifications", "Notify");
  call << QString("Corvane") << 0U << QString("dialog-warning") << summary << body << QStringList() << QVariantMap()
       << kShownForMs;
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answer) {
    if (answer->isError()) {
      SayOnce(answer->error().message());
    }
    answer->deleteLater();
  });
}

void AlertNotice::SayOnce(const QString& why) {
  if (!said_) {
    said_ = true;
    std::fprintf(stderr, "corvane: alerts are not shown as desktop notifications: %s\n", why.toLocal8Bit().constData());
  }
}

}  // namespace corvane::shell
