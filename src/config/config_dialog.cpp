// The configuration dialog (see the header): building its controls, loading
// them on activation, the selection, frequency and edit handlers, OK (which
// keeps passwords out of the settings), Cancel and the card search with its
// pauses.
#include "config/config_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <optional>
#include <tuple>

#include "config/address_password.h"
#include "config/config_dialog_text.h"
#include "config/latin1.h"
#include "config/retention_box.h"

namespace corvane::config {

namespace {

constexpr const char* kLocalHost = "127.0.0.1";
constexpr int kServerPauseMs = 2000;
constexpr int kProbePauseMs = 1000;
constexpr int kEndPauseMs = 1000;
// The frequency handler re-enters itself at most twice (fallback text, then
// the input's default); deeper calls cannot happen and are cut off.
constexpr int kMaxFrequencyDepth = 4;

// The accepted frequencies of a decoder input and the text put in otherwise.
struct FrequencyRange {
  double low;
  double high;
  const char* fallback;
};

std::optional<FrequencyRange> RangeOfInput(int selIFInput) {
  switch (selIFInput) {
    case 1:
      return FrequencyRange{-std::numeric_limits<double>::infinity(), 16000, "0"};
    case 2:
      return FrequencyRange{14000, 1500000, "1400000"};
    case 3:
      return FrequencyRange{10685000, 10715000, "10700000"};
    case 4:
      return FrequencyRange{21385000, 21415000, "21400000"};
    default:
      return std::nullopt;
  }
}

// The stores the dialog offers, with their "Database" numbers.
struct StoreKind {
  const char* caption;
  std::int32_t database;
};
constexpr std::array<StoreKind, 4> kStoreKinds = {{{.caption = "None", .database = 0},
                                                   {.caption = "SQLite (Corvane.db)", .database = 1},
                                                   {.caption = "Jet layout (Corvane.mdb)", .database = 2},
                                                   {.caption = "PostgreSQL", .database = 4}}};
constexpr std::int32_t kPostgreSql = 4;

constexpr const char* kPostgresPasswordNote =
    "Passwords go in libpq's password file\n(~/.pgpass, or the file PGPASSFILE names).";
constexpr const char* kPostgresPasswordRefusal =
    "The PostgreSQL address holds a password, which the settings file would keep for anyone who can read it. "
    "Leave it out of the address and put it in libpq's password file (~/.pgpass, or the file PGPASSFILE names).";
constexpr const char* kMqttPasswordRefusal =
    "The MQTT broker URL holds a password, which the settings file would keep for anyone who can read it. "
    "Leave it out of the URL and put it in the file the setting MqttPasswordFile names, or in the "
    "environment variable CORVANE_MQTT_PASSWORD.";

// Store and network texts are a person's text, kept as UTF-8; surrounding
// blanks of a typed text are dropped.
QString Utf8(const std::string& text) { return QString::fromStdString(text); }
std::string TypedText(const QLineEdit& box) { return box.text().trimmed().toStdString(); }

// What an address box shows: the stored address without its password.
QString ShownAddress(const std::string& stored) { return Utf8(WithoutPassword(stored)); }

bool IsUnchanged(const QLineEdit& box, const std::string& stored) {
  return box.text().trimmed() == ShownAddress(stored).trimmed();
}

bool TypedPassword(const QLineEdit& box, const std::string& stored) {
  return !IsUnchanged(box, stored) && HoldsPassword(TypedText(box));
}

// The address an accepted box stands for: left as shown, the stored one with
// its password.
std::string AcceptedAddress(const QLineEdit& box, const std::string& stored) {
  return IsUnchanged(box, stored) ? stored : TypedText(box);
}

std::unique_ptr<cardlink::CardServer> CreateDefaultServer(const std::string& progId, const std::string& host) {
  return cardlink::CreateCardServer(progId, host);
}

void ShowDefaultMessage(QWidget* parent, const QString& text) {
  QMessageBox::warning(parent, QStringLiteral("Corvane"), text);
}

}  // namespace

ConfigDialog::ConfigDialog(QWidget* parent)
    : QDialog(parent),
      serverFactory_(CreateDefaultServer),
      pause_([this](int milliseconds) { PauseStoppably(milliseconds); }),
      messageBox_(ShowDefaultMessage) {
  setObjectName(QStringLiteral("Config"));
  setWindowTitle(QStringLiteral("Configuration"));
  BuildControls();
}

ConfigDialog::~ConfigDialog() {
  if (pauseLoop_ != nullptr) {
    pauseLoop_->quit();
  }
  RestoreCursor();
}

// The search's pause with the event loop turning, which a stop cuts short.
void ConfigDialog::PauseStoppably(int milliseconds) {
  QPointer<ConfigDialog> guard(this);
  QEventLoop loop;
  pauseLoop_ = &loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  if (!stopAsked_) {
    loop.exec();
  }
  if (guard) {
    pauseLoop_ = nullptr;
  }
}

// ---- Building the controls ----

// The card settings on the left, the store and network beside them, and the
// buttons along the bottom, so that the dialog stays low enough for a small
// screen.
void ConfigDialog::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  auto* cards = new QVBoxLayout;
  auto* top = new QHBoxLayout;
  top->addWidget(BuildHostGroup());
  top->addWidget(BuildCardTypeGroup());
  cards->addLayout(top);
  cards->addWidget(BuildCardsGroup());
  cards->addWidget(BuildParametersGroup());
  cards->addWidget(BuildAlertGroup());
  notify_ = new QLabel(this);
  notify_->setObjectName(QStringLiteral("Notify"));
  cards->addWidget(notify_);
  cards->addStretch(1);
  columns->addLayout(cards);
  columns->addWidget(BuildStoreAndNetworkGroup(), 1);
  layout->addLayout(columns, 1);
  layout->addWidget(BuildButtons());
}

