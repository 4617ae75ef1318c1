#include "app/win32_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cmath>
#include <csignal>
#include <memory>

#include "platform/stop/stop.h"
#include "platform/text/big5.h"

namespace tavrix {

namespace {

constexpr wchar_t kClassName[] = L"TavrixOnLineWindow";
constexpr int kClientWidth = 600, kClientHeight = 382;

enum : UINT {
  kCallMessage = WM_APP + 1,  // lParam: a std::function to run, the sender waits
  kPostMessage,               // lParam: a std::function to run and delete
  kTrayMessage,               // the tray icon's notifications
};
enum : UINT_PTR { kUploadTimer = 1, kTrayTimer, kStopTimer };
enum : int {
  kUploadButton = 100,
  kExitButton,
  kHideButton,
  kShowWindowItem = 200,
  kHideWindowItem,
  kBalloonItem,
  kExitItem,
};

// Big5 -> UTF-16, through code page 950 as every text of the program (and
// the names kept whole in it).
std::wstring wide(const std::string& big5) {
  std::string utf8 = text::big5ToUtf8(big5);
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

// A text of the program, written in UTF-8 here, as the window shows it.
std::wstring programText(const char* utf8) {
  return wide(text::B5(utf8));
}

int CALLBACK faceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool faceInstalled(const std::wstring& face) {
  LOGFONTW wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(wanted.lfFaceName, face.c_str(), LF_FACESIZE);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &wanted, faceFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

// The form's face where installed, else the system's Traditional Chinese one.
HFONT formFont(const char* face, int pixels, bool bold = false) {
  std::wstring chosen;
  for (std::wstring candidate :
       {programText(face), std::wstring(L"PMingLiU"), std::wstring(L"Microsoft JhengHei"),
        std::wstring(L"Noto Sans CJK TC"), std::wstring(L"Noto Serif CJK TC")})
    if (faceInstalled(candidate)) {
      chosen = candidate;
      break;
    }
  return CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     CHINESEBIG5_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, chosen.c_str());
}

// The tray pictures: a teal disc whose bright quarter turns a step each time;
// step -1, before the window is first shown, is the disc alone.
HICON trayPictureOf(int step) {
  constexpr int kSize = 16;
  BITMAPV5HEADER header = {};
  header.bV5Size = sizeof header;
  header.bV5Width = kSize;
  header.bV5Height = -kSize;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC dc = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  ReleaseDC(nullptr, dc);
  auto* pixels = static_cast<DWORD*>(bits);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      double dx = x + 0.5 - kSize / 2.0, dy = kSize / 2.0 - (y + 0.5);
      double r2 = dx * dx + dy * dy;
      DWORD pixel = 0;
      if (r2 <= 7.0 * 7.0) pixel = 0xFF008080;
      // The bright quarter: from 90 - 45 * step degrees, a quarter clockwise.
      double from = 90.0 - 45.0 * step;
      double angle = std::fmod(std::atan2(dy, dx) * 180.0 / 3.14159265358979 - from + 720.0, 360.0);
      if (step >= 0 && r2 <= 5.0 * 5.0 && angle >= 270.0) pixel = 0xFFFFFFFF;
      pixels[y * kSize + x] = pixel;
    }
  const WORD noMask[kSize] = {};  // the alpha channel decides
  HBITMAP mask = CreateBitmap(kSize, kSize, 1, 1, noMask);
  ICONINFO info = {TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(colour);
  DeleteObject(mask);
  return icon;
}

const char* const kKinds[] = {"收銀銷售", "點數記錄", "收銀作廢", "信用卡檔", "刪除記錄",
                              "按鍵記錄", "兌換資料", "打卡資料", "收支記錄"};

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK windowOfProcess(HWND window, LPARAM search) {
  auto* s = reinterpret_cast<Search*>(search);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t name[64];
  if (pid == s->pid && GetClassNameW(window, name, 64) && lstrcmpW(name, kClassName) == 0) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK closeBox(HWND box, LPARAM owner) {
  wchar_t name[16];
  if (GetWindow(box, GW_OWNER) == reinterpret_cast<HWND>(owner) && IsWindowVisible(box) &&
      GetClassNameW(box, name, 16) && lstrcmpW(name, L"#32770") == 0)
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  return TRUE;
}

}  // namespace

Win32Window::Win32Window() : thread_(GetCurrentThreadId()) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES |
                                                        ICC_PROGRESS_CLASS | ICC_BAR_CLASSES |
                                                        ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  appIcon_ = LoadIconW(instance, MAKEINTRESOURCEW(1));
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = appIcon_;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);

