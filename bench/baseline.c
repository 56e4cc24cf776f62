/* The least a durable edit of the switch can do: read win.ini, replace the value after
 * "Disable=", write a new file beside it, flush it, rename it over the old one and flush
 * the directory. Nothing else: the yardstick for tavrel's own cost.
 *   baseline DIR VALUE */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  char path[4096], temp[4096];
  snprintf(path, sizeof path, "%s/win.ini", argv[1]);
  snprintf(temp, sizeof temp, "%s/.win.ini.new", argv[1]);
  int fd = open(path, O_RDONLY);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) return 1;
  char* data = malloc((size_t)st.st_size + 1);
  if (read(fd, data, (size_t)st.st_size) != st.st_size) return 1;
  close(fd);
  data[st.st_size] = '\0';
  char* value = strstr(data, "Disable=");
  if (value == NULL) return 1;
  value[8] = argv[2][0];
  fd = open(temp, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || write(fd, data, (size_t)st.st_size) != st.st_size || fsync(fd) != 0) return 1;
  close(fd);
  if (rename(temp, path) != 0) return 1;
  int dir = open(argv[1], O_RDONLY | O_DIRECTORY);
  fsync(dir);
  close(dir);
  free(data);
  return 0;
}