QWidget* ConfigDialog::BuildAlertGroup() {
  auto* box = new QGroupBox(QStringLiteral("Alerts"), this);
  box->setObjectName(QStringLiteral("AlertNotice"));
  auto* layout = new QVBoxLayout(box);
  vAlertSound_ = new QCheckBox(QStringLiteral("Beep on an alert"), box);
  vAlertSound_->setObjectName(QStringLiteral("vAlertSound"));
  vAlertSound_->setToolTip(QStringLiteral("A message that matches the watch list makes the computer beep"));
  vAlertNotify_ = new QCheckBox(QStringLiteral("Desktop notification on an alert"), box);
  vAlertNotify_->setObjectName(QStringLiteral("vAlertNotify"));
  vAlertNotify_->setToolTip(
      QStringLiteral("A message that matches the watch list is also shown by the desktop's notifications"));
  for (QCheckBox* option : {vAlertSound_, vAlertNotify_}) {
    layout->addWidget(option);
    connect(option, &QCheckBox::clicked, this, &ConfigDialog::OnEdited);
  }
  return box;
}

void ConfigDialog::SetAlertNotice(bool sound, bool notify) {
  alertSound_ = sound;
  alertNotify_ = notify;
}

QRadioButton* ConfigDialog::AddOption(QButtonGroup* group, int index, const QString& name, const QString& caption,
                                      const QString& tooltip) {
  auto* option = new QRadioButton(caption, this);
  option->setObjectName(QStringLiteral("%1_%2").arg(name).arg(index));
  option->setToolTip(tooltip);
  group->addButton(option, index);
  return option;
}

QWidget* ConfigDialog::BuildHostGroup() {
  auto* box = new QGroupBox(QStringLiteral("&Host"), this);
  auto* group = new QButtonGroup(box);
  auto* layout = new QVBoxLayout(box);
  vHostTyp_[0] = AddOption(group, 0, QStringLiteral("vHostTyp"), QStringLiteral("&Local"), {});
  vHostTyp_[1] = AddOption(group, 1, QStringLiteral("vHostTyp"), QStringLiteral("&Remote"), {});
  vHostNam_ = new QLineEdit(QString::fromLatin1(kLocalHost), box);
  vHostNam_->setObjectName(QStringLiteral("vHostNam"));
  vHostNam_->setToolTip(QStringLiteral("Host name or IP address"));
  for (QWidget* widget :
       {static_cast<QWidget*>(vHostTyp_[0]), static_cast<QWidget*>(vHostTyp_[1]), static_cast<QWidget*>(vHostNam_)}) {
    layout->addWidget(widget);
  }
  connect(group, &QButtonGroup::idClicked, this, &ConfigDialog::OnHostType);
  connect(vHostNam_, &QLineEdit::textEdited, this, &ConfigDialog::OnEdited);
  return box;
}

