// The settings store on QSettings: the one place that knows where settings
// live, how text and number kinds are stored, and how stray or damaged values
// fall back to the caller's default.
#include "config/settings.h"

#include <QDir>
#include <QMetaType>
#include <QStandardPaths>
#include <QString>
#include <QSysInfo>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace corvane::config {
namespace {

QString Latin1(std::string_view bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Reading must not create anything. On Windows, QSettings opens a missing
// registry key by creating it, so look first whether the key is there.
bool StoreExists([[maybe_unused]] std::string_view appName) {
#ifdef Q_OS_WIN
  const std::wstring path =
      (QStringLiteral("SOFTWARE\\") + Latin1(kMakerName) + u'\\' + Latin1(appName)).toStdWString();
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
#endif
  return true;
}

// The stored value, or an invalid QVariant when there is none.
QVariant Fetch(std::string_view appName, std::string_view valueName) {
  if (!StoreExists(appName)) return {};
  return OpenSettings(appName)->value(Latin1(valueName));
}

bool Store(std::string_view appName, std::string_view valueName, const QVariant& value) {
  const auto settings = OpenSettings(appName);
  settings->setValue(Latin1(valueName), value);
  settings->sync();
  if (settings->status() != QSettings::FormatError) return settings->status() == QSettings::NoError;
  // The old file held something we could not parse. The status sticks at
  // that first problem, so it does not tell whether our write reached the
  // file; writing once more onto the file as it is now does.
  const auto again = OpenSettings(appName);
  again->setValue(Latin1(valueName), value);
  again->sync();
  return again->status() == QSettings::NoError;
}

bool StoreNumber(std::string_view appName, std::string_view valueName, std::int32_t number) {
  return Store(appName, valueName, QVariant(number));
}

// A number taken by its 32 bits: -2^31 .. 2^32-1, the upper half wrapping.
std::optional<std::int32_t> As32Bits(long long number) {
  if (number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::uint32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
}

std::optional<std::int32_t> ParseNumber(const QString& text) {
  bool ok = false;
  const long long number = text.trimmed().toLongLong(&ok, 10);
  return ok ? As32Bits(number) : std::nullopt;
}

std::optional<std::int32_t> AsNumber(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::QString:
      return ParseNumber(value.toString());
    case QMetaType::QByteArray:
      return ParseNumber(QString::fromLatin1(value.toByteArray()));
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
      return As32Bits(value.toLongLong());
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
      const qulonglong number = value.toULongLong();
      return number <= std::numeric_limits<std::uint32_t>::max() ? As32Bits(static_cast<long long>(number))
                                                                 : std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

std::optional<std::string> AsText(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::QString:
      return value.toString().toLatin1().toStdString();
    case QMetaType::QByteArray:
      return value.toByteArray().toStdString();
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
      return std::to_string(value.toLongLong());
    case QMetaType::UShort:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
      return std::to_string(value.toULongLong());
    default:
      return std::nullopt;
  }
}

bool Fits16(std::int32_t number) { return std::in_range<std::int16_t>(number); }

// CardType, CardNumber, IF-Input: a value that does not fit reads as the default.
std::int16_t Read16(std::string_view appName, std::string_view valueName, std::int32_t numberDefault) {
  const std::int32_t number = ReadSetting(appName, valueName, numberDefault);
  return static_cast<std::int16_t>(Fits16(number) ? number : numberDefault);
}

}  // namespace

std::unique_ptr<QSettings> OpenSettings(std::string_view appName) {
#ifdef Q_OS_WIN
  auto settings = std::make_unique<QSettings>(
      QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\") + Latin1(kMakerName) + u'\\' + Latin1(appName),
      QSettings::NativeFormat);
#else
  // An explicit file rather than QSettings' own user-scope lookup: that one
  // would name the file ".ini" and remember the folder for the whole process.
  QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (folder.isEmpty()) folder = QDir::homePath() + QStringLiteral("/.config");
  auto settings = std::make_unique<QSettings>(
      folder + u'/' + Latin1(kMakerName) + u'/' + Latin1(appName) + QStringLiteral(".conf"), QSettings::IniFormat);
#endif
  settings->setFallbacksEnabled(false);
  return settings;
}

bool WriteSetting(std::string_view appName, std::string_view valueName, std::string_view text) {
  return Store(appName, valueName, QVariant(Latin1(text)));
}

bool WriteSetting(std::string_view appName, std::string_view valueName, double number) {
  const double whole = std::round(number);  // halves away from zero; NaN stays NaN
  if (!(whole >= std::numeric_limits<std::int32_t>::min() && whole <= std::numeric_limits<std::int32_t>::max())) {
    return false;
  }
  return StoreNumber(appName, valueName, static_cast<std::int32_t>(whole));
}

bool WriteSetting(std::string_view appName, std::string_view valueName, std::int64_t number) {
  return std::in_range<std::int32_t>(number) && StoreNumber(appName, valueName, static_cast<std::int32_t>(number));
}

std::string ReadSetting(std::string_view appName, std::string_view valueName, std::string_view textDefault) {
  return AsText(Fetch(appName, valueName)).value_or(std::string(textDefault));
}

std::int32_t ReadSetting(std::string_view appName, std::string_view valueName, std::int32_t numberDefault) {
  return AsNumber(Fetch(appName, valueName)).value_or(numberDefault);
}

namespace {

// The network settings are a person's text (a station called Zürich, a
// password file in a folder with an accent), not the card's bytes: UTF-8.
std::string ReadUtf8Setting(std::string_view appName, std::string_view valueName, const std::string& textDefault) {
  const QVariant value = Fetch(appName, valueName);
  if (value.typeId() == QMetaType::QString) {
    return value.toString().toUtf8().toStdString();
  }
  return AsText(value).value_or(textDefault);
}

bool WriteUtf8Setting(std::string_view appName, std::string_view valueName, const std::string& text) {
  return Store(appName, valueName, QVariant(QString::fromStdString(text)));
}

}  // namespace

Settings ReadAllSettings(std::string_view appName, std::int32_t currentX, std::int32_t currentY) {
  Settings settings;
  settings.HostName = ReadSetting(appName, kHostName, kDefaultHostName);
  settings.CardType = Read16(appName, kCardType, kDefaultCardType);
  settings.CardNumber = Read16(appName, kCardNumber, kDefaultCardNumber);
  settings.IFInput = Read16(appName, kIFInput, kDefaultIFInput);
  settings.IFFreqs = ReadSetting(appName, kIFFreqs, kDefaultIFFreqs);
  settings.Database = ReadSetting(appName, kDatabase, kDefaultDatabase);
  settings.XRaw = ReadSetting(appName, kX, currentX);
  settings.YRaw = ReadSetting(appName, kY, currentY);
  settings.HasPosition = AsNumber(Fetch(appName, kX)).has_value() && AsNumber(Fetch(appName, kY)).has_value();
  settings.X = static_cast<std::int16_t>(Fits16(settings.XRaw) ? settings.XRaw : 0);
  settings.Y = static_cast<std::int16_t>(Fits16(settings.YRaw) ? settings.YRaw : 0);
  settings.DatabaseUrl = ReadUtf8Setting(appName, kDatabaseUrl, "");
  // An empty name cannot be a station's (nor part of its MQTT topic): it
  // reads as this machine's, like an absent one.
  settings.StationName = ReadUtf8Setting(appName, kStationName, "");
  if (settings.StationName.empty()) {
    settings.StationName = QSysInfo::machineHostName().toStdString();
  }
  settings.MqttUrl = ReadUtf8Setting(appName, kMqttUrl, "");
  settings.MqttTopic = ReadUtf8Setting(appName, kMqttTopic, "");
  settings.MqttPasswordFile = ReadUtf8Setting(appName, kMqttPasswordFile, "");
  settings.Reconnect = ReadSetting(appName, kReconnect, kDefaultReconnect);
  settings.Alerts = ReadUtf8Setting(appName, kAlerts, "");
  settings.AlertSound = ReadSetting(appName, kAlertSound, 0);
  settings.AlertNotify = ReadSetting(appName, kAlertNotify, 0);
  settings.HttpAddress = ReadUtf8Setting(appName, kHttpAddress, "");
  settings.HttpTokenFile = ReadUtf8Setting(appName, kHttpTokenFile, "");
  settings.HttpCertificate = ReadUtf8Setting(appName, kHttpCertificate, "");
  settings.HttpKey = ReadUtf8Setting(appName, kHttpKey, "");
  settings.KeepDays = std::max(ReadSetting(appName, kKeepDays, 0), 0);
  settings.KeepAlertDays = std::max(ReadSetting(appName, kKeepAlertDays, 0), 0);
  settings.KeepSize = ReadUtf8Setting(appName, kKeepSize, "");
  settings.LogRotate = ReadUtf8Setting(appName, kLogRotate, "");
  settings.AdsbSource = ReadUtf8Setting(appName, kAdsbSource, "");
  settings.StationLatitude = ReadUtf8Setting(appName, kStationLatitude, "");
  settings.StationLongitude = ReadUtf8Setting(appName, kStationLongitude, "");
  return settings;
}

std::vector<NamedValue> DialogValues(const Settings& settings) {
  return {{kHostName, settings.HostName},
          {kCardType, std::int32_t{settings.CardType}},
          {kCardNumber, std::int32_t{settings.CardNumber}},
          {kIFInput, std::int32_t{settings.IFInput}},
          {kIFFreqs, settings.IFFreqs}};
}

std::vector<NamedValue> ShutDownValues(std::int32_t left, std::int32_t top, std::int32_t database) {
  return {{kX, left}, {kY, top}, {kDatabase, database}};
}

bool WriteValues(std::string_view appName, const std::vector<NamedValue>& values) {
  bool allStored = true;
  for (const NamedValue& named : values) {
    const bool stored = std::visit(
        [&](const auto& value) {
          if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>) {
            return WriteSetting(appName, named.name, std::string_view(value));
          } else {
            return StoreNumber(appName, named.name, value);
          }
        },
        named.value);
    allStored = stored && allStored;
  }
  return allStored;
}

bool WriteDialogSettings(std::string_view appName, const Settings& settings) {
  return WriteValues(appName, DialogValues(settings));
}

bool WriteShutDownSettings(std::string_view appName, std::int32_t left, std::int32_t top, std::int32_t database) {
  return WriteValues(appName, ShutDownValues(left, top, database));
}

bool WriteAlertSettings(std::string_view appName, const std::string& alerts, bool sound) {
  const bool stored = WriteUtf8Setting(appName, kAlerts, alerts);
  return StoreNumber(appName, kAlertSound, sound ? 1 : 0) && stored;
}

bool WriteAlertNotice(std::string_view appName, bool sound, bool notify) {
  const bool stored = StoreNumber(appName, kAlertSound, sound ? 1 : 0);
  return StoreNumber(appName, kAlertNotify, notify ? 1 : 0) && stored;
}

bool WriteStoreAndNetworkSettings(std::string_view appName, const Settings& settings) {
  bool allStored = StoreNumber(appName, kDatabase, settings.Database);
  for (const auto& [name, text] : {std::pair{kDatabaseUrl, &settings.DatabaseUrl},
                                   {kStationName, &settings.StationName},
                                   {kMqttUrl, &settings.MqttUrl},
                                   {kMqttTopic, &settings.MqttTopic},
                                   {kHttpAddress, &settings.HttpAddress},
                                   {kKeepSize, &settings.KeepSize},
                                   {kAdsbSource, &settings.AdsbSource}}) {
    allStored = WriteUtf8Setting(appName, name, *text) && allStored;
  }
  allStored = StoreNumber(appName, kKeepDays, settings.KeepDays) && allStored;
  allStored = StoreNumber(appName, kKeepAlertDays, settings.KeepAlertDays) && allStored;
  return StoreNumber(appName, kReconnect, settings.Reconnect) && allStored;
}

void CopyStoreAndNetwork(const Settings& from, Settings& to) {
  to.Database = from.Database;
  to.DatabaseUrl = from.DatabaseUrl;
  to.StationName = from.StationName;
  to.MqttUrl = from.MqttUrl;
  to.MqttTopic = from.MqttTopic;
  to.HttpAddress = from.HttpAddress;
  to.Reconnect = from.Reconnect;
  to.KeepDays = from.KeepDays;
  to.KeepAlertDays = from.KeepAlertDays;
  to.KeepSize = from.KeepSize;
  to.AdsbSource = from.AdsbSource;
}

bool SameStoreAndNetwork(const Settings& a, const Settings& b) {
  return a.Database == b.Database && a.DatabaseUrl == b.DatabaseUrl && a.StationName == b.StationName &&
         a.MqttUrl == b.MqttUrl && a.MqttTopic == b.MqttTopic && a.HttpAddress == b.HttpAddress &&
         a.Reconnect == b.Reconnect && a.KeepDays == b.KeepDays && a.KeepAlertDays == b.KeepAlertDays &&
         a.KeepSize == b.KeepSize && a.AdsbSource == b.AdsbSource;
}

}  // namespace corvane::config
