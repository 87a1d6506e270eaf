#include "reader_dialog.h"

#include <commctrl.h>

#include <iostream>
#include <utility>

#include "about_dialog.h"
#include "archive/archive_setting.h"
#include "centre_window.h"
#include "display_scale.h"
#include "load_string.h"
#include "private_messages.h"
#include "res/icon_position.h"
#include "res/resource.h"
#include "res/version_info.h"
#include "serial/port_open.h"
#include "wandlink/messages.h"
#include "wandlink/win32_text.h"

namespace winui {
namespace {

constexpr int kProgressMaximum = 99;

}  // namespace

void ReaderDialog::DoModal() {
  ACCEL history{FCONTROL | FVIRTKEY, 'H', static_cast<WORD>(res::IDM_HISTORY)};
  accelerators_.reset(CreateAcceleratorTableW(&history, 1));
  if (CreateDialogParamW(instance_, MAKEINTRESOURCEW(res::IDD_MAIN), nullptr, DialogProc,
                         reinterpret_cast<LPARAM>(this)) == nullptr) {
    std::cerr << "Korvanta: the window could not be created (error " << GetLastError() << ")\n";
    return;
  }
  std::optional<WPARAM> quit;
  // A window destroyed some other way ends the loop too, as a dialog's own loop does.
  while (!ended_ && IsWindow(dialog_)) {
    MSG message{};
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      quit = message.wParam;
      break;
    }
    if (got > 0 && !TakeKeys(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // As a dialog's own loop does: the request to end stays for whoever waits next (the
  // download's end), and the window goes.
  if (quit) {
    PostQuitMessage(static_cast<int>(*quit));
  }
  DestroyWindow(dialog_);
}

bool ReaderDialog::TakeKeys(MSG& message) const {
  if (history_ != nullptr && history_->TakeDialogMessage(message)) {
    return true;
  }
  if (message.hwnd == nullptr || GetAncestor(message.hwnd, GA_ROOT) != dialog_) {
    return false;
  }
  return TranslateAcceleratorW(dialog_, accelerators_.get(), &message) != 0 ||
         IsDialogMessageW(dialog_, &message) != FALSE;
}

void ReaderDialog::OpenHistory() {
  if (history_ != nullptr && history_->IsOpen()) {
    history_->Raise();
    return;
  }
  history_ = std::make_unique<HistoryWindow>(instance_);
  if (!history_->Open()) {
    history_.reset();
  }
}

INT_PTR CALLBACK ReaderDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<ReaderDialog*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    self->dialog_ = dialog;
    return self->OnInitDialog();
  }
  // Messages that come before WM_INITDIALOG get the default processing.
  auto* self = reinterpret_cast<ReaderDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return self == nullptr ? FALSE : self->HandleMessage(message, wParam, lParam);
}

INT_PTR ReaderDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (windowThread_.HandleMessage(message, wParam, lParam)) {
    return TRUE;
  }
  switch (message) {
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_CLOSE:
      OnClose();
      return TRUE;
    case WM_SYSCOMMAND:
      return OnSysCommand(wParam);
    case WM_PAINT:
      return OnPaint();
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_DEVICECHANGE:
      ports_->OnDeviceChange(wParam, lParam);
      return TRUE;
    case WM_NOTIFY:
      return OnRecordsNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      // Elsewhere the window has no menu of its own.
      if (reinterpret_cast<HWND>(wParam) != records_->Window()) {
        return FALSE;
      }
      recordsMenu_->ShowMenu(lParam);
      return TRUE;
    case kWorkerFinishedMessage:
      return TRUE;
    case kArchivedMessage:
      if (history_ != nullptr) {
        history_->Refresh();
      }
      return TRUE;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    default:
      return FALSE;
  }
}

bool ReaderDialog::OnRecordsNotify(NMHDR& header) {
  if (header.idFrom != res::IDC_RECORDS) {
    return false;
  }
  switch (header.code) {
    case LVN_GETDISPINFOW:
      records_->OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header));
      return true;
    case LVN_KEYDOWN:
      recordsMenu_->OnKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
      return true;
    default:
      return false;
  }
}