QWidget* ConfigDialog::BuildCardTypeGroup() {
  auto* box = new QGroupBox(QStringLiteral("&Card type"), this);
  auto* group = new QButtonGroup(box);
  auto* layout = new QVBoxLayout(box);
  const std::array<const char*, 3> captions = {"W4&0PC", "W4&1PC", "W&51PC"};
  const std::array<const char*, 3> tooltips = {"W40PC (Tested)", "W41PC (NOT Tested)", "W51PC (NOT Tested)"};
  for (int i = 0; i < 3; ++i) {
    const auto at = static_cast<std::size_t>(i);
    vCardTyp_[at] = AddOption(group, i, QStringLiteral("vCardTyp"), QString::fromLatin1(captions[at]),
                              QString::fromLatin1(tooltips[at]));
    layout->addWidget(vCardTyp_[at]);
  }
  connect(group, &QButtonGroup::idClicked, this, &ConfigDialog::OnCardType);
  return box;
}

QWidget* ConfigDialog::BuildCardsGroup() {
  auto* box = new QGroupBox(QStringLiteral("Cards"), this);
  auto* group = new QButtonGroup(box);
  auto* layout = new QGridLayout(box);
  for (int i = 0; i < 8; ++i) {
    const QString caption = QStringLiteral("Card N\u00B0%1").arg(i + 1);
    vCardNum_[static_cast<std::size_t>(i)] = AddOption(group, i, QStringLiteral("vCardNum"), caption, {});
    layout->addWidget(vCardNum_[static_cast<std::size_t>(i)], i / 4, i % 4);
  }
  connect(group, &QButtonGroup::idClicked, this, &ConfigDialog::OnCardNumber);
  return box;
}

QWidget* ConfigDialog::BuildParametersGroup() {
  auto* box = new QGroupBox(QStringLiteral("&Parameters"), this);
  auto* group = new QButtonGroup(box);
  auto* layout = new QGridLayout(box);
  const std::array<const char*, 4> captions = {"&AF", "&HF", "IF&1", "IF&2"};
  const std::array<const char*, 4> tooltips = {"Select AF input", "Select HF input", "Select IF input 1",
                                               "Select IF input 2"};
  for (int i = 0; i < 4; ++i) {
    const auto at = static_cast<std::size_t>(i);
    vIFInp_[at] = AddOption(group, i, QStringLiteral("vIFInp"), QString::fromLatin1(captions[at]),
                            QString::fromLatin1(tooltips[at]));
    layout->addWidget(vIFInp_[at], 0, i);
  }
  auto* label = new QLabel(QStringLiteral("&Freq. translation"), box);
  vIFFrq_ = new QLineEdit(box);
  vIFFrq_->setObjectName(QStringLiteral("vIFFrq"));
  vIFFrq_->setToolTip(QStringLiteral("IF Translation in HZ"));
  label->setBuddy(vIFFrq_);
  layout->addWidget(label, 1, 0, 1, 2);
  layout->addWidget(vIFFrq_, 1, 2, 1, 2);
  connect(group, &QButtonGroup::idClicked, this, &ConfigDialog::OnInput);
  connect(vIFFrq_, &QLineEdit::textChanged, this, &ConfigDialog::OnFrequencyChanged);
  return box;
}

QLineEdit* ConfigDialog::AddTextBox(const QString& name, const QString& tooltip) {
  auto* box = new QLineEdit(this);
  box->setObjectName(name);
  box->setToolTip(tooltip);
  connect(box, &QLineEdit::textEdited, this, &ConfigDialog::OnEdited);
  return box;
}

// A note comes in short lines broken by hand: a word-wrapped label would
// either widen the dialog or be sized for one line and cut off.
QLabel* ConfigDialog::AddNote(const QString& name, const QString& text) {
  auto* note = new QLabel(text, this);
  note->setObjectName(name);
  return note;
}

