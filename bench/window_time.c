/* Starts a program and reports, as "MILLISECONDS KILOBYTES", the time until it maps its
 * first top-level window and its peak memory at that moment; then ends it.
 *   window_time COMMAND...   (on the display in $DISPLAY, without a window manager) */
#include <X11/Xlib.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static long peak_kb(pid_t pid) {
  char path[64], line[256];
  long kb = -1;
  snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
  FILE* status = fopen(path, "r");
  while (status && fgets(line, sizeof line, status)) {
    if (strncmp(line, "VmHWM:", 6) == 0) sscanf(line + 6, "%ld", &kb);
  }
  if (status) fclose(status);
  return kb;
}

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(NULL);
  if (argc < 2 || display == NULL) return 2;
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  struct timespec start, mapped;
  clock_gettime(CLOCK_MONOTONIC, &start);
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  XEvent event;
  do XNextEvent(display, &event);
  while (event.type != MapNotify || event.xmap.override_redirect);
  clock_gettime(CLOCK_MONOTONIC, &mapped);
  usleep(200000); /* let it finish drawing before its memory is read */
  const long kb = peak_kb(child);
  kill(child, SIGKILL);
  waitpid(child, NULL, 0);
  printf("%.1f %ld\n",
         (mapped.tv_sec - start.tv_sec) * 1e3 + (mapped.tv_nsec - start.tv_nsec) / 1e6, kb);
  return 0;
}