BOOL ReaderDialog::OnInitDialog() {
  windowThread_.Attach(dialog_);
  records_.emplace(Control(res::IDC_RECORDS));
  windowControls_ = std::make_unique<WindowControls>(
      WindowControlSet{.progress = Control(res::IDC_PROGRESS),
                       .count = Control(res::IDC_COUNT),
                       .collect = Control(res::IDC_COLLECT),
                       .records = &*records_,
                       .presentMessage = [this](const std::wstring& text) { Present(text); }});
  downloadControls_ =
      std::make_unique<wandlink::CoalescedControls>(*windowControls_, windowThread_);
  archivingControls_ = std::make_unique<archive::ArchivingControls>(
      *downloadControls_, archive::ArchiveFromEnvironment());
  archivingControls_->SetArchivedHandler(
      [dialog = dialog_] { PostMessageW(dialog, kArchivedMessage, 0, 0); });
  recordsMenu_.emplace(
      instance_, dialog_, Control(res::IDC_PROGRESS), *records_,
      [this] { return session_.Worker() != nullptr && !session_.Worker()->Finished(); },
      [this](const std::wstring& text) { Present(text); }, [this] { OpenHistory(); });

  // Whichever Windows it runs on, the window follows a change of scale the same way.
  TakeOverScaleChanges(dialog_);
  const UINT dpi = WindowDpi(dialog_);
  scale_.emplace(dialog_, dpi);

  AddToSystemMenu();
  SetIcons(dpi);
  records_->AddColumns(dpi);

  const HWND progress = Control(res::IDC_PROGRESS);
  SendMessageW(progress, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressMaximum));
  ShowWindow(progress, SW_HIDE);

  SendMessageW(Control(res::IDC_RECORDS), LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

  ports_.emplace(Control(res::IDC_PORT), dialog_);

  ShowWindow(Control(res::IDC_COUNT), SW_HIDE);
  // The template asks for no place: the window centres itself, as it always has.
  CentreWindow(dialog_);
  return TRUE;
}

void ReaderDialog::AddToSystemMenu() const {
  const HMENU menu = GetSystemMenu(dialog_, FALSE);
  if (menu == nullptr) {
    return;
  }
  const std::wstring history = LoadResourceString(instance_, res::IDS_HISTORY_MENU);
  const std::wstring about = LoadResourceString(instance_, res::IDS_ABOUTBOX);
  if (history.empty() || about.empty()) {
    return;
  }
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, res::IDM_HISTORY, history.c_str());
  AppendMenuW(menu, MF_STRING, res::IDM_ABOUTBOX, about.c_str());
}

void ReaderDialog::SetIcons(UINT dpi) {
  const auto load = [&](int width, int height) {
    return UniqueIcon(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(res::IDR_MAINFRAME),
                                                    IMAGE_ICON, SystemMetricForDpi(width, dpi),
                                                    SystemMetricForDpi(height, dpi), 0)));
  };
  UniqueIcon big = load(SM_CXICON, SM_CYICON);
  UniqueIcon smallIcon = load(SM_CXSMICON, SM_CYSMICON);
  SendMessageW(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  SendMessageW(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
  // The icons they replace go once the window no longer shows them.
  bigIcon_ = std::move(big);
  smallIcon_ = std::move(smallIcon);
}

void ReaderDialog::OnDpiChanged(UINT dpi, const RECT& proposed) {
  scale_->Rescale(dpi, proposed);
  records_->SetDpi(dpi);
  SetIcons(dpi);
}

bool ReaderDialog::OnCommand(int id, int notification) {
  switch (id) {
    case res::IDC_COLLECT:
      if (notification == BN_CLICKED) {
        OnCollect();
      }
      return true;
    case res::IDC_THREAD_STATE:
      if (notification == BN_CLICKED) {
        OnThreadState();
      }
      return true;
    case res::IDC_PORT:
      if (notification == CBN_DROPDOWN) {
        ports_->Refresh();
      }
      return false;
    case res::IDM_HISTORY:
      OpenHistory();
      return true;
    case IDCANCEL:
      OnClose();
      return true;
    default:
      // IDOK among them: Enter while 采集数据 is disabled.
      return false;
  }
}

void ReaderDialog::OnCollect() {
  if (!session_.MayCollect()) {
    return;
  }
  const HWND collect = Control(res::IDC_COLLECT);
  // A disabled button loses the focus, and with no focus at all the keys no longer reach the
  // dialog: Escape would not close it during the download. The records, where the log will
  // appear, take it (the port list would keep Alt+F4 from the window under Wine).
  if (GetFocus() == collect) {
    SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(res::IDC_RECORDS)), TRUE);
  }
  EnableWindow(collect, FALSE);
  wandlink::DownloadContext context{.controls = archivingControls_.get()};
  auto port = wandlink::OpenPortForDownload(ports_->Chosen(), context,
                                            wandlink::TraceFileFromEnvironment());
  if (!port) {
    Present(wandlink::Widen(wandlink::kPortOpenFailedMessage));
    EnableWindow(collect, TRUE);
    return;
  }
  // The last download has closed the port but may still be giving the controls back.
  if (!session_.FinishPrevious()) {
    return;
  }
  archivingControls_->SetPort(ports_->Chosen().name);

  const HWND progress = Control(res::IDC_PROGRESS);
  SendMessageW(progress, PBM_SETPOS, 0, 0);
  records_->Clear();
  std::move(*port).Configure(context);
  ShowWindow(progress, SW_SHOW);
  session_.Start(std::move(context),
                 [dialog = dialog_] { PostMessageW(dialog, kWorkerFinishedMessage, 0, 0); });
}