QWidget* ConfigDialog::BuildStoreAndNetworkGroup() {
  auto* box = new QGroupBox(QStringLiteral("Store and &network"), this);
  box->setObjectName(QStringLiteral("StoreAndNetwork"));
  box->setMinimumWidth(480);  // room for retention's three boxes in one row
  vDatabase_ = new QComboBox(box);
  vDatabase_->setObjectName(QStringLiteral("vDatabase"));
  vDatabase_->setToolTip(QStringLiteral("Where received messages are stored"));
  for (const StoreKind& kind : kStoreKinds) {
    vDatabase_->addItem(QString::fromLatin1(kind.caption), kind.database);
  }
  vDatabaseUrl_ =
      AddTextBox(QStringLiteral("vDatabaseUrl"),
                 QStringLiteral("The PostgreSQL store of a station network: a libpq connection string or "
                                "URI, e.g. postgresql://corvane@db.example/acars (empty: libpq's defaults)"));
  vDatabaseUrlNote_ = AddNote(QStringLiteral("vDatabaseUrlNote"), QString::fromLatin1(kPostgresPasswordNote));
  vStationName_ = AddTextBox(QStringLiteral("vStationName"),
                             QStringLiteral("This receiver's name in the station network and in its MQTT topic "
                                            "(empty: the host name)"));
  vStationName_->setPlaceholderText(QHostInfo::localHostName());
  vMqttUrl_ = AddTextBox(QStringLiteral("vMqttUrl"),
                         QStringLiteral("The MQTT broker for the live traffic, e.g. mqtt://host:1883 (empty: off); its "
                                        "password goes in the file the setting MqttPasswordFile names, or in "
                                        "CORVANE_MQTT_PASSWORD"));
  vMqttTopic_ = AddTextBox(QStringLiteral("vMqttTopic"), QStringLiteral("The topic the live traffic is published to"));
  vMqttTopic_->setPlaceholderText(QStringLiteral("corvane/<station>/messages"));
  vHttpAddress_ = AddTextBox(QStringLiteral("vHttpAddress"),
                             QStringLiteral("Serve the web page (live traffic, search, map, statistics) on this "
                                            "address and port, e.g. 127.0.0.1:8080 (empty: off); any address but "
                                            "127.0.0.1 also needs a token file (setting HttpTokenFile)"));
  vHttpAddress_->setPlaceholderText(QStringLiteral("off (e.g. 127.0.0.1:8080)"));
  vAdsbSource_ = AddTextBox(QStringLiteral("vAdsbSource"),
                            QStringLiteral("ADS-B aircraft for the page's map: dump1090's or readsb's aircraft.json, "
                                           "as an http:// address or a file path (empty: off)"));
  vAdsbSource_->setPlaceholderText(QStringLiteral("off (e.g. http://127.0.0.1:8080/data/aircraft.json)"));
  vReconnect_ = new QCheckBox(QStringLiteral("Reconnect"), box);
  vReconnect_->setObjectName(QStringLiteral("vReconnect"));
  vReconnect_->setToolTip(QStringLiteral("When the card server is lost, connect again by itself"));
  vRetention_ = new RetentionBox(box);

  auto* grid = new QGridLayout(box);
  const auto addRow = [grid, box](const QString& caption, QWidget* field) {
    const int row = grid->rowCount();
    if (caption.isEmpty()) {
      grid->addWidget(field, row, 0, 1, 2);
      return;
    }
    auto* label = new QLabel(caption, box);
    label->setObjectName(field->objectName() + QStringLiteral("Label"));
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
  };
  addRow(QStringLiteral("S&tore:"), vDatabase_);
  addRow(QStringLiteral("Post&greSQL:"), vDatabaseUrl_);
  addRow({}, vDatabaseUrlNote_);
  addRow(QStringLiteral("Stat&ion:"), vStationName_);
  addRow(QStringLiteral("&MQTT broker:"), vMqttUrl_);
  addRow(QStringLiteral("M&QTT topic:"), vMqttTopic_);
  addRow(QStringLiteral("&Web page:"), vHttpAddress_);
  addRow(QStringLiteral("A&DS-B:"), vAdsbSource_);
  addRow(QStringLiteral("&Keep:"), vRetention_);
  addRow({}, vReconnect_);
  addRow({}, AddNote(QStringLiteral("StoreAndNetworkNote"),
                     QStringLiteral("Store and network changes take effect\nat the next start (Keep and Reconnect "
                                    "at once).")));

  connect(vDatabase_, &QComboBox::currentIndexChanged, this, &ConfigDialog::OnStoreKind);
  connect(vDatabase_, &QComboBox::activated, this, &ConfigDialog::OnEdited);
  connect(vReconnect_, &QCheckBox::clicked, this, &ConfigDialog::OnEdited);
  connect(vRetention_, &RetentionBox::Edited, this, &ConfigDialog::OnEdited);
  return box;
}

