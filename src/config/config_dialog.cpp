// The configuration dialog (see the header): building its controls, loading
// them on activation, the selection and frequency handlers, OK, Cancel and the
// card search with its pauses.
#include "config/config_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <optional>

#include "cardlink/event_wait.h"
#include "config/config_dialog_text.h"
#include "config/latin1.h"

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
      pause_(cardlink::WaitProcessingEvents),
      messageBox_(ShowDefaultMessage) {
  setObjectName(QStringLiteral("Config"));
  setWindowTitle(QStringLiteral("Configuration"));
  BuildControls();
}

ConfigDialog::~ConfigDialog() { RestoreCursor(); }

// ---- Building the controls ----

void ConfigDialog::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(BuildHostGroup());
  top->addWidget(BuildCardTypeGroup());
  layout->addLayout(top);
  layout->addWidget(BuildCardsGroup());
  layout->addWidget(BuildParametersGroup());
  layout->addWidget(BuildButtons());
  notify_ = new QLabel(this);
  notify_->setObjectName(QStringLiteral("Notify"));
  layout->addWidget(notify_);
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

QPushButton* ConfigDialog::AddButton(const QString& name, const QString& caption, const QString& tooltip) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(name);
  button->setToolTip(tooltip);
  button->setAutoDefault(false);  // Enter in a text box does not press a button
  return button;
}

QWidget* ConfigDialog::BuildButtons() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  ok_ = AddButton(QStringLiteral("OK"), QStringLiteral("&OK"), QStringLiteral("Save select configuration"));
  cancel_ = AddButton(QStringLiteral("Cancel"), QStringLiteral("&Cancel"),
                      QStringLiteral("Exit without changing configuration"));
  search_ = AddButton(QStringLiteral("Search"), QStringLiteral("&Search"), QStringLiteral("Search for cards"));
  for (QPushButton* button : {ok_, cancel_, search_}) {
    layout->addWidget(button);
  }
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

// ---- OK and Cancel ----

void ConfigDialog::OnOk() {
  hostNam_ = vHostTyp_[0]->isChecked() ? std::string() : Bytes(vHostNam_->text());
  cardTyp_ = selCardType_;
  cardNum_ = selCardNumber_;
  ifInput_ = selIFInput_;
  ifTFreq_ = RoundHalfEven(LeadingNumber(vIFFrq_->text()));
  accept();
}

void ConfigDialog::OnCancel() {
  cardNum_ = -1;
  QDialog::reject();
}

void ConfigDialog::reject() {
  if (!searching_) {
    QDialog::reject();
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
  busyCursor_ = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  SetNotify(QStringLiteral("Looking for server, can take up to 1mn !"));
  SetCardsEnabled(false);
  for (QPushButton* button : {ok_, cancel_, search_}) {
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

// False when the dialog was hidden while events ran; the search is wound up
// then. Callers check first, through a QPointer, that the dialog still exists.
bool ConfigDialog::KeepSearching() {
  if (!isVisible()) {
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
