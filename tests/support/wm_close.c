/* Does what a window manager does when the user clicks a window's close box:
 * sends WM_DELETE_WINDOW to the window given by its id. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(NULL);
  if (argc != 2 || display == NULL) {
    fprintf(stderr, "usage: wm_close WINDOW_ID (with a display)\n");
    return 2;
  }
  XEvent event = {0};
  event.xclient.type = ClientMessage;
  event.xclient.window = (Window)strtoul(argv[1], NULL, 0);
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
  XCloseDisplay(display);
  return 0;
}
