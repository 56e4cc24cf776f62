/* The physical floor of a switch: read win.ini, overwrite the one byte after "Disable="
 * with pwrite, fdatasync. Nothing else: the yardstick for a change of the same length.
 *   floor DIR VALUE */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  char path[4096];
  snprintf(path, sizeof path, "%s/win.ini", argv[1]);
  int fd = open(path, O_RDWR);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) return 1;
  char* data = malloc((size_t)st.st_size + 1);
  if (data == NULL || read(fd, data, (size_t)st.st_size) != st.st_size) return 1;
  data[st.st_size] = '\0';
  char* value = strstr(data, "Disable=");
  if (value == NULL) return 1;
  if (pwrite(fd, argv[2], 1, value + 8 - data) != 1 || fdatasync(fd) != 0) return 1;
  close(fd);
  free(data);
  return 0;
}
