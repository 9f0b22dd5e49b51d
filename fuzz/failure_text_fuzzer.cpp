// Input: a flag byte (bit 0: code page 932 lead bytes), a repeat byte r
// (the message field is taken r + 1 times, so long texts are cheap to
// reach), 4 bytes of offset (little endian), then class name, module name
// and message separated by NUL bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "failure.h"
#include "fuzz_check.h"
#include "lead_bytes.h"

namespace {

std::string Hex8(uint32_t v) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s(8, '0');
  for (int i = 7; i >= 0; --i, v >>= 4) s[i] = kDigits[v & 15];
  return s;
}

// "%sがﾓｼﾞｭｰﾙ %s の %p で発生しました。\n%s%s" in code page 932, uncut;
// the last %s is "." for a message that is not empty and lacks one.
std::string Uncut(std::string_view cls, std::string_view module, uint32_t offset,
                  std::string_view message) {
  std::string s(cls);
  s += "\x82\xAA\xD3\xBC\xDE\xAD\xB0\xD9 ";
  s += module;
  s += " \x82\xCC ";
  s += Hex8(offset);
  s += " \x82\xC5\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42\n";
  s += message;
  if (!message.empty() && message.back() != '.') s += ".";
  return s;
}

// True when the last byte of `s` opens a character that is cut off,
// found by walking the characters from the start.
bool EndsInLoneLeadByte(std::string_view s, const bool* lead) {
  size_t i = 0;
  while (i < s.size()) {
    if (lead[static_cast<unsigned char>(s[i])]) {
      if (i + 1 == s.size()) return true;
      i += 2;
    } else {
      ++i;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  const uint8_t flags = data[0];
  const size_t repeat = size_t{data[1]} + 1;
  uint32_t offset;
  memcpy(&offset, data + 2, 4);
  std::string_view rest(reinterpret_cast<const char*>(data) + 6, size - 6);
  std::string_view fields[3];
  for (int f = 0; f < 3; ++f) {
    size_t nul = f < 2 ? rest.find('\0') : std::string_view::npos;
    fields[f] = rest.substr(0, nul);
    if (nul == std::string_view::npos) break;
    rest.remove_prefix(nul + 1);
  }
  std::string message;
  for (size_t k = 0; k < repeat; ++k) message += fields[2];

  LeadByteTable table;
  if (flags & 1) {
    const unsigned char cp932[12] = {0x81, 0x9F, 0xE0, 0xFC};
    table.SetRanges(cp932, 6);
  }

  const std::string text = FormatFailureText(fields[0], fields[1], offset, message, table);
  const std::string full = Uncut(fields[0], fields[1], offset, message);
  FUZZ_CHECK(text.size() <= 1023, "text of %zu bytes", text.size());
  FUZZ_CHECK(full.compare(0, text.size(), text) == 0 && text.size() <= full.size(),
             "text is no prefix of the uncut text");
  FUZZ_CHECK(!EndsInLoneLeadByte(text, table.lead),
             "the cut leaves a lone lead byte at the end");
  if (full.size() <= 1023) {
    FUZZ_CHECK(text == full, "a text that fits was changed (%zu vs %zu bytes)",
               text.size(), full.size());
  } else {
    // Cut only as far as needed: one byte less when byte 1023 would be a
    // lone lead byte.
    const bool split = EndsInLoneLeadByte(std::string_view(full).substr(0, 1023),
                                          table.lead);
    FUZZ_CHECK(text.size() == (split ? 1022u : 1023u),
               "cut to %zu bytes, lone lead at 1023: %d", text.size(), split);
  }

  // The other failure texts built from outside values.
  const std::string trimmed = TrimSystemMessage(message);
  FUZZ_CHECK(message.compare(0, trimmed.size(), trimmed) == 0,
             "trimmed text is no prefix");
  FUZZ_CHECK(trimmed.empty() ||
                 (static_cast<unsigned char>(trimmed.back()) > 0x20 && trimmed.back() != '.'),
             "trimmed text still ends with 0x%02X",
             static_cast<unsigned char>(trimmed.back()));
  for (size_t i = trimmed.size(); i < message.size(); ++i)
    FUZZ_CHECK(static_cast<unsigned char>(message[i]) <= 0x20 || message[i] == '.',
               "trimmed byte 0x%02X at %zu", static_cast<unsigned char>(message[i]), i);

  FUZZ_CHECK(OleErrorFallbackMessage(offset) == "OLE \xB4\xD7\xB0 " + Hex8(offset),
             "OLE fallback message for %08X", offset);
  if (offset < 2 || offset > 5)
    FUZZ_CHECK(InOutErrorMessage(offset) ==
                   "I/O \xB4\xD7\xB0 (" + std::to_string(static_cast<int32_t>(offset)) + ")",
               "I/O message for %u", offset);
  const int line = static_cast<int32_t>(offset);
  FUZZ_CHECK(AssertionFailureMessage(fields[1], line) ==
                 "Assertion failure (" + std::string(fields[1]) + ", " +
                     std::to_string(line) + " \x8D\x73)",
             "assertion message");
  return 0;
}
