#include "platform/win32/win32_window.h"

#include <commctrl.h>

#include "platform/win32/win32_dpi.h"

namespace tavrel::platform {
namespace {

using window::ControlId;
using window::Key;
using window::KeyCode;

constexpr const char* kClassName = "TavrelWindow";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;  // fixed frame, close box only
constexpr int kFirstId = 100;
constexpr int kIconId = 1;

int Px(int twips, UINT dpi) { return window::TwipsToPixels(twips, static_cast<int>(dpi)); }

// The key as the window's model knows it, if the model has a use for such a key.
std::optional<Key> TranslateKey(WPARAM vk, bool alt) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  if (GetKeyState(VK_CONTROL) < 0) return std::nullopt;
  if (alt) {
    if (vk >= 'A' && vk <= 'Z') return Key{KeyCode::AltLetter, static_cast<char>(vk - 'A' + 'a')};
    return std::nullopt;
  }
  switch (vk) {
    case VK_TAB:
      return Key{shift ? KeyCode::BackTab : KeyCode::Tab};
    case VK_RIGHT:
    case VK_DOWN:
      return Key{KeyCode::Tab};
    case VK_LEFT:
    case VK_UP:
      return Key{KeyCode::BackTab};
    case VK_RETURN:
      return Key{KeyCode::Return};
    case VK_SPACE:
      return Key{KeyCode::Space};
    case VK_ESCAPE:
      return Key{KeyCode::Escape};
    default:
      return std::nullopt;
  }
}

// The default GUI font at the window's DPI; never the bold System font.
HFONT CreateGuiFont(UINT dpi) {
  LOGFONTA font{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  HDC screen = GetDC(nullptr);
  const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), systemDpi > 0 ? systemDpi : 96);
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
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

void Win32Window::Create(const window::FormState& state) {
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
  hwnd_ = CreateWindowExA(0, kClassName, state.title.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this);
  for (const window::Control& c : state.controls) {
    const DWORD style = c.button ? WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY
                                 : WS_CHILD | SS_LEFT | SS_NOPREFIX;
    controls_[static_cast<std::size_t>(c.id)] = CreateWindowExA(
        0, c.button ? "BUTTON" : "STATIC", c.caption.c_str(), style, 0, 0, 0, 0, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + static_cast<int>(c.id))), instance_,
        nullptr);
  }
  // Show access keys and the focus rectangle from the start, not only after Alt.
  SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
  Layout(WindowDpi(hwnd_));
}

// Sizes the client area and places the controls at their twips, converted at `dpi`.
void Win32Window::Layout(UINT dpi) {
  const window::FormState& s = *state_;
  RECT frame{0, 0, Px(s.clientWidth, dpi), Px(s.clientHeight, dpi)};
  AdjustForDpi(frame, kStyle, dpi);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (font_ != nullptr) DeleteObject(font_);
  font_ = CreateGuiFont(dpi);
  for (const window::Control& c : s.controls) {
    HWND control = controls_[static_cast<std::size_t>(c.id)];
    SetWindowPos(control, nullptr, Px(c.place.left, dpi), Px(c.place.top, dpi),
                 Px(c.place.width, dpi), Px(c.place.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
  bigIcon_ = LoadAppIcon(instance_, SM_CXICON, dpi);
  smallIcon_ = LoadAppIcon(instance_, SM_CXSMICON, dpi);
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

void Win32Window::Render(const window::FormState& state) {
  const bool first = !state_;
  state_ = state;
  if (first) Create(state);
  rendering_ = true;
  for (const window::Control& c : state.controls) {
    HWND control = controls_[static_cast<std::size_t>(c.id)];
    char current[64] = {};
    GetWindowTextA(control, current, sizeof current);
    if (c.caption != current) SetWindowTextA(control, c.caption.c_str());
    EnableWindow(control, c.enabled);
    ShowWindow(control, c.visible ? SW_SHOWNA : SW_HIDE);
  }
  if (state.shown && !IsWindowVisible(hwnd_)) {
    RECT area{}, window{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(hwnd_, &window);
    const int w = window.right - window.left, h = window.bottom - window.top;
    SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
  } else if (!state.shown && IsWindowVisible(hwnd_)) {
    ShowWindow(hwnd_, SW_HIDE);
  }
  if (state.focus && state.shown) SetFocus(controls_[static_cast<std::size_t>(*state.focus)]);
  rendering_ = false;
}

void Win32Window::Beep() { MessageBeep(MB_OK); }

void Win32Window::ShowMessageBox(const std::string& text, const std::string& title) {
  ::MessageBoxA(state_ && state_->shown ? hwnd_ : nullptr, text.c_str(), title.c_str(),
                MB_OK | MB_ICONINFORMATION);
}

// Keys on the window go to the model before any control sees them.
bool Win32Window::RouteKey(const MSG& msg) {
  if (hwnd_ == nullptr || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
  const bool alt = (msg.lParam & (1 << 29)) != 0;
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    const auto key = TranslateKey(msg.wParam, msg.message == WM_SYSKEYDOWN && alt);
    if (!key) return false;
    if (key->code == KeyCode::AltLetter) altUsed_ = true;
    input_->KeyDown(*key, (msg.lParam & (1 << 30)) != 0);  // bit 30: the key was down already
    return true;
  }
  if ((msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) && msg.wParam == VK_SPACE) {
    input_->KeyUp(Key{KeyCode::Space});
    return true;
  }
  // Alt let go after an access key must not open the system menu.
  if ((msg.message == WM_SYSKEYUP || msg.message == WM_KEYUP) && msg.wParam == VK_MENU &&
      altUsed_) {
    altUsed_ = false;
    return true;
  }
  return false;
}

void Win32Window::Run(window::FormInput& input) {
  input_ = &input;
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
      const auto id = static_cast<ControlId>(index);
      if (HIWORD(wParam) == BN_CLICKED) input_->Press(id);
      if (HIWORD(wParam) == BN_SETFOCUS && !rendering_) input_->FocusMoved(id);
      return 0;
    }
    case WM_SETFOCUS:
      // A plain window forgets its focused control when it is activated again.
      if (state_ && state_->focus) SetFocus(controls_[static_cast<std::size_t>(*state_->focus)]);
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
