#include "reader_dialog.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHeaderView>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QWindow>

#include "about_dialog.h"
#include "app_icon.h"
#include "drop_down_list.h"
#include "icon_position.h"
#include "qt_text.h"
#include "res/string_table.h"
#include "window_thread.h"

#include "archive/archive_setting.h"
#include "ports/port_discovery.h"
#include "res/main_dialog.h"
#include "serial/port_open.h"
#include "wandlink/messages.h"

namespace ui {
namespace {

constexpr int kColumnWidths[wandlink::kColumnCount] = {40, 40, 110, 80};
constexpr int kProgressMaximum = 99;

}  // namespace

ReaderDialog::ReaderDialog(QWidget* parent, const StringLoader& loadString)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      icon_(MainFrameIcon()) {
  OnInitDialog(loadString ? loadString : StringLoader(res::LoadString));
}

ReaderDialog::~ReaderDialog() {
  session_.Close();
}

void ReaderDialog::OnInitDialog(const StringLoader& loadString) {
  builder_.emplace(*this, res::kMainDialog);
  DoDataExchange();
  AddAboutToSystemMenu(loadString);
  setWindowIcon(icon_);
  recordsModel_ = new RecordsModel(this);
  windowControls_ = std::make_unique<WindowControls>(
      WindowControlSet{this, recordsModel_, progressBar_, collectButton_, countLabel_,
                       [this](QWidget*, const QString& text) { Present(text); }});
  downloadControls_ =
      std::make_unique<wandlink::CoalescedControls>(*windowControls_, windowThread_);
  archivingControls_ = std::make_unique<archive::ArchivingControls>(
      *downloadControls_, archive::ArchiveFromEnvironment());
  // Called on the download's thread once it has archived new readings.
  archivingControls_->SetArchivedHandler([this] {
    PostToWindowThread(this, [this] {
      if (history_ != nullptr) {
        history_->Refresh();
      }
    });
  });
  recordsActions_ = new RecordsActions(
      this, recordsList_, recordsModel_, [this] { return DownloadRunning(); },
      [this](QWidget*, const QString& text) { Present(text); });
  recordsActions_->ShowExportProgressOn(progressBar_);
  if (historyAction_ != nullptr) {
    recordsActions_->Menu()->addSeparator();
    recordsActions_->Menu()->addAction(historyAction_);
  }
  connect(this, &ReaderDialog::WorkerFinished, recordsActions_, &RecordsActions::Refresh);
  connect(collectButton_, &QPushButton::clicked, this, &ReaderDialog::OnCollect);
  connect(builder_->Control<QPushButton>(res::IDC_THREAD_STATE), &QPushButton::clicked, this,
          &ReaderDialog::OnThreadState);

  recordsList_->setModel(recordsModel_);
  for (int column = 0; column < wandlink::kColumnCount; ++column) {
    recordsList_->setColumnWidth(column, kColumnWidths[column]);
  }
  recordsList_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  recordsList_->horizontalHeader()->setStretchLastSection(false);
  recordsList_->verticalHeader()->hide();
  recordsList_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  recordsList_->verticalHeader()->setDefaultSectionSize(recordsList_->fontMetrics().height() + 4);
  recordsList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  recordsList_->setWordWrap(false);

  progressBar_->setRange(0, kProgressMaximum);
  progressBar_->hide();

  recordsList_->setShowGrid(true);
  recordsList_->setSelectionBehavior(QAbstractItemView::SelectRows);

  RefreshPortList();
  connect(builder_->Control<DropDownList>(res::IDC_PORT), &DropDownList::AboutToOpen, this,
          &ReaderDialog::RefreshPortList);
  WatchPorts();

  countLabel_->hide();
}

void ReaderDialog::RefreshPortList() {
  const int current = portList_->currentIndex();
  std::optional<std::string_view> keep;
  if (current >= 0 && static_cast<std::size_t>(current) < portChoices_.size()) {
    keep = portChoices_[static_cast<std::size_t>(current)].name;
  }
  wandlink::PortList list = wandlink::BuildPortList(wandlink::DetectPorts(), keep);
  QStringList labels;
  for (const wandlink::PortChoice& choice : list.choices) {
    labels.push_back(Text(choice.label));
  }
  const int chosen = static_cast<int>(list.chosen);
  portChoices_ = std::move(list.choices);
  QStringList shown;
  for (int index = 0; index < portList_->count(); ++index) {
    shown.push_back(portList_->itemText(index));
  }
  // An open list stays as it is unless something changed.
  if (labels == shown && chosen == current) {
    return;
  }
  portList_->clear();
  portList_->addItems(labels);
  portList_->setCurrentIndex(chosen);
}

void ReaderDialog::WatchPorts() {
  portWatch_ = wandlink::PortWatch::Start();
  if (!portWatch_) {
    return;
  }
  portWatchNotifier_ = std::make_unique<QSocketNotifier>(portWatch_->Fd(), QSocketNotifier::Read);
  connect(portWatchNotifier_.get(), &QSocketNotifier::activated, this, [this] {
    if (portWatch_->TakeChanges()) {
      RefreshPortList();
    }
  });
}

void ReaderDialog::AddAboutToSystemMenu(const StringLoader& loadString) {
  systemMenu_ = new QMenu(this);
  systemMenu_->setObjectName(QStringLiteral("systemMenu"));
  const auto addCommand = [this](const QString& text, unsigned id) {
    connect(systemMenu_->addAction(text), &QAction::triggered, this,
            [this, id] { OnSysCommand(id); });
  };
  addCommand(QStringLiteral("移动(&M)"), SC_MOVE);
  addCommand(QStringLiteral("关闭(&C)"), SC_CLOSE);

  const std::string_view history = loadString(res::IDS_HISTORY_MENU);
  const std::string_view about = loadString(res::IDS_ABOUTBOX);
  if (!history.empty() || !about.empty()) {
    systemMenu_->addSeparator();
  }
  if (!history.empty()) {
    QAction* open = systemMenu_->addAction(Text(history));
    // Ctrl+H anywhere in the window; the records list's menu offers it too.
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    open->setShortcutContext(Qt::WindowShortcut);
    addAction(open);
    connect(open, &QAction::triggered, this, [this] { OnSysCommand(res::IDM_HISTORY); });
    historyAction_ = open;
  }
  if (!about.empty()) {
    addCommand(Text(about), res::IDM_ABOUTBOX);
  }
  for (const QKeySequence& keys :
       {QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)}) {
    connect(new QShortcut(keys, this), &QShortcut::activated, this, [this] {
      if (recordsList_->hasFocus()) {
        recordsActions_->ShowMenuAtCurrentRow();
      } else {
        ShowSystemMenu(mapToGlobal(QPoint(0, 0)));
      }
    });
  }
}

