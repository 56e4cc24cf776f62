// Reads profile files through the platform's own kernel32 functions, so that our portable
// profile code can be compared with it. Commands come one a line from the file named by
// the first argument, every text field hex-encoded so that any byte can cross:
//   get <file> <section> <key> <size>  ->  "<count> <value>", then the whole file:
//   "S <section>" per section, "K <key> <count> <value>" per key in it, then "E".
#include <stdio.h>
#include <string.h>
#include <windows.h>

enum { kBig = 1 << 20 };

static char* unhex(const char* hex, char* out) {
  char* end = out;
  unsigned v = 0;
  for (; hex[0] && hex[1] && sscanf(hex, "%2x", &v) == 1; hex += 2) *end++ = (char)v;
  *end = '\0';
  return out;
}

static void put_hex(const char* before, const char* data, size_t n, const char* after) {
  printf("%s%s", before, n == 0 ? "-" : "");
  for (size_t i = 0; i < n; ++i) printf("%02x", (unsigned char)data[i]);
  printf("%s", after);
}

static void get(const char* file, const char* section, const char* key, int size) {
  static char value[kBig];
  DWORD count = GetPrivateProfileStringA(section, key, "?default?", value, size, file);
  printf("%lu", (unsigned long)count);
  put_hex(" ", value, count, "\n");
}

static void dump(const char* file) {
  static char sections[kBig], keys[kBig];
  DWORD n = GetPrivateProfileSectionNamesA(sections, kBig, file);
  for (const char* s = sections; s < sections + n && *s; s += strlen(s) + 1) {
    put_hex("S ", s, strlen(s), "\n");
    DWORD k = GetPrivateProfileStringA(s, NULL, "", keys, kBig, file);
    for (const char* key = keys; key < keys + k && *key; key += strlen(key) + 1) {
      put_hex("K ", key, strlen(key), " ");
      get(file, s, key, 50);
    }
  }
  printf("E\n");
}

int main(int argc, char** argv) {
  static char line[kBig], a[kBig], b[kBig], c[kBig], file[kBig], section[kBig], key[kBig];
  int size = 0;
  FILE* in = argc > 1 ? fopen(argv[1], "rb") : NULL;
  if (!in) return 2;
  while (fgets(line, sizeof line, in)) {
    if (sscanf(line, "get %s %s %s %d", a, b, c, &size) != 4) continue;
    get(unhex(a, file), unhex(b, section), unhex(c, key), size);
    dump(file);
    fflush(stdout);
  }
  fclose(in);
  return 0;
}
