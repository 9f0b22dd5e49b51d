#include "failure.h"

#include <cstdio>

// Half-width katakana and kanji below are code page 932 bytes.
const char kOutOfMemoryMessage[] =
    "\xD2\xD3\xD8\x82\xAA\x91\xAB\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
const char kFailureTitle[] = "\xB1\xCC\xDF\xD8\xB9\xB0\xBC\xAE\xDD \xB4\xD7\xB0";

void RaiseFailureAt(const void* address, const char* class_name,
                    std::string message, uint32_t error_code) {
  throw Failure{class_name, std::move(message), address, error_code};
}

__attribute__((noinline)) void RaiseFailure(const char* class_name,
                                            std::string message,
                                            uint32_t error_code) {
  RaiseFailureAt(__builtin_return_address(0), class_name, std::move(message),
                 error_code);
}

std::string InOutErrorMessage(uint32_t code) {
  switch (code) {
    case 2:
      return "\xCC\xA7\xB2\xD9\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC"
             "\x82\xB9\x82\xF1";
    case 3:
      return "\x95s\x90\xB3\x82\xC8\xCC\xA7\xB2\xD9\x96\xBC\x82\xC5\x82\xB7";
    case 4:
      return "\xB5\xB0\xCC\xDF\xDD\x82\xB5\x82\xBD\xCC\xA7\xB2\xD9\x82\xAA\x91"
             "\xBD\x82\xB7\x82\xAC\x82\xDC\x82\xB7";
    case 5:
      return "\xCC\xA7\xB2\xD9\x82\xD6\x82\xCC\xB1\xB8\xBE\xBD\x82\xAA\x8B\x91"
             "\x94\xDB\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82\xBD";
  }
  char text[32];
  snprintf(text, sizeof text, "I/O \xB4\xD7\xB0 (%d)", static_cast<int>(code));
  return text;
}

std::string OleErrorFallbackMessage(uint32_t code) {
  char text[32];
  snprintf(text, sizeof text, "OLE \xB4\xD7\xB0 %.8X", static_cast<unsigned>(code));
  return text;
}

std::string AssertionFailureMessage(std::string_view source_file, int line) {
  std::string text = "Assertion failure (";
  text += source_file;
  text += ", " + std::to_string(line) + " \x8Ds)";
  return text;
}

std::string TrimSystemMessage(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && (static_cast<unsigned char>(text[end - 1]) <= 0x20 ||
                     text[end - 1] == '.'))
    --end;
  return std::string(text.substr(0, end));
}

std::string FormatFailureText(std::string_view class_name,
                              std::string_view module_name, uint32_t offset,
                              std::string_view message,
                              const LeadByteTable& lead) {
  char address[9];
  snprintf(address, sizeof address, "%08X", static_cast<unsigned>(offset));
  std::string text(class_name);
  text += "\x82\xAA\xD3\xBC\xDE\xAD\xB0\xD9 ";  // "がﾓｼﾞｭｰﾙ "
  text += module_name;
  text += " \x82\xCC ";  // " の "
  text += address;
  text += " \x82\xC5\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81" "B\n";
  text += message;  // "で発生しました。" then LF, then the message
  if (!message.empty() && message.back() != '.') text += '.';
  if (text.size() > kFailureTextLimit) {
    size_t cut = kFailureTextLimit;
    // Never leave the first byte of a double-byte character alone at the end.
    if (cut > 0 && lead.lead[static_cast<unsigned char>(text[cut - 1])] &&
        !lead.IsSecondByte(text, cut - 1))
      --cut;
    text.resize(cut);
  }
  return text;
}
