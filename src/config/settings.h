// The settings store: the program's eight persistent settings, the store and
// network settings beside them, read with a default and written one value at
// a time. On Windows they live in the
// registry under HKLM "SOFTWARE\Nordquill Software\<app>", elsewhere in an INI file.
#pragma once

#include <QSettings>
#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace corvane::config {

inline constexpr std::string_view kAppName = "Corvane";
inline constexpr std::string_view kMakerName = "Nordquill Software";

// Value names, exactly as stored.
inline constexpr std::string_view kHostName = "HostName";
inline constexpr std::string_view kCardType = "CardType";
inline constexpr std::string_view kCardNumber = "CardNumber";
inline constexpr std::string_view kIFInput = "IF-Input";
inline constexpr std::string_view kIFFreqs = "IF-Freqs";
inline constexpr std::string_view kDatabase = "Database";
inline constexpr std::string_view kX = "X";
inline constexpr std::string_view kY = "Y";
// The PostgreSQL store of a station network ("Database" 4): the libpq
// connection string or URI, and this receiver's station name.
inline constexpr std::string_view kDatabaseUrl = "DatabaseUrl";
inline constexpr std::string_view kStationName = "StationName";
// Live traffic over MQTT: the broker's URL (empty: off), the topic
// (empty: "corvane/<station>/messages") and a file whose first line is the
// password (empty: none; it takes precedence over CORVANE_MQTT_PASSWORD and
// a password in the URL).
inline constexpr std::string_view kMqttUrl = "MqttUrl";
inline constexpr std::string_view kMqttTopic = "MqttTopic";
inline constexpr std::string_view kMqttPasswordFile = "MqttPasswordFile";
// 1: when the card server is lost, the window connects again by itself.
inline constexpr std::string_view kReconnect = "Reconnect";
// The watch list: one entry a line, in the search language (empty: none).
inline constexpr std::string_view kAlerts = "Alerts";
// 1: an alert plays a sound in the window.
inline constexpr std::string_view kAlertSound = "AlertSound";
// 1: an alert is also shown as a desktop notification.
inline constexpr std::string_view kAlertNotify = "AlertNotify";
// The web page: the address and port it is served on ("127.0.0.1:8080";
// empty: no page), and a file whose first line is the token browsers must
// show (needed for any address but loopback; set by hand only).
inline constexpr std::string_view kHttpAddress = "HttpAddress";
inline constexpr std::string_view kHttpTokenFile = "HttpTokenFile";
// The page over HTTPS: the certificate file (PEM) and its key file (PEM);
// both empty: plain HTTP (set by hand only).
inline constexpr std::string_view kHttpCertificate = "HttpCertificate";
inline constexpr std::string_view kHttpKey = "HttpKey";
// Retention: messages older than KeepDays days leave the store (0: kept for
// ever); those that raised an alert only after KeepAlertDays (0: for ever).
inline constexpr std::string_view kKeepDays = "KeepDays";
inline constexpr std::string_view kKeepAlertDays = "KeepAlertDays";
// And past this size on disk ("2G"; byte_size.h), the oldest leave whatever
// their age ("" or "0": no limit).
inline constexpr std::string_view kKeepSize = "KeepSize";
// The traffic log's rotation: "" or "none" one file, "daily" a new file each
// UTC day, the old one renamed with its day (set by hand only).
inline constexpr std::string_view kLogRotate = "LogRotate";
// ADS-B aircraft beside the messages: dump1090's or readsb's aircraft.json,
// as an http:// URL or a file path (empty: none), and the receiver's own
// position in decimal degrees (each empty: unknown; set by hand only).
inline constexpr std::string_view kAdsbSource = "AdsbSource";
inline constexpr std::string_view kStationLatitude = "StationLatitude";
inline constexpr std::string_view kStationLongitude = "StationLongitude";

