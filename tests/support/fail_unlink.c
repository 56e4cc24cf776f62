// Loaded with LD_PRELOAD: unlinkat fails (EIO) for every name that ends in $FAIL_UNLINK, as
// on a file system that cannot remove that one file.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

int unlinkat(int dir, const char* name, int flags) {
  const char* tail = getenv("FAIL_UNLINK");
  const size_t n = strlen(name), t = tail != NULL ? strlen(tail) : 0;
  if (tail != NULL && n >= t && strcmp(name + n - t, tail) == 0) {
    errno = EIO;
    return -1;
  }
  int (*real)(int, const char*, int) = NULL;
  *(void**)&real = dlsym(RTLD_NEXT, "unlinkat");  // POSIX's way to a function's address
  return real(dir, name, flags);
}
