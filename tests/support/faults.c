// Loaded with LD_PRELOAD: faults of the system that a test asks for by its environment,
// read once as the program loads (a run's child starts from an empty environment).
//   FAIL_UNLINK=TAIL  unlinkat fails (EIO) for every name that ends in TAIL, as on a file
//                     system that cannot remove that one file;
//   SLOW_READ=MS      the program's first pread waits MS milliseconds first, as a read
//                     slowed by a loaded disk;
//   NO_LISTING=1      the account and group databases list nothing (getpwent, getgrent),
//                     as LDAP or SSSD without enumeration, while lookups by name or id work.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <grp.h>
#include <pwd.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static char* tail;
static long slow_ms;
static int no_listing;

__attribute__((constructor)) static void ReadFaults(void) {
  const char* value = getenv("FAIL_UNLINK");
  tail = value != NULL ? strdup(value) : NULL;
  value = getenv("SLOW_READ");
  slow_ms = value != NULL ? atol(value) : 0;
  no_listing = getenv("NO_LISTING") != NULL;
}

// The next definition of `name` after this library's: POSIX's way to a function's address.
static void* Next(const char* name) { return dlsym(RTLD_NEXT, name); }

int unlinkat(int dir, const char* name, int flags) {
  const size_t n = strlen(name), t = tail != NULL ? strlen(tail) : 0;
  if (tail != NULL && n >= t && strcmp(name + n - t, tail) == 0) {
    errno = EIO;
    return -1;
  }
  int (*real)(int, const char*, int) = NULL;
  *(void**)&real = Next("unlinkat");
  return real(dir, name, flags);
}

ssize_t pread(int fd, void* buffer, size_t size, off_t at) {
  if (slow_ms > 0) {
    const struct timespec wait = {slow_ms / 1000, (slow_ms % 1000) * 1000000};
    slow_ms = 0;
    nanosleep(&wait, NULL);
  }
  ssize_t (*real)(int, void*, size_t, off_t) = NULL;
  *(void**)&real = Next("pread");
  return real(fd, buffer, size, at);
}
ssize_t pread64(int fd, void* buffer, size_t size, off_t at) { return pread(fd, buffer, size, at); }

struct passwd* getpwent(void) {
  struct passwd* (*real)(void) = NULL;
  *(void**)&real = Next("getpwent");
  return no_listing ? NULL : real();
}

struct group* getgrent(void) {
  struct group* (*real)(void) = NULL;
  *(void**)&real = Next("getgrent");
  return no_listing ? NULL : real();
}
