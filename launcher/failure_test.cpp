#include "failure.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using std::string;

LeadByteTable Cp932() {
  const unsigned char ranges[12] = {0x81, 0x9F, 0xE0, 0xFC};
  LeadByteTable table;
  table.SetRanges(ranges, 6);
  return table;
}

// The text before the message: class, "がﾓｼﾞｭｰﾙ ", module, " の ", offset,
// " で発生しました。" and LF, in code page 932.
string Header(const string& class_name, const string& module,
              const string& offset) {
  return class_name + "\x82\xAA\xD3\xBC\xDE\xAD\xB0\xD9\x20" + module +
         "\x20\x82\xCC\x20" + offset +
         "\x20\x82\xC5\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42"
         "\x0A";
}

TEST(FormatFailureText, Bytes) {
  EXPECT_EQ(FormatFailureText("EInOutError", "launcher.exe", 0x1A2B, "msg",
                              Cp932()),
            Header("EInOutError", "launcher.exe", "00001A2B") + "msg.");
  EXPECT_EQ(FormatFailureText("EOleSysError", "shell32.dll", 0xDEADBEEF, "m.",
                              Cp932()),
            Header("EOleSysError", "shell32.dll", "DEADBEEF") + "m.");
}

TEST(FormatFailureText, DotRule) {
  const struct {
    string message;
    string tail;
  } cases[] = {
      {"", ""},
      {"abc", "abc."},
      {"abc.", "abc."},
      {"a.b", "a.b."},
      {"...", "..."},
      // A double-byte message gets the ASCII dot too (ﾒﾓﾘが足りません).
      {"\xD2\xD3\xD8\x82\xAA\x91\xAB\x82\xE8\x82\xDC\x82\xB9\x82\xF1",
       "\xD2\xD3\xD8\x82\xAA\x91\xAB\x82\xE8\x82\xDC\x82\xB9\x82\xF1."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(FormatFailureText("EOutOfMemory", "launcher.exe", 0, c.message,
                                Cp932()),
              Header("EOutOfMemory", "launcher.exe", "00000000") + c.tail);
  }
}

TEST(FormatFailureText, CutAtLimitForAscii) {
  const string header = Header("EInOutError", "launcher.exe", "00000010");
  const struct {
    size_t message_length;
    size_t text_length;
  } cases[] = {
      {1023 - header.size() - 1, 1023},  // message and dot fit exactly
      {1023 - header.size(), 1023},      // the dot is cut off
      {2000, 1023},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message_length);
    const string message(c.message_length, 'm');
    const string full = header + message + ".";
    const string text =
        FormatFailureText("EInOutError", "launcher.exe", 0x10, message, Cp932());
    ASSERT_EQ(text.size(), c.text_length);
    EXPECT_EQ(text, full.substr(0, c.text_length));
  }
}

TEST(FormatFailureText, CutNeverSplitsADoubleByteCharacter) {
  const LeadByteTable cp932 = Cp932();
  const string header = Header("EInOutError", "launcher.exe", "00000010");
  const string pad(1022 - header.size(), 'm');
  const struct {
    const char* name;
    string message;
    size_t text_length;
  } cases[] = {
      // あ (82 A0) would have its lead byte as byte 1023.
      {"straddles the cut", pad + "\x82\xA0" "tail", 1022},
      // 亜 (88 9F) ends exactly at byte 1023; its second byte is lead-valued.
      {"ends at the cut", pad.substr(1) + "\x88\x9F" "tail", 1023},
      // A run of lead-valued bytes (88 88 is one character): whether byte
      // 1023 opens a character depends on the parity of the run.
      {"run of lead-valued bytes, odd", pad + string(20, '\x88'), 1022},
      {"run of lead-valued bytes, even", pad.substr(1) + string(20, '\x88'),
       1023},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const string full = header + c.message + ".";
    const string text =
        FormatFailureText("EInOutError", "launcher.exe", 0x10, c.message, cp932);
    ASSERT_EQ(text.size(), c.text_length);
    EXPECT_EQ(text, full.substr(0, c.text_length));
  }
  // Without double-byte characters the cut is plain.
  const string text = FormatFailureText("EInOutError", "launcher.exe", 0x10,
                                        pad + "\x82\xA0", LeadByteTable());
  EXPECT_EQ(text.size(), 1023u);
}

TEST(FailureMessages, OleFallbackAndAssertion) {
  EXPECT_EQ(OleErrorFallbackMessage(0x80004005), "OLE \xB4\xD7\xB0 80004005");
  EXPECT_EQ(OleErrorFallbackMessage(0x1F), "OLE \xB4\xD7\xB0 0000001F");
  EXPECT_EQ(AssertionFailureMessage("launcher\\run_launcher.cpp", 121),
            "Assertion failure (launcher\\run_launcher.cpp, 121 \x8D\x73)");
}

TEST(FailureMessages, TrimSystemMessage) {
  const struct {
    string text;
    string trimmed;
  } cases[] = {
      {"Access is denied.\r\n", "Access is denied"},
      {"Catastrophic failure \r\n", "Catastrophic failure"},
      {string("Bad.\r\n\0\0", 8), "Bad"},
      {"No trailing", "No trailing"},
      {"\r\n", ""},
      {"", ""},
      {"a.b", "a.b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TrimSystemMessage(c.text), c.trimmed);
  }
}

TEST(FailureMessages, Title) {
  EXPECT_STREQ(kFailureTitle,
               "\xB1\xCC\xDF\xD8\xB9\xB0\xBC\xAE\xDD\x20\xB4\xD7\xB0");
  EXPECT_STREQ(kOutOfMemoryMessage,
               "\xD2\xD3\xD8\x82\xAA\x91\xAB\x82\xE8\x82\xDC\x82\xB9\x82\xF1");
}

}  // namespace
