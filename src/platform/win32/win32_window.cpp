#include "platform/win32/win32_window.h"

#include <commctrl.h>

#include <cstring>
#include <utility>

#include "platform/win32/win32_dpi.h"
#include "window/dpi.h"
#include "window/form_input.h"

namespace tavrel::platform {
namespace {

using window::KeyCode;

constexpr const char* kClassName = "TavrelWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed frame, close box only
constexpr int kFirstId = 100;
constexpr int kIconId = 1;

int Px(int twips, UINT dpi) { return window::TwipsToPixels(twips, static_cast<int>(dpi)); }

// The key as the window's model names it, with the modifiers held.
TavrelKey KeyOf(WPARAM vk, bool alt) {
  const std::pair<WPARAM, KeyCode> codes[] = {
      {VK_TAB, KeyCode::Tab},       {VK_RETURN, KeyCode::Return}, {VK_SPACE, KeyCode::Space},
      {VK_ESCAPE, KeyCode::Escape}, {VK_LEFT, KeyCode::Left},     {VK_RIGHT, KeyCode::Right},
      {VK_UP, KeyCode::Up},         {VK_DOWN, KeyCode::Down}};
  const bool letter = vk >= 'A' && vk <= 'Z';
  KeyCode code = letter ? KeyCode::Letter : KeyCode::Other;
  for (const auto& [native, ours] : codes) code = native == vk ? ours : code;
  return {static_cast<int>(code), letter ? static_cast<char>(vk - 'A' + 'a') : '\0',
          GetKeyState(VK_SHIFT) < 0, alt, GetKeyState(VK_CONTROL) < 0};
}

// The default GUI font at the window's DPI; never the bold System font.
HFONT CreateGuiFont(UINT dpi) {
  LOGFONTA font{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
  return CreateFontIndirectA(&font);
}

HICON LoadAppIcon(HINSTANCE instance, int metric, UINT dpi) {
  const int size = SystemMetricForDpi(metric, dpi);
  return static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(kIconId), IMAGE_ICON, size, size, 0));
}

}  // namespace

Win32Window::~Win32Window() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);  // fires WM_NCDESTROY, which forgets it
  if (font_ != nullptr) DeleteObject(font_);
  for (HFONT fitted : fitted_) {
    if (fitted != nullptr) DeleteObject(fitted);
  }
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

void Win32Window::Create(const char* title, int width, int height, const TavrelInput& input) {
  input_ = &input;
  client_ = {0, 0, width, height};
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Procedure;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadAppIcon(instance_, SM_CXICON, USER_DEFAULT_SCREEN_DPI);
  wc.lpszClassName = kClassName;
  RegisterClassExA(&wc);
  hwnd_ = CreateWindowExA(0, kClassName, title, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, nullptr, nullptr, instance_, this);
  Layout(WindowDpi(hwnd_));
}

