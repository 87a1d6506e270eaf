// The program's one window: the port list, the collect button, the progress bar, the count
// label and the records list, built from the IDD_MAIN template.
//
// A press of 采集数据 opens the chosen port and runs the download on a worker thread, which
// drives the controls through the window's thread. Closing the window during a download
// cancels it and keeps the window's events flowing until the worker has ended, so the port is
// closed and no message is left behind. The wand's clock is set only when the close comes
// after the clock frame went out (in the short pause before the port closes).
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTableView>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "archive/archiving_controls.h"
#include "dialog_builder.h"
#include "history_window.h"
#include "message_box.h"
#include "ports/port_list.h"
#include "ports/port_watch.h"
#include "records_actions.h"
#include "records_model.h"
#include "session/coalesced_controls.h"
#include "session/download_session.h"
#include "window_controls.h"
#include "window_thread.h"

namespace ui {

// Looks a string up in the string table by identifier.
using StringLoader = std::function<std::string_view(int id)>;

class ReaderDialog : public QDialog {
  Q_OBJECT

 public:
  // Window-menu commands handled by default: move the window, close it.
  static constexpr unsigned SC_MOVE = 0xF010;
  static constexpr unsigned SC_CLOSE = 0xF060;

  explicit ReaderDialog(QWidget* parent = nullptr, const StringLoader& loadString = {});
  ~ReaderDialog() override;

  // Replaces the message box, e.g. so that tests see the messages without a user.
  void SetMessagePresenter(MessagePresenter presenter) { presentMessage_ = std::move(presenter); }

  // Replaces the save dialog of the export, e.g. so that tests choose the file themselves.
  void SetExportPathChooser(ExportPathChooser chooser) {
    recordsActions_->SetExportPathChooser(chooser);
    historyExportPath_ = std::move(chooser);
  }

  // The last download started, or null before the first.
  const wandlink::DownloadWorker* Worker() const { return session_.Worker(); }

  void OnCollect();
  void OnThreadState();

  // A command chosen from the window menu: IDM_ABOUTBOX opens the About box, IDM_HISTORY the
  // history window, anything else gets the window's default handling.
  void OnSysCommand(unsigned id);

  // Opens the history window beside this one, or brings the open one to the front.
  void OpenHistory();
  // The open history window, or null.
  HistoryWindow* History() const { return history_; }

  // The icon shown for the window while it is minimized or dragged.
  QIcon OnQueryDragIcon() const { return icon_; }

  // The Escape key and the close box end the window; a running download is cancelled first.
  // While a message box is up the close is put off until the box is gone, but nothing starts.
  void reject() override;

 signals:
  void WorkerFinished();

 protected:
  void showEvent(QShowEvent* event) override;
  // Draws the icon, centred, while the window is minimized.
  void paintEvent(QPaintEvent* event) override;
  // A right-click on the window's background opens the window menu.
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void OnInitDialog(const StringLoader& loadString);
  void AddAboutToSystemMenu(const StringLoader& loadString);
  void DefaultSysCommand(unsigned id);
  void ShowSystemMenu(const QPoint& globalPosition);
  void DoDataExchange();
  void Present(const QString& text);
  // Fills the port list with the ports there now, keeping the operator's choice while its port
  // is there.
  void RefreshPortList();
  void WatchPorts();
  // Keeps the window's events flowing until the condition holds; a worker's end wakes it.
  void RunEventsUntil(const std::function<bool()>& done);

  std::optional<DialogBuilder> builder_;
  QLabel* countLabel_ = nullptr;
  QPushButton* collectButton_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QTableView* recordsList_ = nullptr;
  QComboBox* portList_ = nullptr;
  // What each entry of the port list stands for, in the list's order.
  std::vector<wandlink::PortChoice> portChoices_;
  std::unique_ptr<wandlink::PortWatch> portWatch_;
  // Goes before the watch whose descriptor it watches.
  std::unique_ptr<QSocketNotifier> portWatchNotifier_;
  QIcon icon_;
  QMenu* systemMenu_ = nullptr;
  // The history's entry of the window menu, also in the records list's menu.
  QAction* historyAction_ = nullptr;
  QPointer<HistoryWindow> history_;
  ExportPathChooser historyExportPath_ = ChooseExportPath;

  RecordsModel* recordsModel_ = nullptr;
  RecordsActions* recordsActions_ = nullptr;
  std::unique_ptr<WindowControls> windowControls_;
  QtWindowThread windowThread_{this};
  std::unique_ptr<wandlink::CoalescedControls> downloadControls_;
  // What the download drives: the window's controls, the archive after the rows.
  std::unique_ptr<archive::ArchivingControls> archivingControls_;
  MessagePresenter presentMessage_ = ShowMessageBox;
  wandlink::DownloadSession session_{
      [this](const std::function<bool()>& done) { RunEventsUntil(done); }};
  bool centred_ = false;

  bool DownloadRunning() const { return Worker() != nullptr && !Worker()->Finished(); }
};

}  // namespace ui
