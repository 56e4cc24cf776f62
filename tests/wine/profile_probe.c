/* Reads a profile file through the platform's own kernel32 functions, so our
 * portable profile code can be compared with it. Commands come one per line
 * from the file named by the first argument; every text field is hex-encoded
 * so that any byte (NUL, CR, quotes) can cross the command line.
 *   get <file> <section> <key> <size>  ->  <count> <value>
 *   dump <file>  ->  one "S <section>" line per section, then
 *                    "K <key> <count> <value>" per key, then "E"
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

enum { kBig = 1 << 20, kValueSize = 50 };

static size_t unhex(const char* hex, char* out) {
  size_t n = 0;
  for (; hex[0] && hex[1]; hex += 2) {
    unsigned v = 0;
    sscanf(hex, "%2x", &v);
    out[n++] = (char)v;
  }
  out[n] = '\0';
  return n;
}

static void put_hex(const char* data, size_t n) {
  putchar(' ');
  if (n == 0) putchar('-');
  for (size_t i = 0; i < n; ++i) printf("%02x", (unsigned char)data[i]);
}

static void get_value(const char* file, const char* section, const char* key, int size) {
  char* buffer = calloc(size + 1, 1);
  DWORD count = GetPrivateProfileStringA(section, key, "?default?", buffer, size, file);
  printf("%lu", (unsigned long)count);
  put_hex(buffer, count);
  putchar('\n');
  free(buffer);
}

static void dump(const char* file) {
  static char sections[kBig], keys[kBig];
  DWORD n = GetPrivateProfileSectionNamesA(sections, kBig, file);
  for (const char* s = sections; s < sections + n && *s; s += strlen(s) + 1) {
    printf("S");
    put_hex(s, strlen(s));
    putchar('\n');
    DWORD k = GetPrivateProfileStringA(s, NULL, "", keys, kBig, file);
    for (const char* key = keys; key < keys + k && *key; key += strlen(key) + 1) {
      printf("K");
      put_hex(key, strlen(key));
      putchar(' ');
      get_value(file, s, key, kValueSize);
    }
  }
  printf("E\n");
}

int main(int argc, char** argv) {
  static char line[kBig], a[kBig], b[kBig], c[kBig], d[kBig];
  FILE* in = argc > 1 ? fopen(argv[1], "rb") : NULL;
  if (!in) return 2;
  while (fgets(line, sizeof line, in)) {
    int size = 0;
    if (sscanf(line, "get %s %s %s %d", a, b, c, &size) == 4) {
      unhex(a, d);
      char file[MAX_PATH], section[4096], key[4096];
      strcpy(file, d);
      unhex(b, section);
      unhex(c, key);
      get_value(file, section, key, size);
    } else if (sscanf(line, "dump %s", a) == 1) {
      unhex(a, d);
      dump(d);
    }
    fflush(stdout);
  }
  fclose(in);
  return 0;
}