QPushButton* ConfigDialog::AddButton(const QString& name, const QString& caption, const QString& tooltip) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(name);
  button->setToolTip(tooltip);
  button->setAutoDefault(false);  // Enter in a text box does not press a button
  return button;
}

QWidget* ConfigDialog::BuildButtons() {
  auto* row = new QDialogButtonBox(this);
  row->setObjectName(QStringLiteral("Buttons"));
  ok_ = AddButton(QStringLiteral("OK"), QStringLiteral("&OK"), QStringLiteral("Save select configuration"));
  cancel_ = AddButton(QStringLiteral("Cancel"), QStringLiteral("&Cancel"),
                      QStringLiteral("Exit without changing configuration"));
  search_ = AddButton(QStringLiteral("Search"), QStringLiteral("&Search"), QStringLiteral("Search for cards"));
  row->addButton(ok_, QDialogButtonBox::AcceptRole);
  row->addButton(cancel_, QDialogButtonBox::RejectRole);
  row->addButton(search_, QDialogButtonBox::ActionRole);
  connect(ok_, &QPushButton::clicked, this, &ConfigDialog::OnOk);
  connect(cancel_, &QPushButton::clicked, this, &ConfigDialog::OnCancel);
  connect(search_, &QPushButton::clicked, this, &ConfigDialog::OnSearch);
  return row;
}

// ---- Activation ----

void ConfigDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) {  // not a restore from the task bar
    Activate();
  }
}

void ConfigDialog::Activate() {
  SetNotify({});
  SetCardsEnabled(false);
  LoadHost();
  LoadCardType();
  LoadCardNumber();
  LoadInputAndFrequency();
  LoadStoreAndNetwork();
  ok_->setEnabled(false);
}

void ConfigDialog::LoadHost() {
  SelectHostType(hostNam_.empty() ? 0 : 1);
  vHostNam_->setEnabled(!hostNam_.empty());
  vHostNam_->setText(Latin1(hostNam_));
}

// A stored type above 2 opens as W51PC, a negative one as W40PC.
void ConfigDialog::LoadCardType() { SelectCardType(std::clamp<int>(cardTyp_, 0, 2)); }

// A stored number beyond the type's slots opens as the type's last card.
void ConfigDialog::LoadCardNumber() {
  if (cardNum_ < 1) {
    return;
  }
  const int index = std::min<int>(cardNum_, cardSlots_) - 1;
  SelectCardNumber(index);
  vCardNum_[static_cast<std::size_t>(index)]->setEnabled(true);
}

void ConfigDialog::LoadInputAndFrequency() {
  if (ifInput_ >= 1 && ifInput_ <= 4) {
    SelectInput(ifInput_ - 1);
  }
  if (ifTFreq_ >= 0 && ifTFreq_ <= 21500000) {
    vIFFrq_->setText(QString::number(ifTFreq_));
  }
}

// A stored store kind the dialog does not offer shows none and stays as it
// is unless the user picks one.
void ConfigDialog::LoadStoreAndNetwork() {
  const Settings& s = storeAndNetwork_;
  vDatabase_->setCurrentIndex(vDatabase_->findData(s.Database));
  OnStoreKind();
  vDatabaseUrl_->setText(ShownAddress(s.DatabaseUrl));
  vStationName_->setText(Utf8(s.StationName));
  vMqttUrl_->setText(ShownAddress(s.MqttUrl));
  vMqttTopic_->setText(Utf8(s.MqttTopic));
  vHttpAddress_->setText(Utf8(s.HttpAddress));
  vAdsbSource_->setText(Utf8(s.AdsbSource));
  vReconnect_->setChecked(s.Reconnect != 0);
  vRetention_->Load(s);
  vAlertSound_->setChecked(alertSound_);
  vAlertNotify_->setChecked(alertNotify_);
}

void ConfigDialog::SetStoreAndNetwork(const Settings& s) { CopyStoreAndNetwork(s, storeAndNetwork_); }

void ConfigDialog::TakeStoreAndNetwork(Settings& s) const { CopyStoreAndNetwork(storeAndNetwork_, s); }

// ---- Selecting by code ----

void ConfigDialog::SelectHostType(int index) {
  vHostTyp_[static_cast<std::size_t>(index)]->setChecked(true);
  OnHostType(index);
}

void ConfigDialog::SelectCardType(int index) {
  vCardTyp_[static_cast<std::size_t>(index)]->setChecked(true);
  OnCardType(index);
}

