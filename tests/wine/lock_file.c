/* Holds a file open with no sharing, as another program may: lock_file PATH SECONDS.
 * Prints "locked" once it holds the file. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  HANDLE file = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return 1;
  printf("locked\n");
  fflush(stdout);
  Sleep((DWORD)atoi(argv[2]) * 1000);
  CloseHandle(file);
  return 0;
}