void ReaderDialog::OnThreadState() {
  Present(session_.Worker() != nullptr ? L"线程没有关闭" : L"线程关闭");
}

bool ReaderDialog::OnSysCommand(WPARAM id) {
  switch (id & 0xFFF0) {
    case res::IDM_ABOUTBOX:
      AboutDialog(instance_).DoModal(dialog_);
      return true;
    case res::IDM_HISTORY:
      OpenHistory();
      return true;
    default:
      return false;
  }
}

bool ReaderDialog::OnPaint() {
  if (!IsIconic(dialog_)) {
    return false;
  }
  PAINTSTRUCT paint{};
  const HDC dc = BeginPaint(dialog_, &paint);
  SendMessageW(dialog_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const res::PixelSize icon{SystemMetricForDpi(SM_CXICON, scale_->Dpi()),
                            SystemMetricForDpi(SM_CYICON, scale_->Dpi())};
  RECT client{};
  GetClientRect(dialog_, &client);
  const res::PixelPoint position =
      res::MinimizedIconPosition({client.right - client.left, client.bottom - client.top}, icon);
  DrawIconEx(dc, position.x, position.y, bigIcon_.get(), icon.width, icon.height, 0, nullptr,
             DI_NORMAL);
  EndPaint(dialog_, &paint);
  return true;
}

void ReaderDialog::OnClose() {
  if (session_.BeginClose()) {
    ended_ = true;
  }
}

// Whatever ends the window (a WM_QUIT that ends the window's loop among them), its download
// ends first, while the window can still carry out the download's last steps.
void ReaderDialog::OnDestroy() {
  history_.reset();
  session_.Close();
  windowThread_.Detach();
}

void ReaderDialog::Present(const std::wstring& text) {
  const bool closeDue = session_.ShowBox([&] {
    MessageBoxW(dialog_, text.c_str(), wandlink::Widen(res::kInternalName).c_str(),
                MB_OK | MB_ICONWARNING);
  });
  // The box may have been asked for by the worker, which waits for this call to return.
  if (closeDue) {
    PostMessageW(dialog_, WM_CLOSE, 0, 0);
  }
}

void ReaderDialog::RunEventsUntil(const std::function<bool()>& done) {
  std::optional<WPARAM> quit;
  while (!done()) {
    MSG message{};
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      // The program is asked to end, but the worker has not: nothing starts from here on;
      // wait for the worker, then pass the request on to the loop below.
      quit = message.wParam;
      session_.AskToClose();
    } else if (got > 0 && !TakeKeys(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (quit) {
    PostQuitMessage(static_cast<int>(*quit));
  }
}

}  // namespace winui
