/* Describes the window "Tavrel 2.0" of another process as Windows itself sees it:
 * frame style, client size, DPI, icons, and each control in creation (tab) order with
 * its class, text, place in the client area and state. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static BOOL CALLBACK describe(HWND child, LPARAM parent) {
  char cls[64], text[64];
  RECT r;
  if (GetParent(child) != (HWND)parent) return TRUE;
  GetClassNameA(child, cls, sizeof cls);
  GetWindowTextA(child, text, sizeof text);
  GetWindowRect(child, &r);
  MapWindowPoints(NULL, (HWND)parent, (POINT*)&r, 2);
  const LONG style = GetWindowLongA(child, GWL_STYLE);
  printf("%s|%s|%ld,%ld,%ld,%ld|%s|%s|%s|%s\n", cls, text, r.left, r.top, r.right - r.left,
         r.bottom - r.top, IsWindowVisible(child) ? "visible" : "hidden",
         IsWindowEnabled(child) ? "enabled" : "disabled", style & WS_TABSTOP ? "tabstop" : "-",
         (style & 0xF) == BS_DEFPUSHBUTTON && !strcmp(cls, "Button") ? "default" : "-");
  return TRUE;
}

int main(void) {
  HWND w = FindWindowA("TavrelWindow", "Tavrel 2.0");
  if (!w) {
    printf("no window\n");
    return 1;
  }
  RECT client;
  GetClientRect(w, &client);
  const LONG style = GetWindowLongA(w, GWL_STYLE);
  printf("client|%ldx%ld\n", client.right, client.bottom);
  printf("frame|%s|%s|%s|%s\n", style & WS_SYSMENU ? "closebox" : "-",
         style & WS_MINIMIZEBOX ? "minimize" : "-", style & WS_MAXIMIZEBOX ? "maximize" : "-",
         style & WS_THICKFRAME ? "sizable" : "fixed");
  EnumChildWindows(w, describe, (LPARAM)w);
  return 0;
}
