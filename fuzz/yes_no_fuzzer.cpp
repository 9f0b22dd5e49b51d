// The input is the stored text of a yes/no setting.
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "yes_no.h"

namespace {

bool IsDec(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) {
  return IsDec(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The bytes are checked here; the C library only does the arithmetic.
bool RefParseInt32(std::string_view text, int32_t* value) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) return false;
  std::string rest(text.substr(i));
  errno = 0;
  if (rest[0] == '$') {
    std::string digits = rest.substr(1);
    if (digits.empty()) return false;
    for (char c : digits)
      if (!IsHex(c)) return false;
    char* end = nullptr;
    unsigned long long n = strtoull(digits.c_str(), &end, 16);
    if (errno == ERANGE || *end != '\0' || n > 0xFFFFFFFFull) return false;
    *value = static_cast<int32_t>(static_cast<uint32_t>(n));
    return true;
  }
  size_t d = (rest[0] == '+' || rest[0] == '-') ? 1 : 0;
  if (d == rest.size()) return false;
  for (size_t k = d; k < rest.size(); ++k)
    if (!IsDec(rest[k])) return false;
  char* end = nullptr;
  long long n = strtoll(rest.c_str(), &end, 10);
  if (errno == ERANGE || *end != '\0' || n < INT32_MIN || n > INT32_MAX)
    return false;
  *value = static_cast<int32_t>(n);
  return true;
}

bool RefYesNo(std::string_view text) {
  std::string v(text);
  if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X'))
    v = "$" + v.substr(2);
  int32_t n = 0;
  if (!RefParseInt32(v, &n)) n = 1;
  return n != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  int32_t got = 0x5A5A5A5A, want = 0;
  const bool ok = ParseInt32(text, &got);
  const bool want_ok = RefParseInt32(text, &want);
  FUZZ_CHECK(ok == want_ok, "ParseInt32(%s) accepted=%d, expected %d",
             FuzzShow(text).c_str(), ok, want_ok);
  if (ok)
    FUZZ_CHECK(got == want, "ParseInt32(%s) = %d, expected %d",
               FuzzShow(text).c_str(), got, want);

  const bool yes = YesNoFromText(text);
  FUZZ_CHECK(yes == RefYesNo(text), "YesNoFromText(%s) = %d",
             FuzzShow(text).c_str(), yes);
  // Anything that is no number leaves the switch on.
  if (!want_ok && !(text.size() > 2 && text[0] == '0' &&
                    (text[1] == 'x' || text[1] == 'X')))
    FUZZ_CHECK(yes, "a text that is no number switched off: %s",
               FuzzShow(text).c_str());
  return 0;
}