  // A caption bar with no frame buttons, the client area of the form, centred.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  window_ = CreateWindowExW(0, kClassName, L"FormTavrix_OnLine", style,
                            work.left + (work.right - work.left - width) / 2,
                            work.top + (work.bottom - work.top - height) / 2, width, height,
                            nullptr, nullptr, instance, this);
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  trayPictures_[0] = trayPictureOf(-1);
  for (int step = 0; step < 8; ++step) trayPictures_[step + 1] = trayPictureOf(step);
  buildForm();
  addTrayIcon();
  SetTimer(window_, kStopTimer, 250, nullptr);  // no descriptor to watch here
}

Win32Window::~Win32Window() {
  if (trayShown_) {
    NOTIFYICONDATAW tray = trayIcon();
    Shell_NotifyIconW(NIM_DELETE, &tray);
  }
  DestroyWindow(window_);
  for (HICON icon : trayPictures_) DestroyIcon(icon);
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(formFont_), static_cast<HGDIOBJ>(kaiFont_),
                         static_cast<HGDIOBJ>(buttonFont_), static_cast<HGDIOBJ>(logBackground_)})
    DeleteObject(object);
}

void Win32Window::buildForm() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  formFont_ = formFont("細明體", 13);
  kaiFont_ = formFont("標楷體", 16);
  buttonFont_ = formFont("新細明體", 13, true);
  logBackground_ = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
  auto add = [&](const wchar_t* type, const std::wstring& text, DWORD style, int x, int y,
                 int width, int height, HFONT font, int id = 0) {
    HWND control = CreateWindowExW(
        0, type, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
  };

  // The top panel: the two-column mode group, "顯示", the day, the buttons.
  notYetTransferred_ =
      add(L"BUTTON", programText("未拋轉"), BS_AUTORADIOBUTTON | WS_GROUP, 11, 8, 72, 22, kaiFont_);
  oneDay_ = add(L"BUTTON", programText("日拋轉"), BS_AUTORADIOBUTTON, 89, 8, 72, 22, kaiFont_);
  SendMessageW(notYetTransferred_, BM_SETCHECK, BST_CHECKED, 0);
  keepShown_ = add(L"BUTTON", programText("顯示"), BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 169, 12,
                   53, 17, formFont_);
  dayPicker_ =
      add(DATETIMEPICK_CLASSW, L"", DTS_SHORTDATEFORMAT | WS_TABSTOP, 226, 10, 111, 21, formFont_);
  SendMessageW(dayPicker_, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"yyyy/MM/dd"));
  uploadButton_ = add(L"BUTTON", programText("資料上傳"), BS_PUSHBUTTON | WS_TABSTOP, 351, 5, 90,
                      31, kaiFont_, kUploadButton);
  exitButton_ = add(L"BUTTON", programText("MGR離開"), BS_PUSHBUTTON | WS_TABSTOP, 446, 5, 90, 31,
                    kaiFont_, kExitButton);
  hideButton_ =
      add(L"BUTTON", L"4.HI", BS_OWNERDRAW | WS_TABSTOP, 542, 4, 44, 33, buttonFont_, kHideButton);
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                             nullptr, instance, nullptr);
  TOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(hideButton_);
  tool.lpszText = const_cast<wchar_t*>(L"5.ON");
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

  // The kinds list with its tick boxes, and the two logs.
  kindsList_ = add(WC_LISTVIEWW, L"",
                   LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER,
                   0, 41, 208, 306, kaiFont_);
  ListView_SetExtendedListViewStyle(kindsList_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  LVCOLUMNW column = {};
  column.mask = LVCF_WIDTH;
  column.cx = 200;
  SendMessageW(kindsList_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  for (int i = 0; i < 9; ++i) {
    std::wstring kind = programText(kKinds[i]);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = kind.data();
    SendMessageW(kindsList_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  DWORD log = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER;
  progressLog_ = add(L"EDIT", L"", log, 208, 41, 392, 211, formFont_);
  errorLabel_ = add(L"STATIC", L" ERROR...  ", SS_LEFT, 216, 254, 90, 18, kaiFont_);
  failureLog_ = add(L"EDIT", L"", log, 208, 276, 392, 71, formFont_);
  for (HWND edit : {progressLog_, failureLog_}) SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);

  // The bottom panel: two progress bars that nothing moves.
  add(PROGRESS_CLASSW, L"", 0, 0, 347, 600, 17, formFont_);
  add(PROGRESS_CLASSW, L"", 0, 0, 365, 600, 17, formFont_);
}

NOTIFYICONDATAW Win32Window::trayIcon() const {
  NOTIFYICONDATAW tray = {};
  tray.cbSize = sizeof tray;
  tray.hWnd = window_;
  tray.uID = 1;
  return tray;
}

void Win32Window::addTrayIcon() {
  NOTIFYICONDATAW tray = trayIcon();
  tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  tray.uCallbackMessage = kTrayMessage;
  tray.hIcon = trayPictures_[trayPicture_ + 1];
  lstrcpynW(tray.szTip, L"TrayIcon Test", ARRAYSIZE(tray.szTip));
  trayShown_ = Shell_NotifyIconW(NIM_ADD, &tray);
}

void Win32Window::setTrayPicture(int step) {
  trayPicture_ = step;
  if (!trayShown_) return;
  NOTIFYICONDATAW tray = trayIcon();
  tray.uFlags = NIF_ICON;
  tray.hIcon = trayPictures_[step + 1];
  Shell_NotifyIconW(NIM_MODIFY, &tray);
}

void Win32Window::showTrayMenu() {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kShowWindowItem, L"&Show window");
  AppendMenuW(menu, MF_STRING, kHideWindowItem, L"&Hide window");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kBalloonItem, L"Show &balloon hint");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kExitItem, L"E&xit");
  SetMenuDefaultItem(menu, kShowWindowItem, FALSE);
  POINT at;
  GetCursorPos(&at);
  SetForegroundWindow(window_);  // so the menu closes when the user clicks elsewhere
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
  PostMessageW(window_, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

void Win32Window::bringForward(long pid) {
  Search search = {static_cast<DWORD>(pid), nullptr};
  if (pid <= 0) return;
  EnumWindows(windowOfProcess, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return;  // tavrix-upload: it has no window to show
  ShowWindow(search.found, SW_SHOW);
  SetForegroundWindow(search.found);
}

void Win32Window::attach(TillWindow& window) {
  till_ = &window;
}

int Win32Window::run() {
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (keyBeforeControls(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

bool Win32Window::keyBeforeControls(const MSG& message) {
  if (message.message != WM_KEYDOWN || (message.wParam != VK_F1 && message.wParam != VK_F6) ||
      !till_ || (message.hwnd != window_ && !IsChild(window_, message.hwnd)))
    return false;
  till_->keyPressed(message.wParam == VK_F1 ? TillWindow::Key::F1 : TillWindow::Key::F6);
  return true;
}

void Win32Window::stopFromOutside() {
  if (till_) till_->stopFromOutside();
}

LRESULT CALLBACK Win32Window::procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self ? self->handle(message, w, l) : DefWindowProcW(window, message, w, l);
}

LRESULT Win32Window::handle(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case kCallMessage:
      (*reinterpret_cast<const std::function<void()>*>(l))();
      return 0;
    case kPostMessage: {
      std::unique_ptr<std::function<void()>> f(reinterpret_cast<std::function<void()>*>(l));
      (*f)();
      return 0;
    }
    case WM_TIMER:
      if (w == kUploadTimer && till_)
        till_->uploadTimerTick();
      else if (w == kTrayTimer)
        setTrayPicture((trayPicture_ + 1) % 8);
      else if (w == kStopTimer && stop::requested())
        stopFromOutside();
      return 0;
    case WM_COMMAND:
      if (!till_) break;
      switch (LOWORD(w)) {
        case kUploadButton:
          till_->startRun();
          return 0;
        case kExitButton:
          till_->close();
          return 0;
        case kHideButton:
        case kHideWindowItem:
          till_->hideToTray();
          return 0;
        case kShowWindowItem:
          till_->showFromTray();
          return 0;
        default:
          break;  // "Show balloon hint" and "Exit" do nothing, as designed
      }
      break;
    case WM_SHOWWINDOW:
      // The tray cycles through its pictures from the first time the window shows.
      if (w && !animating_) {
        setTrayPicture(0);
        if (trayShown_) SetTimer(window_, kTrayTimer, 400, nullptr);
        animating_ = trayShown_;
      }
      break;
    case kTrayMessage:
      if (LOWORD(l) == WM_LBUTTONDBLCLK && till_)
        till_->showFromTray();
      else if (LOWORD(l) == WM_RBUTTONUP || LOWORD(l) == WM_CONTEXTMENU)
        showTrayMenu();
      return 0;
    case WM_CLOSE:
      // From outside (taskkill without /f): as SIGTERM on Linux.
      stop::request(SIGTERM);
      stopFromOutside();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The process ends when this returns: let the run reach its safe point.
      if (w) {
        stop::request(SIGTERM);
        stopFromOutside();
        for (int i = 0; i < 250 && till_ && till_->runInProgress(); ++i) processEvents();
      }
      return 0;
    case WM_DRAWITEM:
      if (w == kHideButton) {
        drawHideButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
      // The read-only logs stay white; labels and boxes take the form's face.
      if (reinterpret_cast<HWND>(l) == progressLog_ || reinterpret_cast<HWND>(l) == failureLog_)
        return reinterpret_cast<LRESULT>(logBackground_);
      SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default:
      if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        addTrayIcon();  // Explorer started again: the icon comes back
        return 0;
      }
      break;
  }
  return DefWindowProcW(window_, message, w, l);
}

void Win32Window::drawHideButton(const DRAWITEMSTRUCT& item) {
  bool pressed = item.itemState & ODS_SELECTED;
  HBRUSH face = CreateSolidBrush(pressed ? RGB(0, 0x50, 0x50) : RGB(0, 0x80, 0x80));
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldBrush = SelectObject(item.hDC, face);
  HGDIOBJ oldPen = SelectObject(item.hDC, GetStockObject(NULL_PEN));
  RoundRect(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right + 1,
            item.rcItem.bottom + 1, 16, 16);
  SelectObject(item.hDC, oldPen);
  SelectObject(item.hDC, oldBrush);
  DeleteObject(face);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, RGB(255, 255, 255));
  HGDIOBJ oldFont = SelectObject(item.hDC, buttonFont_);
  RECT area = item.rcItem;
  DrawTextW(item.hDC, L"4.HI", -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(item.hDC, oldFont);
}

// ---- WindowView ----

void Win32Window::onWindowThread(const std::function<void()>& f) {
  if (GetCurrentThreadId() == thread_)
    f();
  else
    SendMessageW(window_, kCallMessage, 0, reinterpret_cast<LPARAM>(&f));
}

void Win32Window::postToWindowThread(std::function<void()> f) {
  auto* queued = new std::function<void()>(std::move(f));
  if (!PostMessageW(window_, kPostMessage, 0, reinterpret_cast<LPARAM>(queued))) delete queued;
}

void Win32Window::processEvents() {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loop it ends
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int Win32Window::mode() const {
  if (SendMessageW(notYetTransferred_, BM_GETCHECK, 0, 0) == BST_CHECKED) return 0;
  if (SendMessageW(oneDay_, BM_GETCHECK, 0, 0) == BST_CHECKED) return 1;
  return -1;
}

void Win32Window::setMode(int mode) {
  SendMessageW(notYetTransferred_, BM_SETCHECK, mode == 0 ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(oneDay_, BM_SETCHECK, mode == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Window::keepShown() const {
  return SendMessageW(keepShown_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

text::Date Win32Window::day() const {
  SYSTEMTIME t = {};
  SendMessageW(dayPicker_, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
  return text::Date{t.wYear, t.wMonth, t.wDay};
}

void Win32Window::setDay(const text::Date& day) {
  SYSTEMTIME t = {};
  t.wYear = static_cast<WORD>(day.year);
  t.wMonth = static_cast<WORD>(day.month);
  t.wDay = static_cast<WORD>(day.day);
  SendMessageW(dayPicker_, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
}

namespace {

// A line at the end of a log, on a line of its own, scrolled into view.
void appendLine(HWND log, const std::string& line) {
  std::wstring text = wide(line);
  int length = GetWindowTextLengthW(log);
  if (length > 0) text = L"\r\n" + text;
  SendMessageW(log, EM_SETSEL, length, length);
  SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(log, EM_SCROLLCARET, 0, 0);
}

}  // namespace

void Win32Window::addProgressLine(const std::string& line) {
  appendLine(progressLog_, line);
  ++progressLines_;
}

void Win32Window::clearProgress() {
  SetWindowTextW(progressLog_, L"");
  progressLines_ = 0;
}

void Win32Window::addFailureLine(const std::string& line) {
  appendLine(failureLog_, line);
}

void Win32Window::setCaption(const std::string& caption) {
  SetWindowTextW(window_, wide(caption).c_str());
}

int Win32Window::kindCount() const {
  return ListView_GetItemCount(kindsList_);
}

void Win32Window::tickKind(int index) {
  ListView_SetCheckState(kindsList_, index, TRUE);
}

void Win32Window::hideWindow() {
  ShowWindow(window_, SW_HIDE);
}

void Win32Window::showWindow() {
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(window_);
}

void Win32Window::startUploadTimer(int milliseconds) {
  SetTimer(window_, kUploadTimer, static_cast<UINT>(milliseconds), nullptr);
}

void Win32Window::stopUploadTimer() {
  KillTimer(window_, kUploadTimer);
}

void Win32Window::messageBox(const std::string& text) {
  MessageBoxW(window_, wide(text).c_str(), L"Tavrix OnLine", MB_OK | MB_ICONINFORMATION);
}

void Win32Window::errorBox(const std::string& text) {
  MessageBoxW(window_, wide(text).c_str(), L"Tavrix OnLine", MB_OK | MB_ICONERROR);
}

void Win32Window::closeBoxes() {
  EnumThreadWindows(thread_, closeBox, reinterpret_cast<LPARAM>(window_));
}

void Win32Window::endProgram() {
  KillTimer(window_, kTrayTimer);  // nothing more to tell the tray but goodbye
  ShowWindow(window_, SW_HIDE);
  PostQuitMessage(0);
}

}  // namespace tavrix
