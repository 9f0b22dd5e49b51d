#include "yes_no.h"

#include <string>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool ParseInt32(std::string_view text, int32_t* value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && text[i] == '$') {
    ++i;
    if (i == text.size()) return false;
    uint64_t n = 0;
    for (; i < text.size(); ++i) {
      int d = HexDigit(text[i]);
      if (d < 0) return false;
      n = n * 16 + d;
      if (n > 0xFFFFFFFFu) return false;
    }
    *value = static_cast<int32_t>(static_cast<uint32_t>(n));
    return true;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  int64_t n = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    n = n * 10 + (text[i] - '0');
    if (n > 2147483648LL) return false;
  }
  if (negative) n = -n;
  if (n > 2147483647LL) return false;
  *value = static_cast<int32_t>(n);
  return true;
}

bool YesNoFromText(std::string_view text) {
  std::string v(text);
  if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X'))
    v.replace(0, 2, "$");
  int32_t n;
  if (!ParseInt32(v, &n)) n = 1;
  return n != 0;
}
