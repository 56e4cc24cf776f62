/* Prints the window "Tavrel 2.0" as Windows sees it, in the words of layout.golden: the
 * client size (and "frame" for any box but Close, or a sizing frame), then the controls. */
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
  const LONG frame = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
  const char* more = (GetWindowLongA(w, GWL_STYLE) & frame) != WS_SYSMENU ? " frame" : "";
  printf("%ldx%ld%s\n", c.right, c.bottom, more);
  EnumChildWindows(w, describe, (LPARAM)w);
  return 0;
}