void ConfigDialog::SelectCardNumber(int index) {
  vCardNum_[static_cast<std::size_t>(index)]->setChecked(true);
  OnCardNumber(index);
}

void ConfigDialog::SelectInput(int index) {
  vIFInp_[static_cast<std::size_t>(index)]->setChecked(true);
  OnInput(index);
}

// ---- Selection handlers ----

void ConfigDialog::OnHostType(int index) {
  vHostNam_->setEnabled(index == 1);
  if (index == 1 && vHostNam_->text().isEmpty()) {
    vHostNam_->setText(QString::fromLatin1(kLocalHost));
  }
  ok_->setEnabled(true);
}

// A card beyond the new type's slots becomes its last card, selected where
// the user sees it, so that OK writes what the dialog shows.
void ConfigDialog::OnCardType(int index) {
  selCardType_ = static_cast<std::int16_t>(index);
  cardSlots_ = index == 0 ? 4 : 8;
  for (std::size_t i = 4; i < vCardNum_.size(); ++i) {
    vCardNum_[i]->setVisible(index != 0);
  }
  if (selCardNumber_ > cardSlots_) {
    vCardNum_[static_cast<std::size_t>(cardSlots_ - 1)]->setEnabled(true);
    SelectCardNumber(cardSlots_ - 1);
  }
  SelectInput(0);
  vIFInp_[2]->setEnabled(index != 0);
  vIFInp_[3]->setEnabled(index == 2);
  OnFrequencyChanged();
  ok_->setEnabled(true);
}

void ConfigDialog::OnCardNumber(int index) {
  selCardNumber_ = static_cast<std::int16_t>(index + 1);
  ok_->setEnabled(true);
}

void ConfigDialog::OnInput(int index) {
  selIFInput_ = static_cast<std::int16_t>(index + 1);
  OnFrequencyChanged();
}

void ConfigDialog::OnFrequencyChanged() {
  if (frequencyDepth_ >= kMaxFrequencyDepth) {
    return;
  }
  ++frequencyDepth_;
  CheckFrequencyText();
  --frequencyDepth_;
}

// Only a plain decimal number stays; anything else puts back the frequency the
// dialog was opened with.
void ConfigDialog::CheckFrequencyText() {
  const QString text = vIFFrq_->text();
  if (text.isEmpty()) {
    return;
  }
  if (NumberText(LeadingNumber(text)) != text) {
    vIFFrq_->setText(QString::number(ifTFreq_));
  }
  CheckFrequencyRange();
}

void ConfigDialog::CheckFrequencyRange() {
  const auto range = RangeOfInput(selIFInput_);
  if (!range) {
    return;
  }
  const double x = LeadingNumber(vIFFrq_->text());
  if (x < range->low || x > range->high) {
    vIFFrq_->setText(QString::fromLatin1(range->fallback));
  }
}

// The PostgreSQL address counts only for the PostgreSQL store.
void ConfigDialog::OnStoreKind() {
  const bool postgreSql = vDatabase_->currentData().toInt() == kPostgreSql;
  vDatabaseUrl_->setEnabled(postgreSql);
  vDatabaseUrlNote_->setEnabled(postgreSql);
}

// A user's edit of a text box, the store kind or Reconnect makes OK available,
// as choosing an option does; during a search OK stays off until it ends.
void ConfigDialog::OnEdited() {
  if (!searching_) {
    ok_->setEnabled(true);
  }
}

// ---- OK and Cancel ----

void ConfigDialog::OnOk() {
  if (RefuseTypedPassword() || RefuseUnreadableSize()) {
    return;
  }
  hostNam_ = vHostTyp_[0]->isChecked() ? std::string() : Bytes(vHostNam_->text());
  cardTyp_ = selCardType_;
  cardNum_ = selCardNumber_;
  ifInput_ = selIFInput_;
  ifTFreq_ = RoundHalfEven(LeadingNumber(vIFFrq_->text()));
  AcceptStoreAndNetwork();
  alertSound_ = vAlertSound_->isChecked();
  alertNotify_ = vAlertNotify_->isChecked();
  accept();
}

