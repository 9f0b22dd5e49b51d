#ifndef FUZZ_FUZZ_CHECK_H_
#define FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// Printable form of a byte string for failure messages.
inline std::string FuzzShow(std::string_view s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c >= 0x21 && c <= 0x7E && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out + "\"";
}

// Aborts so that libFuzzer keeps the input as a crash.
#define FUZZ_CHECK(cond, ...)                                           \
  do {                                                                  \
    if (!(cond)) {                                                      \
      fprintf(stderr, "\nFUZZ_CHECK failed: %s (%s:%d)\n", #cond,       \
              __FILE__, __LINE__);                                      \
      fprintf(stderr, "  " __VA_ARGS__);                                \
      fprintf(stderr, "\n");                                            \
      abort();                                                          \
    }                                                                   \
  } while (0)

#endif  // FUZZ_FUZZ_CHECK_H_