// Defaults when a value is absent ("X" and "Y" default to the window's
// current position).
inline constexpr std::string_view kDefaultHostName = "127.0.0.1";
inline constexpr std::int32_t kDefaultCardType = -1;  // not configured
inline constexpr std::int32_t kDefaultCardNumber = -1;
inline constexpr std::int32_t kDefaultIFInput = 1;  // AF
inline constexpr std::int32_t kDefaultIFFreqs = 0;
inline constexpr std::int32_t kDefaultDatabase = 1;  // SQLite
inline constexpr std::int32_t kDefaultReconnect = 0;

// The store of one program. Windows: the native registry key
// HKEY_LOCAL_MACHINE\SOFTWARE\Nordquill Software\<appName>. Elsewhere: the INI
// file "Nordquill Software/<appName>.conf" in the user's config folder
// ($XDG_CONFIG_HOME, else ~/.config), looked up afresh on every call. Only that
// one key or file is consulted: no fallbacks to other files or scopes.
std::unique_ptr<QSettings> OpenSettings(std::string_view appName);

// Writes one value; true when the store took it. Text is written as text,
// byte for byte (each byte becomes the character of the same code, so every
// 8-bit byte, NUL included, comes back unchanged).
bool WriteSetting(std::string_view appName, std::string_view valueName, std::string_view text);

// Numbers are written as a 32-bit signed whole number. A fraction rounds to
// the nearest whole number, halves away from zero (2.5 -> 3, -2.5 -> -3). A
// number outside the 32-bit range (after rounding), or NaN, is refused: false,
// and the stored value stays as it was.
bool WriteSetting(std::string_view appName, std::string_view valueName, double number);
bool WriteSetting(std::string_view appName, std::string_view valueName, std::int64_t number);

// Any other integer type; bool is left out on purpose.
template <std::integral T>
requires(!std::same_as<T, bool> && !std::same_as<T, std::int64_t>) bool WriteSetting(std::string_view appName,
                                                                                     std::string_view valueName,
                                                                                     T number) {
  return std::in_range<std::int64_t>(number) && WriteSetting(appName, valueName, static_cast<std::int64_t>(number));
}

// Reads one value as text. Absent (or no store at all) -> the default. An
// empty stored text reads as empty, not as the default. A stored number reads
// as its decimal digits (the INI file cannot tell the kinds apart anyway); a
// list or any other kind reads as the default. Texts of any length come back
// whole, also beyond 4096 bytes. Characters beyond Latin-1, which only a hand
// edit can put there, read as '?'. Never creates the key or the file.
std::string ReadSetting(std::string_view appName, std::string_view valueName, std::string_view textDefault);

// Reads one value as a 32-bit number. Absent -> the default. Stored numbers
// are taken by their 32 bits: anything from -2147483648 to 4294967295 is
// accepted, and 2147483648 and above wrap (4294967295 reads as -1). A text
// that is a plain decimal whole number in that range counts as that number;
// any other text, or a number outside the range, reads as the default.
std::int32_t ReadSetting(std::string_view appName, std::string_view valueName, std::int32_t numberDefault);

