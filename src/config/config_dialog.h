// The configuration dialog: where the card server runs, which card type,
// card and decoder input to use, the IF translation frequency, and a search of
// the card server for usable cards; below them the store and network settings
// and Reconnect, beside them; how an alert makes itself known; OK, Cancel
// and Search at the bottom. It reads and writes only its properties.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "cardlink/card_server.h"
#include "config/settings.h"

class QButtonGroup;
class QEventLoop;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvane::config {

class RetentionBox;

// One dialog object lives for the whole run; each exec() reloads its controls
// from the properties. While a search runs OK and Search are disabled; Cancel,
// Escape and the close box stop it (a pause at once, a call to the card
// server when it returns) and close the dialog. If it is hidden or destroyed
// by other code meanwhile, the search stops too.
class ConfigDialog : public QDialog {
  Q_OBJECT

 public:
  using ServerFactory =
      std::function<std::unique_ptr<cardlink::CardServer>(const std::string& progId, const std::string& host)>;
  using Pause = std::function<void(int milliseconds)>;
  using MessageBoxFn = std::function<void(QWidget* parent, const QString& text)>;

  explicit ConfigDialog(QWidget* parent = nullptr);
  ~ConfigDialog() override;

  // Seams for the card server, the search's pauses and its message box.
  void SetServerFactory(ServerFactory factory) { serverFactory_ = std::move(factory); }
  void SetPause(Pause pause) { pause_ = std::move(pause); }
  void SetMessageBox(MessageBoxFn messageBox) { messageBox_ = std::move(messageBox); }

  [[nodiscard]] const std::string& HostNam() const { return hostNam_; }
  void SetHostNam(const std::string& pNam) { hostNam_ = pNam; }
  [[nodiscard]] std::int16_t CardTyp() const { return cardTyp_; }
  void SetCardTyp(std::int16_t pCard) { cardTyp_ = pCard; }
  [[nodiscard]] std::int16_t CardNum() const { return cardNum_; }
  void SetCardNum(std::int16_t pCard) { cardNum_ = pCard; }
  [[nodiscard]] std::int16_t IFInput() const { return ifInput_; }
  void SetIFInput(std::int16_t pInp) { ifInput_ = pInp; }
  [[nodiscard]] std::int32_t IFTFreq() const { return ifTFreq_; }
  void SetIFTFreq(std::int32_t pFrq) { ifTFreq_ = pFrq; }

  // The store and network properties: Database, DatabaseUrl, StationName,
  // MqttUrl, MqttTopic and Reconnect. An address box shows its address
  // without the password; left unchanged, the stored password stays.
  void SetStoreAndNetwork(const Settings& s);
  void TakeStoreAndNetwork(Settings& s) const;

  // Whether an alert beeps (AlertSound) and shows a desktop notification
  // (AlertNotify).
  void SetAlertNotice(bool sound, bool notify);
  [[nodiscard]] bool AlertSound() const { return alertSound_; }
  [[nodiscard]] bool AlertNotify() const { return alertNotify_; }

  [[nodiscard]] bool IsSearching() const { return searching_; }

 public slots:
  // Escape and the close box: ignored during a search, otherwise the dialog
  // closes and leaves CardNum as the opener set it.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  QWidget* BuildHostGroup();
  QWidget* BuildCardTypeGroup();
  QWidget* BuildCardsGroup();
  QWidget* BuildParametersGroup();
  QWidget* BuildStoreAndNetworkGroup();
  QWidget* BuildAlertGroup();
  QWidget* BuildButtons();
  QLineEdit* AddTextBox(const QString& name, const QString& tooltip);
  QLabel* AddNote(const QString& name, const QString& text);
  QRadioButton* AddOption(QButtonGroup* group, int index, const QString& name, const QString& caption,
                          const QString& tooltip);
  QPushButton* AddButton(const QString& name, const QString& caption, const QString& tooltip);

  // Activation: the controls from the properties.
  void Activate();
  void LoadHost();
  void LoadCardType();
  void LoadCardNumber();
  void LoadInputAndFrequency();
  void LoadStoreAndNetwork();

  // Selecting an option by code: the option is checked and its handler runs.
  void SelectHostType(int index);
  void SelectCardType(int index);
  void SelectCardNumber(int index);
  void SelectInput(int index);

  // Selection handlers.
  void OnHostType(int index);
  void OnCardType(int index);
  void OnCardNumber(int index);
  void OnInput(int index);
  void OnFrequencyChanged();
  void CheckFrequencyText();
  void CheckFrequencyRange();
  void OnStoreKind();
  void OnEdited();

  void OnOk();
  bool RefuseTypedPassword();
  bool RefuseUnreadableSize();
  void AcceptStoreAndNetwork();
  void OnCancel();
  void StopSearch();
  void PauseStoppably(int milliseconds);

  // The search.
  void OnSearch();
  void BeginSearch();
  bool CreateSearchServer();
  bool ProbeCard(int number, std::int32_t& status);
  bool CallServer(const std::function<void(cardlink::CardServer&)>& call);
  bool PauseWhileOpen(int milliseconds);
  bool KeepSearching();
  void ShowCardStatus(int number, std::int32_t status);
  void FinishSearch();
  void FailSearch(const cardlink::AutomationError& error);
  void EndSearch();
  void RestoreCursor();
  void SetCardsEnabled(bool enabled);
  void SetCardTypesEnabled(bool enabled);
  void SetNotify(const QString& text);

  ServerFactory serverFactory_;
  Pause pause_;
  MessageBoxFn messageBox_;

  // Properties.
  std::string hostNam_;
  std::int16_t cardTyp_ = -1;
  std::int16_t cardNum_ = 0;
  std::int16_t ifInput_ = 0;
  std::int32_t ifTFreq_ = 0;
  Settings storeAndNetwork_;  // only the store and network values, and retention's
  bool alertSound_ = false;
  bool alertNotify_ = false;

  // Working values.
  std::int16_t selCardType_ = 0;
  std::int16_t cardSlots_ = 4;
  std::int16_t selCardNumber_ = 0;
  std::int16_t selIFInput_ = 0;
  std::shared_ptr<cardlink::CardServer> searchServer_;
  bool searching_ = false;
  bool stopAsked_ = false;
  QEventLoop* pauseLoop_ = nullptr;  // the default pause under way, which a stop ends
  bool busyCursor_ = false;
  int frequencyDepth_ = 0;

  // Controls, owned by the dialog through Qt's parent chain.
  std::array<QRadioButton*, 2> vHostTyp_{};
  QLineEdit* vHostNam_ = nullptr;
  std::array<QRadioButton*, 3> vCardTyp_{};
  std::array<QRadioButton*, 8> vCardNum_{};
  std::array<QRadioButton*, 4> vIFInp_{};
  QLineEdit* vIFFrq_ = nullptr;
  QComboBox* vDatabase_ = nullptr;
  QLineEdit* vDatabaseUrl_ = nullptr;
  QLabel* vDatabaseUrlNote_ = nullptr;
  QLineEdit* vStationName_ = nullptr;
  QLineEdit* vMqttUrl_ = nullptr;
  QLineEdit* vMqttTopic_ = nullptr;
  QLineEdit* vHttpAddress_ = nullptr;
  QLineEdit* vAdsbSource_ = nullptr;
  QCheckBox* vReconnect_ = nullptr;
  RetentionBox* vRetention_ = nullptr;
  QCheckBox* vAlertSound_ = nullptr;
  QCheckBox* vAlertNotify_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* search_ = nullptr;
  QLabel* notify_ = nullptr;
};

}  // namespace corvane::config