// A password typed into an address would sit in the settings file for anyone
// who can read it: OK refuses it, names the safer place and leaves the dialog
// open on that box.
bool ConfigDialog::RefuseTypedPassword() {
  const std::array<std::tuple<QLineEdit*, const std::string*, const char*>, 2> addresses = {{
      {vDatabaseUrl_, &storeAndNetwork_.DatabaseUrl, kPostgresPasswordRefusal},
      {vMqttUrl_, &storeAndNetwork_.MqttUrl, kMqttPasswordRefusal},
  }};
  for (const auto& [box, stored, refusal] : addresses) {
    if (TypedPassword(*box, *stored)) {
      QPointer<ConfigDialog> guard(this);
      const MessageBoxFn messageBox = messageBox_;
      messageBox(this, QString::fromLatin1(refusal));
      if (guard) {
        box->setFocus();
      }
      return true;
    }
  }
  return false;
}

// A store size that cannot be read would be no limit at all: OK refuses it
// and leaves the dialog open on that box.
bool ConfigDialog::RefuseUnreadableSize() {
  Settings check;
  if (vRetention_->Take(check)) {
    return false;
  }
  QPointer<ConfigDialog> guard(this);
  const MessageBoxFn messageBox = messageBox_;
  messageBox(this, QStringLiteral("The store's size limit is a number of bytes, or one with K, M, G or T after it "
                                  "(500M, 2G); leave it empty for no limit."));
  if (guard) {
    vRetention_->SizeBox()->setFocus();
  }
  return true;
}

// An unchanged address keeps its stored password; an empty station name is
// this machine's host name, which the box shows as its placeholder.
void ConfigDialog::AcceptStoreAndNetwork() {
  Settings& s = storeAndNetwork_;
  if (vDatabase_->currentIndex() >= 0) {
    s.Database = vDatabase_->currentData().toInt();
  }
  s.DatabaseUrl = AcceptedAddress(*vDatabaseUrl_, s.DatabaseUrl);
  s.StationName = TypedText(*vStationName_);
  if (s.StationName.empty()) {
    s.StationName = vStationName_->placeholderText().toStdString();
  }
  s.MqttUrl = AcceptedAddress(*vMqttUrl_, s.MqttUrl);
  s.MqttTopic = TypedText(*vMqttTopic_);
  s.HttpAddress = TypedText(*vHttpAddress_);
  s.AdsbSource = TypedText(*vAdsbSource_);
  s.Reconnect = vReconnect_->isChecked() ? 1 : 0;
  (void)vRetention_->Take(s);  // read already by RefuseUnreadableSize
}

void ConfigDialog::OnCancel() {
  StopSearch();
  cardNum_ = -1;
  QDialog::reject();
}

void ConfigDialog::reject() {
  StopSearch();
  QDialog::reject();
}

// The search sees the stop at its next step: a pause under way ends now.
void ConfigDialog::StopSearch() {
  if (!searching_) {
    return;
  }
  stopAsked_ = true;
  if (pauseLoop_ != nullptr) {
    pauseLoop_->quit();
  }
}

// ---- The search ----

void ConfigDialog::OnSearch() {
  BeginSearch();
  if (!CreateSearchServer() || !PauseWhileOpen(kServerPauseMs)) {
    return;
  }
  SetNotify(QStringLiteral("Searching for cards, can take up to 1mn !"));
  QPointer<ConfigDialog> guard(this);
  QCoreApplication::processEvents();
  if (!guard || !guard->KeepSearching()) {
    return;
  }
  std::int32_t status = 0;  // kept from card to card
  for (int number = 1; number <= cardSlots_; ++number) {
    if (!ProbeCard(number, status)) {
      return;
    }
  }
  FinishSearch();
}

void ConfigDialog::BeginSearch() {
  if (vHostNam_->text().isEmpty()) {
    vHostNam_->setText(QString::fromLatin1(kLocalHost));
  }
  searching_ = true;
  stopAsked_ = false;
  busyCursor_ = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  SetNotify(QStringLiteral("Looking for server, can take up to 1mn !"));
  SetCardsEnabled(false);
  for (QPushButton* button : {ok_, search_}) {
    button->setEnabled(false);
  }
  // The search probes the type it started with: the type stays until it ends.
  SetCardTypesEnabled(false);
}

bool ConfigDialog::CreateSearchServer() {
  const char* progId = selCardType_ == 2 ? cardlink::kW51ProgId : cardlink::kW41ProgId;
  const std::string host = Bytes(vHostNam_->text());
  QPointer<ConfigDialog> guard(this);
  const ServerFactory factory = serverFactory_;
  try {
    std::shared_ptr<cardlink::CardServer> server = factory(progId, host);
    if (!guard) {
      return false;
    }
    guard->searchServer_ = std::move(server);
  } catch (const cardlink::AutomationError& error) {
    if (guard) {
      guard->FailSearch(error);
    }
    return false;
  }
  return guard && guard->KeepSearching();
}