// The eight settings with the widths the program keeps them in, named like
// the main window's own variables.
struct Settings {
  std::string HostName{kDefaultHostName};
  std::int16_t CardType = kDefaultCardType;
  std::int16_t CardNumber = kDefaultCardNumber;
  std::int16_t IFInput = kDefaultIFInput;
  std::int32_t IFFreqs = kDefaultIFFreqs;
  std::int32_t Database = kDefaultDatabase;
  // Window position, twips. X and Y follow the window's start-up rule: a
  // value that does not fit 16 bits leaves them at 0. XRaw and YRaw keep the
  // 32-bit value as read, for a window that wants its own rule.
  std::int16_t X = 0;
  std::int16_t Y = 0;
  std::int32_t XRaw = 0;
  std::int32_t YRaw = 0;
  // Both X and Y are stored (as numbers); a first start has no position.
  bool HasPosition = false;
  // Store and network, UTF-8 text. The configuration dialog sets them with
  // Database and Reconnect (WriteStoreAndNetworkSettings). DatabaseUrl
  // defaults to empty (libpq's defaults), StationName to the machine's host
  // name (also when stored empty).
  std::string DatabaseUrl;
  std::string StationName;
  // All default to empty (MQTT off, default topic, no password file).
  // MqttPasswordFile is set by hand only.
  std::string MqttUrl;
  std::string MqttTopic;
  std::string MqttPasswordFile;
  // 0 or 1; see kReconnect.
  std::int32_t Reconnect = kDefaultReconnect;
  // The watch list, UTF-8, one entry a line; see kAlerts.
  std::string Alerts;
  // 0 or 1; see kAlertSound.
  std::int32_t AlertSound = 0;
  // 0 or 1; see kAlertNotify.
  std::int32_t AlertNotify = 0;
  // Both default to empty (no web page, no token); see kHttpAddress.
  std::string HttpAddress;
  std::string HttpTokenFile;
  // Both default to empty (plain HTTP); see kHttpCertificate.
  std::string HttpCertificate;
  std::string HttpKey;
  // Days; see kKeepDays. Both default to 0 (everything kept).
  std::int32_t KeepDays = 0;
  std::int32_t KeepAlertDays = 0;
  // Empty by default (no limit); see kKeepSize.
  std::string KeepSize;
  // Empty by default (one file); see kLogRotate.
  std::string LogRotate;
  // All empty by default (no ADS-B, position unknown); see kAdsbSource.
  std::string AdsbSource;
  std::string StationLatitude;
  std::string StationLongitude;
};

// Start-up: all eight settings with their defaults, and the store and
// network settings; currentX and currentY are the window's current left and
// top. A stored "CardType", "CardNumber" or
// "IF-Input" that does not fit 16 bits reads as that setting's default.
Settings ReadAllSettings(std::string_view appName, std::int32_t currentX, std::int32_t currentY);

// One value to write: text or a 32-bit number.
struct NamedValue {
  std::string_view name;
  std::variant<std::string, std::int32_t> value;
  bool operator==(const NamedValue&) const = default;
};

// What an accepted configuration dialog writes, in order: "HostName",
// "CardType", "CardNumber", "IF-Input", "IF-Freqs".
std::vector<NamedValue> DialogValues(const Settings& settings);
// What shut-down writes, in order: "X" (the window's left), "Y" (its top),
// "Database".
std::vector<NamedValue> ShutDownValues(std::int32_t left, std::int32_t top, std::int32_t database);

// Writes the values in the given order, each one even when an earlier one
// failed; true when all were stored.
bool WriteValues(std::string_view appName, const std::vector<NamedValue>& values);
bool WriteDialogSettings(std::string_view appName, const Settings& settings);
bool WriteShutDownSettings(std::string_view appName, std::int32_t left, std::int32_t top, std::int32_t database);

// What the configuration dialog's store and network part writes: "Database"
// and "Reconnect" as numbers, "DatabaseUrl", "StationName", "MqttUrl" and
// "MqttTopic" as UTF-8 text (as ReadAllSettings reads them). Each is written
// even when an earlier one failed; true when all were stored.
// The watch list and its sound, as the window's dialog sets them.
bool WriteAlertSettings(std::string_view appName, const std::string& alerts, bool sound);
// How an alert makes itself known, as the configuration dialog sets it: the
// sound and the desktop notification.
bool WriteAlertNotice(std::string_view appName, bool sound, bool notify);

bool WriteStoreAndNetworkSettings(std::string_view appName, const Settings& settings);

// Copies those settings, and retention's three, from one Settings to
// another.
void CopyStoreAndNetwork(const Settings& from, Settings& to);
// True when those settings are the same in both.
bool SameStoreAndNetwork(const Settings& a, const Settings& b);

}  // namespace corvane::config