// Sizes the client area and places the controls at their twips, converted at `dpi`.
void Win32Window::Layout(UINT dpi) {
  RECT frame{0, 0, Px(client_.width, dpi), Px(client_.height, dpi)};
  AdjustForDpi(frame, kStyle, dpi);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (font_ != nullptr) DeleteObject(font_);
  font_ = CreateGuiFont(dpi);
  for (std::size_t i = 0; i < controls_.size(); ++i) Place(i, dpi);
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
  bigIcon_ = LoadAppIcon(instance_, SM_CXICON, dpi);
  smallIcon_ = LoadAppIcon(instance_, SM_CXSMICON, dpi);
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

void Win32Window::Place(std::size_t control, UINT dpi) {
  if (controls_[control] == nullptr) return;
  const window::TwipsRect& p = places_[control];
  SetWindowPos(controls_[control], nullptr, Px(p.left, dpi), Px(p.top, dpi), Px(p.width, dpi),
               Px(p.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageA(controls_[control], WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  FitLabel(control);
}

// The layout gives a label room for its text in the GUI font that Windows and Wine's own
// Tahoma have. A wider font (Wine's fallback in a prefix without its fonts) would wrap the
// text or cut off its end: the label then gets the largest smaller size in which its text
// fits on one line, and keeps its place and size.
void Win32Window::FitLabel(std::size_t control) {
  HWND label = controls_[control];
  if (label == nullptr || !labels_[control]) return;
  char text[64] = {};
  const int length = GetWindowTextA(label, text, sizeof text);
  RECT box{};
  GetClientRect(label, &box);
  LOGFONTA logical{};
  GetObjectA(font_, sizeof logical, &logical);
  HFONT fitted = nullptr;
  HDC dc = GetDC(label);
  for (;;) {
    SIZE size{};
    const HGDIOBJ old = SelectObject(dc, fitted != nullptr ? fitted : font_);
    GetTextExtentPoint32A(dc, text, length, &size);
    SelectObject(dc, old);
    if (size.cx <= box.right || logical.lfHeight == 1 || logical.lfHeight == -1) break;
    // Scaled to the width missing, and smaller by a pixel at least.
    const LONG height = MulDiv(logical.lfHeight, box.right, size.cx);
    logical.lfHeight =
        height != logical.lfHeight ? height : logical.lfHeight - (height < 0 ? -1 : 1);
    if (fitted != nullptr) DeleteObject(fitted);
    fitted = CreateFontIndirectA(&logical);
  }
  ReleaseDC(label, dc);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(fitted != nullptr ? fitted : font_),
               TRUE);
  if (fitted_[control] != nullptr) DeleteObject(fitted_[control]);
  fitted_[control] = fitted;
}

void Win32Window::Update(const TavrelControl& c) {
  const auto at = static_cast<std::size_t>(c.id);
  if (controls_[at] == nullptr) {
    const DWORD style = c.button != 0 ? WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY
                                      : WS_CHILD | SS_LEFT | SS_NOPREFIX;
    controls_[at] = CreateWindowExA(
        0, c.button != 0 ? "BUTTON" : "STATIC", c.caption, style, 0, 0, 0, 0, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + c.id)), instance_, nullptr);
    places_[at] = {c.left, c.top, c.width, c.height};
    labels_[at] = c.button == 0;
    Place(at, WindowDpi(hwnd_));
    // Show access keys and the focus rectangle from the start, not only after Alt.
    SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS),
                 0);
  }
  HWND control = controls_[at];
  char current[64] = {};
  GetWindowTextA(control, current, sizeof current);
  if (std::strcmp(c.caption, current) != 0) {
    SetWindowTextA(control, c.caption);
    FitLabel(at);
  }
  EnableWindow(control, c.enabled);
  ShowWindow(control, c.visible != 0 ? SW_SHOWNA : SW_HIDE);
}

void Win32Window::Show(bool shown, int focus) {
  if (focus >= 0) focus_ = focus;  // for WM_SETFOCUS, which comes as the window appears
  if (shown && !IsWindowVisible(hwnd_)) {
    RECT area{}, window{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(hwnd_, &window);
    SetWindowPos(hwnd_, nullptr,
                 window::Centred(area.left, area.right - area.left, window.right - window.left),
                 window::Centred(area.top, area.bottom - area.top, window.bottom - window.top), 0,
                 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
  } else if (!shown && IsWindowVisible(hwnd_)) {
    ShowWindow(hwnd_, SW_HIDE);
  }
  if (focus >= 0) SetFocus(controls_[static_cast<std::size_t>(focus)]);
}

void Win32Window::Beep() { MessageBeep(MB_OK); }

void Win32Window::ShowMessageBox(const char* text, const char* title) {
  ::MessageBoxA(hwnd_ != nullptr && IsWindowVisible(hwnd_) ? hwnd_ : nullptr, text, title,
                MB_OK | MB_ICONINFORMATION);
}

// Keys on the window go to the model before any control sees them.
bool Win32Window::RouteKey(const MSG& msg) {
  if (hwnd_ == nullptr || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
  const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  if (!down && msg.message != WM_KEYUP && msg.message != WM_SYSKEYUP) return false;
  // Alt let go after an access key must not open the system menu.
  if (!down && msg.wParam == VK_MENU && altUsed_) {
    altUsed_ = false;
    return true;
  }
  const bool alt = msg.message == WM_SYSKEYDOWN && (msg.lParam & (1 << 29)) != 0;
  const TavrelKey key = KeyOf(msg.wParam, alt);
  const bool repeat = down && (msg.lParam & (1 << 30)) != 0;  // bit 30: the key was down already
  if (input_->key(input_->model, key, down, repeat) == 0) return false;
  altUsed_ = altUsed_ || alt;
  return true;
}

void Win32Window::Run() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (RouteKey(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

LRESULT CALLBACK Win32Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  return self != nullptr ? self->Handle(message, wParam, lParam)
                         : DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int index = LOWORD(wParam) - kFirstId;
      if (index < 0 || index >= static_cast<int>(controls_.size()) || input_ == nullptr) break;
      if (HIWORD(wParam) == BN_CLICKED) input_->press(input_->model, index);
      if (HIWORD(wParam) == BN_SETFOCUS) input_->focus_moved(input_->model, index);
      return 0;
    }
    case WM_SETFOCUS:
      // A plain window forgets its focused control when it is activated again.
      if (focus_ >= 0) SetFocus(controls_[static_cast<std::size_t>(focus_)]);
      return 0;
    case WM_DPICHANGED: {
      Layout(HIWORD(wParam));
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

}  // namespace tavrel::platform
