/* Prints the window "Tavrel 2.0" of another process as Windows sees it, in the words
 * of tests/window/layout.golden: the client size (and any minimize, maximize or sizing
 * box), then each control in creation (tab) order with its place in the client area. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static BOOL CALLBACK describe(HWND child, LPARAM parent) {
  char cls[16], text[64];
  RECT r;
  GetClassNameA(child, cls, sizeof cls);
  GetWindowTextA(child, text, sizeof text);
  GetWindowRect(child, &r);
  MapWindowPoints(NULL, (HWND)parent, (POINT*)&r, 2);
  printf("  %s %ld,%ld %ldx%ld\n", strcmp(cls, "Button") ? "label" : text, r.left, r.top,
         r.right - r.left, r.bottom - r.top);
  return TRUE;
}

int main(void) {
  HWND w = FindWindowA("TavrelWindow", "Tavrel 2.0");
  RECT c;
  if (!w || !GetClientRect(w, &c)) return 1;
  const LONG style = GetWindowLongA(w, GWL_STYLE);
  printf("%ldx%ld%s%s%s%s\n", c.right, c.bottom, style & WS_SYSMENU ? "" : " no-close-box",
         style & WS_MINIMIZEBOX ? " minimize" : "", style & WS_MAXIMIZEBOX ? " maximize" : "",
         style & WS_THICKFRAME ? " sizable" : "");
  EnumChildWindows(w, describe, (LPARAM)w);
  return 0;
}