// One card: connect, pause, read its status, show it, and take it when usable.
bool ConfigDialog::ProbeCard(int number, std::int32_t& status) {
  const auto index = static_cast<std::int16_t>(number - 1);
  if (!CallServer([index](cardlink::CardServer& server) { server.ConnectByNumber(index); }) ||
      !PauseWhileOpen(kProbePauseMs) ||
      !CallServer([&status](cardlink::CardServer& server) { server.GetCardStatus(status); })) {
    return false;
  }
  ShowCardStatus(number, status);
  QPointer<ConfigDialog> guard(this);
  QCoreApplication::processEvents();
  return guard && guard->KeepSearching();
}

// Runs one operation on the search's server; a failure ends the search. The
// server stays alive through the call even if the dialog goes away meanwhile.
bool ConfigDialog::CallServer(const std::function<void(cardlink::CardServer&)>& call) {
  const std::shared_ptr<cardlink::CardServer> server = searchServer_;
  QPointer<ConfigDialog> guard(this);
  try {
    call(*server);
  } catch (const cardlink::AutomationError& error) {
    if (guard) {
      guard->FailSearch(error);
    }
    return false;
  }
  return guard && guard->KeepSearching();
}

bool ConfigDialog::PauseWhileOpen(int milliseconds) {
  QPointer<ConfigDialog> guard(this);
  const Pause pause = pause_;  // outlives a dialog destroyed during the pause
  pause(milliseconds);
  return guard && guard->KeepSearching();
}

// False when the dialog was hidden or the search stopped while events ran;
// the search is wound up then. Callers check first, through a QPointer, that
// the dialog still exists.
bool ConfigDialog::KeepSearching() {
  if (!isVisible() || stopAsked_) {
    EndSearch();
    return false;
  }
  return true;
}

void ConfigDialog::ShowCardStatus(int number, std::int32_t status) {
  SetNotify(QStringLiteral("Card N\u00B0%1 - Status: %2 (%3)").arg(number).arg(status).arg(CardStatusText(status)));
  if (status == 0 || status == 1) {
    ok_->setEnabled(true);
    vCardNum_[static_cast<std::size_t>(number - 1)]->setEnabled(true);
    SelectCardNumber(number - 1);
  }
}

void ConfigDialog::FinishSearch() {
  RestoreCursor();
  SetNotify({});
  searchServer_.reset();
  QPointer<ConfigDialog> guard(this);
  const Pause pause = pause_;
  pause(kEndPauseMs);
  if (guard) {
    guard->EndSearch();
  }
}

// The cursor comes back before any message box, so that the box does not
// show the busy pointer.
void ConfigDialog::FailSearch(const cardlink::AutomationError& error) {
  RestoreCursor();
  searchServer_.reset();
  if (error.number() == cardlink::kClassNotRegistered) {
    SetNotify(QStringLiteral("Wavecom server is not registered on this client"));
  } else {
    QPointer<ConfigDialog> guard(this);
    const MessageBoxFn messageBox = messageBox_;
    messageBox(this, QStringLiteral("%1 - %2").arg(error.number()).arg(QString::fromStdString(error.description())));
    if (!guard) {
      return;
    }
  }
  EndSearch();
}

// The dialog usable again: cursor, server, Cancel and Search. Cards found so
// far stay enabled, and OK with them.
void ConfigDialog::EndSearch() {
  RestoreCursor();
  searchServer_.reset();
  searching_ = false;
  cancel_->setEnabled(true);
  search_->setEnabled(true);
  SetCardTypesEnabled(true);
}

void ConfigDialog::RestoreCursor() {
  if (busyCursor_) {
    busyCursor_ = false;
    QApplication::restoreOverrideCursor();
  }
}

void ConfigDialog::SetCardsEnabled(bool enabled) {
  for (QRadioButton* option : vCardNum_) {
    option->setEnabled(enabled);
  }
}

void ConfigDialog::SetCardTypesEnabled(bool enabled) {
  for (QRadioButton* option : vCardTyp_) {
    option->setEnabled(enabled);
  }
}

void ConfigDialog::SetNotify(const QString& text) { notify_->setText(text); }

}  // namespace corvane::config