void ReaderDialog::ShowSystemMenu(const QPoint& globalPosition) {
  systemMenu_->popup(globalPosition);
}

void ReaderDialog::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() == QContextMenuEvent::Mouse && childAt(event->pos()) != nullptr) {
    event->ignore();
    return;
  }
  ShowSystemMenu(event->globalPos());
}

void ReaderDialog::OnSysCommand(unsigned id) {
  switch (id & 0xFFF0) {
    case res::IDM_ABOUTBOX: {
      AboutDialog about(this);
      about.exec();
      return;
    }
    case res::IDM_HISTORY:
      OpenHistory();
      return;
    default:
      DefaultSysCommand(id);
  }
}

void ReaderDialog::OpenHistory() {
  if (history_ == nullptr) {
    history_ = new HistoryWindow(this, archive::ArchiveFromEnvironment(), archive::WhyNoArchive());
    history_->setAttribute(Qt::WA_DeleteOnClose);
    history_->SetMessagePresenter(presentMessage_);
    history_->SetExportPathChooser(historyExportPath_);
  }
  history_->show();
  history_->raise();
  history_->activateWindow();
}

void ReaderDialog::DefaultSysCommand(unsigned id) {
  switch (id & 0xFFF0) {
    case SC_CLOSE:
      close();
      break;
    case SC_MOVE:
      if (QWindow* window = windowHandle()) {
        window->startSystemMove();
      }
      break;
    default:
      break;
  }
}

