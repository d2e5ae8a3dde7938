// Corvane's main window: the header fields of the current message, the
// message panels, the aircraft list, the Connect, log, Config and Quit
// controls and the three-panel status bar. It starts the system (settings,
// position, reference tables, store, buttons) and ends it, and it is where
// the message path, the store and the card link show what they do.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "cardlink/connection_manager.h"
#include "config/config_dialog.h"
#include "config/settings.h"
#include "decoding/message_path.h"
#include "decoding/traffic_log.h"
#include "readable/readable.h"
#include "receiver/background_calls.h"
#include "receiver/receiver.h"
#include "reference/reference_tables.h"
#include "station/station.h"
#include "store/store.h"
#include "web/web_server.h"

namespace corvane::shell {

class FormSurface;
class HeaderField;
class MessageArea;
class PlanesList;
class StatusPanel;
class LogCheckBox;
class PlaneWindow;
class SearchWindow;
class RecentMessagesModel;
class RecentMessagesWindow;
class AlertList;
class AlertNotice;

// What tests and other platforms put in place of the real thing.
struct ShellSeams {
  std::string appName = "Corvane";
  decoding::UtcClock clock = decoding::SystemUtcNow;
  cardlink::ConnectionManager::ServerFactory serverFactory = cardlink::ConnectionManager::DefaultFactory();
  // Shows a message box titled with the program's name.
  std::function<void(QWidget* parent, const QString& text)> messageBox;
  // Stands in for the configuration dialog when set: runs on the settings,
  // true when accepted with a card.
  std::function<bool(QWidget* parent, config::Settings& settings)> configDialog;
  // How the configuration dialog's search pauses (the event loop turning).
  std::function<void(int milliseconds)> pause;
  // The live link's name; empty publishes nothing.
  QString liveLinkName = "Corvane";
  // Asks a yes-or-no question in a box titled with the program's name; true
  // for yes.
  std::function<bool(QWidget* parent, const QString& text)> question;
  // Opens an address in the user's browser; false when no browser started.
  std::function<bool(const QUrl& url)> openUrl;
};

// How long the window waits for the store before it says that the store
// does not answer (the call itself goes on, within the store's own limits).
inline constexpr std::chrono::milliseconds kStoreAnswerLimit{5000};

// Makes a window stay on top of the others, or not, without moving or
// resizing it.
void MakeWindowAlwaysTop(QWidget* window, bool on);

class MainWindow : public QMainWindow,
                   public decoding::MessageOutputs,
                   public cardlink::ConnectionView,
                   public store::StoreProgress,
                   private station::StationFront {
  Q_OBJECT

 public:
  explicit MainWindow(ShellSeams seams = {});
  ~MainWindow() override;

  // Start-up: settings, position, caption, reference tables, store, narrowing,
  // the first configuration when no card is set, panel layout and buttons.
  void Start();

  // The shut-down of Quit, run once whatever ends the program (Quit, a stop
  // signal, the end of the desktop session): the connection closed first,
  // the settings written, the store's waiting messages kept, the link closed.
  void ShutDown();

  // A card text record, as the card server's text event delivers it.
  void HandleTextRecord(const std::string& record);
  // The same with where it came from: a record this station sent out that
  // comes back from the broker is dropped; another relayed record is stored
  // and published as first heard by its own station.
  void HandleCardRecord(const std::string& record, const cardlink::RecordOrigin& origin);
  // A message that matched the watch list: marked in the message area and
  // the aircraft list, counted, and a sound when asked.
  void ShowAlertsOfLast();
  // The watch list from the text of the setting Alerts.
  void UseWatchList(const std::string& entries);

  [[nodiscard]] decoding::MessagePath& Path() { return receiver_->Path(); }
  [[nodiscard]] receiver::Receiver& Receiver() { return *receiver_; }
  [[nodiscard]] cardlink::ConnectionManager& Connection() { return *connection_; }
  [[nodiscard]] const config::Settings& Settings() const { return settings_; }
  [[nodiscard]] std::int32_t DBType() const { return receiver_->Path().DBType; }
  // The store is open (or there is none) and the Connect button may work.
  [[nodiscard]] bool StoreReady() const { return storeReady_; }

  // decoding::MessageOutputs
  void SetLiveItem(const std::string& record) override;
  void SetLiveData(const std::string& summary) override;
  void ShowHeader(const decoding::HeaderFields& header) override;
  void ShowPanels(const decoding::PanelState& panels) override;
  void SetStatusStamp(const std::string& stamp) override;
  void PlaneInserted(std::size_t position, const std::string& address) override;

  // cardlink::ConnectionView
  void SetConnectEnabled(bool enabled) override;
  void SetConnectCaption(const std::string& caption) override;
  void SetConfigEnabled(bool enabled) override;
  void SetModePanel(const std::string& text) override;
  void SetStatusPanel(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ConnectionDropped(const std::string& reason) override;

  // store::StoreProgress
  void ShowProgress(const std::string& caption) override;
  void SetProgressStep(const std::string& text) override;
  void HideProgress() override;
  void AppendCaption(const std::string& suffix) override;

  [[nodiscard]] livelink::LiveLinkServer& LiveLink() { return receiver_->LiveLink(); }
  // The live link indicator's colour on the form; invalid before any link.
  [[nodiscard]] QColor LinkIndicator() const;
  [[nodiscard]] PlaneWindow* Plane() const { return plane_; }
  // The Search window, once opened (Ctrl+F or the message area's menu).
  [[nodiscard]] SearchWindow* Search() const { return search_; }
  void OpenSearchWindow();
  // The watch list's dialog; OK writes the settings Alerts and AlertSound
  // and watches for the new entries from the next message on.
  void OpenWatchListDialog();
  // Alerts not yet seen: the count beside the status bar, whose click opens
  // the alert list (main_window_alerts.cpp).
  [[nodiscard]] int UnseenAlerts() const;
  // The alert list, once an alert came or it was opened.
  [[nodiscard]] AlertList* Alerts() const { return alerts_; }
  // Shows the alert list raised and active, un-minimised.
  void ShowAlertList();
  // Whether an alert beeps and shows a desktop notification.
  void UseAlertNotice(bool sound, bool notify);
  [[nodiscard]] bool IsLocked() const { return Locked; }
  // The Recent messages window (Ctrl+E or the message area's menu), once
  // opened; its rows fill from the start.
  void OpenRecentMessages();
  [[nodiscard]] RecentMessagesWindow* Recent() const { return recent_; }
  [[nodiscard]] RecentMessagesModel& RecentModel() const { return *recentModel_; }

 signals:
  // A live item changed, as published to other programs.
  void ItemPublished(const std::string& item, const std::string& value);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // station::StationFront: news on standard error, a step that could not be
  // taken in a message box (the window goes on without it).
  void Say(const std::string& line) override;
  bool GoOnWithout(station::Step step, const std::string& why) override;
  void Warn(station::Step step, const std::string& warning) override;
  void StoreOpenEnded(const std::optional<std::string>& name, const std::string& why) override;
  void SayWhenStoreIsSlow();
  void BuildControls();
  void BuildContextActions();
  void BuildRecentAndAlertActions();
  void AddRecentMessage();
  void BuildHeader(QWidget* base);
  void BuildStatusBar();
  void RestorePosition();
  void NarrowWithoutAircraftList();
  void OpenConfig();
  bool RunConfigDialog(config::Settings& chosen);
  void OnLogDataClicked();
  void OnReadableTextToggled(bool on);
  void RenderMessageArea();
  void ShowLogTrouble();
  void ShowStoreTrouble();
  static void ShowTrouble(QWidget* control, QPalette::ColorRole role, const std::string& trouble, std::string& shown,
                          const char* normalTip, const QString& troubleTip);
  void ConnectLinkIndicator();
  // Opens the web page's view ("map", "stats") in the user's browser.
  void OpenWebPage(const QString& view);
  void ShowLinkIndicator(const QColor& colour);
  void OnPlanesClicked();
  void ScheduleReconnect(const std::string& why);
  void TryReconnect();
  void SayConnectionNews(const std::string& text);
  void OnPlanesDeleteKey();
  void OnPlanesSelectionMoved();
  void RequestHistory();
  void AskAndDelete(const std::string& address, std::optional<std::uint64_t> count);
  void DeletePlane(const std::string& address);
  PlaneWindow& EnsurePlaneWindow();
  // The history window on an aircraft's day (a Date field, empty for today)
  // beside `beside` (the main window when null, which it then follows), with
  // the message of that Hour field marked when one is given.
  void ShowPlaneWindow(const std::string& address, const std::string& day, const std::string& mark = {},
                       const QWidget* beside = nullptr);
  // Alerts: the status bar's count and store indicator, the alert list, and
  // the aircraft list's marks (main_window_alerts.cpp).
  void BuildAlertIndicators();
  // The dialog's choice of beep and notification, written when changed.
  void TakeAlertNotice(bool sound, bool notify);
  AlertList& EnsureAlertList();
  void ShowAlertCount(int unseen);
  void MarkAlertedPlane(const std::string& address, const QString& entries);
  void TakeOffPlaneMark(const std::string& address);
  void SeePlane(const std::string& address);
  void DockPlaneWindow();
  void OnStatusPanelDoubleClick(int panel);
  void EnterCompactMode();
  void LeaveCompactMode();
  void ToggleRegFilter();
  void ToggleLabelFilter();
  static void SetBackground(QWidget* widget, const QColor& colour);

  // Members that hold the window state its behaviours are described by keep
  // those names (Locked, LastButton, SavedLayout, X, Y); the others end in
  // an underscore.
  ShellSeams seams_;
  config::Settings settings_;
  cardlink::CardSettings card_;
  // The message path and everything a message goes to; store calls run on
  // the background worker (declared after it, so it stops first).
  std::unique_ptr<receiver::Receiver> receiver_;
  receiver::BackgroundCalls storeCalls_;
  // The station's start and stop; declared after the worker it opens the
  // store on, so it stops first.
  std::unique_ptr<station::Station> station_;
  bool storeReady_ = false;
  // The history read on the worker: one at a time, the newest request shown.
  bool historyReading_ = false;
  bool historyAgain_ = false;
  std::uint64_t historyRequest_ = 0;
  bool deleteAsking_ = false;
  // Reconnecting by itself after a lost card server (setting Reconnect).
  QTimer reconnect_;
  station::ReconnectPause reconnectPause_{5, 120};  // from 5 s, doubling, up to two minutes
  bool reconnecting_ = false;
  std::string reconnectError_;
  std::unique_ptr<cardlink::ConnectionManager> connection_;
  std::unique_ptr<MessageArea> messageArea_;
  // "Readable text": the last shown panel state and readable decoding, so a
  // change of the setting redraws the message shown.
  QAction* readableText_ = nullptr;
  decoding::PanelState shownPanels_;
  std::optional<readable::Decoding> shownReadable_;
  std::string shownFlight_;  // the flight of the message shown, card bytes
  bool shutDown_ = false;
  // Compact and topmost (set by the window's lock); the dialog then takes
  // the topmost place while it is open.
  bool Locked = false;
  std::unique_ptr<config::ConfigDialog> configDialog_;
  PlaneWindow* plane_ = nullptr;
  QAction* searchAction_ = nullptr;
  SearchWindow* search_ = nullptr;
  QAction* watchListAction_ = nullptr;
  QAction* mapAction_ = nullptr;
  QAction* statisticsAction_ = nullptr;
  QAction* recentAction_ = nullptr;
  QAction* alertsAction_ = nullptr;
  RecentMessagesModel* recentModel_ = nullptr;
  RecentMessagesWindow* recent_ = nullptr;
  QToolButton* alertCount_ = nullptr;
  std::uint64_t alertsShownFor_ = 0;  // the receiver's record number last shown
  bool alertSound_ = false;
  bool alertNotify_ = false;
  AlertList* alerts_ = nullptr;
  AlertNotice* notice_ = nullptr;
  QLabel* storeTrouble_ = nullptr;  // the status bar's sign that the store refuses writes
  bool planeFollows_ = true;        // the history window docks beside the main window
  // The start-up position in twips (the stored one, or where a first start
  // put the window); the history window docks once the window has left it.
  std::int16_t X = 0;
  std::int16_t Y = 0;
  // The mouse button last pressed on the status bar: 1 left, 2 right, 4 middle.
  int LastButton = 1;
  // The base frame's top and height and the window's height (twips, 16-bit)
  // before the window went compact.
  std::array<std::int16_t, 3> SavedLayout{};

  FormSurface* form_ = nullptr;
  QWidget* base_ = nullptr;
  QLabel* vMde_ = nullptr;
  HeaderField* vReg_ = nullptr;
  QLabel* lFId_ = nullptr;
  QLabel* vFId_ = nullptr;
  QLabel* lMsn_ = nullptr;
  QLabel* vMsn_ = nullptr;
  HeaderField* vLbl_ = nullptr;
  PlanesList* planes_ = nullptr;
  QPushButton* connect_ = nullptr;
  LogCheckBox* logData_ = nullptr;
  std::string shownLogError_;      // the log failure the LogData box shows; empty when none
  std::string shownStoreTrouble_;  // why the store refuses writes, as the list shows it; empty when not
  QPushButton* config_ = nullptr;
  QPushButton* cancel_ = nullptr;
  std::array<StatusPanel*, 3> statusPanels_{};
  QLabel* liveItem_ = nullptr;
  QLabel* liveData_ = nullptr;
  QTimer timer_;
  QWidget* info_ = nullptr;
  QLabel* infoText_ = nullptr;
};

}  // namespace corvane::shell