void ReaderDialog::paintEvent(QPaintEvent* event) {
  if (!isMinimized()) {
    QDialog::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  const int side = style()->pixelMetric(QStyle::PM_LargeIconSize);
  const QSize iconSize(side, side);
  painter.drawPixmap(MinimizedIconPosition(size(), iconSize), OnQueryDragIcon().pixmap(iconSize));
}

void ReaderDialog::DoDataExchange() {
  countLabel_ = builder_->Control<QLabel>(res::IDC_COUNT);
  collectButton_ = builder_->Control<QPushButton>(res::IDC_COLLECT);
  progressBar_ = builder_->Control<QProgressBar>(res::IDC_PROGRESS);
  recordsList_ = builder_->Control<QTableView>(res::IDC_RECORDS);
  portList_ = builder_->Control<QComboBox>(res::IDC_PORT);
}

void ReaderDialog::showEvent(QShowEvent* event) {
  if (!centred_) {
    centred_ = true;
    if (const QScreen* screen = this->screen()) {
      move(screen->availableGeometry().center() - rect().center());
    }
  }
  QDialog::showEvent(event);
}

void ReaderDialog::OnCollect() {
  if (!session_.MayCollect() || recordsActions_->Exporting()) {
    return;
  }
  collectButton_->setEnabled(false);
  // A copy: the list may be refreshed while the last download is being waited for.
  const wandlink::PortChoice choice =
      portChoices_[static_cast<std::size_t>(portList_->currentIndex())];
  wandlink::DownloadContext context{.controls = archivingControls_.get()};
  auto port = wandlink::OpenPortForDownload(choice, context, wandlink::TraceFileFromEnvironment());
  if (!port) {
    Present(Text(wandlink::kPortOpenFailedMessage));
    collectButton_->setEnabled(true);
    return;
  }
  // The last download has closed the port but may still be giving the controls back.
  if (!session_.FinishPrevious()) {
    return;
  }
  archivingControls_->SetPort(choice.name);

  progressBar_->setValue(0);
  recordsModel_->Clear();
  std::move(*port).Configure(context);
  progressBar_->show();
  session_.Start(std::move(context),
                 [this] { PostToWindowThread(this, [this] { emit WorkerFinished(); }); });
}

void ReaderDialog::OnThreadState() {
  Present(session_.Worker() ? QStringLiteral("线程没有关闭") : QStringLiteral("线程关闭"));
}

void ReaderDialog::reject() {
  if (session_.BeginClose()) {
    QDialog::reject();
  }
}

void ReaderDialog::Present(const QString& text) {
  if (session_.ShowBox([&] { presentMessage_(this, text); })) {
    // The box may have been asked for by the worker, which waits for this call to return.
    QMetaObject::invokeMethod(this, &ReaderDialog::reject, Qt::QueuedConnection);
  }
}

void ReaderDialog::RunEventsUntil(const std::function<bool()>& done) {
  while (!done()) {
    // A wait that begins inside the delivery of a posted event (a queued key press, a control
    // operation) is not woken by the GLib loop for events posted before it: deliver them here.
    QCoreApplication::sendPostedEvents();
    if (done()) {
      break;
    }
    QEventLoop loop;
    connect(this, &ReaderDialog::WorkerFinished, &loop, &QEventLoop::quit);
    if (!done()) {
      loop.exec();
    }
  }
}

}  // namespace ui
