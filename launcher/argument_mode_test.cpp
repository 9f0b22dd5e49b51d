#include "argument_mode.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

struct ModeCase {
  const char* name;
  const char* cmd_line_option;
  bool html_mode;
  const char* cache_folder;
  const char* arguments;  // the command line after the program name
  std::set<std::string> existing;
  Strings starts;  // parameters of each start, in order
};

// Runs argument mode and returns what each start was given.
Strings Plan(const ModeCase& c) {
  ArgumentList arguments(std::string("launcher.exe ") + c.arguments);
  LauncherSettings settings;
  settings.ArgCount = arguments.Count();
  settings.AppExePath = "C:\\Editor\\Quillex.exe";
  settings.CmdLineOption = c.cmd_line_option;
  settings.IeSrcViewOnHtmlMode = c.html_mode;
  settings.CacheFolder = c.cache_folder;
  Strings starts;
  PlanArgumentMode(
      arguments, settings,
      [&](const std::string& name) { return c.existing.count(name) > 0; },
      [&](const std::string& parameters) { starts.push_back(parameters); });
  return starts;
}

void RunCases(const ModeCase* begin, const ModeCase* end) {
  for (const ModeCase* c = begin; c != end; ++c) {
    SCOPED_TRACE(c->name);
    EXPECT_EQ(Plan(*c), c->starts);
  }
}

// No cache folder in effect unless a case says so.
const char kOtherCache[] = "C:\\Temporary Internet Files";

TEST(PlanArgumentMode, WorkedExamples) {
  const ModeCase cases[] = {
      {"1 name cut at its spaces", "", true, kOtherCache,
       "C:\\My Files\\Report 2024.txt",
       {"C:\\My Files\\Report 2024.txt"},
       {" \"C:\\My Files\\Report 2024.txt\""}},
      {"2 two files, option before", "/a", true, kOtherCache,
       "/b C:\\a.txt \"D:\\Notes\\b c.txt\"",
       {"C:\\a.txt", "D:\\Notes\\b c.txt"},
       {"/a \"/b\" \"C:\\a.txt\"", "/a \"/b\" \"D:\\Notes\\b c.txt\""}},
      {"3 cached page", "/a", true, "C:\\Web Cache",
       "/b C:\\Web Cache\\page[1].htm",
       {"C:\\Web Cache\\page[1].htm"},
       {"/a \"/b\" /html \"C:\\Web Cache\\page[1].htm\""}},
      {"4 nothing found", "/a", true, kOtherCache, "/b new file.txt", {},
       {"/a \"/b\" \"new file.txt \""}},
      {"5 only an option", "", true, kOtherCache, "/b", {}, {" \"/b\" "}},
      {"6 missing name swallows the next", "", true, kOtherCache,
       "C:\\a.txt C:\\gone.txt C:\\b.txt",
       {"C:\\a.txt", "C:\\b.txt"},
       {" \"C:\\a.txt\""}},
  };
  RunCases(std::begin(cases), std::end(cases));
}

TEST(PlanArgumentMode, EdgeCases) {
  const ModeCase cases[] = {
      {"options between pieces don't break the name", "", true, kOtherCache,
       "C:\\My /x Files.txt /y",
       {"C:\\My Files.txt"},
       {" \"/x\" \"/y\" \"C:\\My Files.txt\""}},
      {"option directly after an existing name ends it", "", true, kOtherCache,
       "C:\\a /x b.txt",
       {"C:\\a", "C:\\a b.txt"},
       {" \"/x\" \"C:\\a\""}},
      {"joining goes past an existing name", "", true, kOtherCache,
       "C:\\a b.txt",
       {"C:\\a", "C:\\a b.txt"},
       {" \"C:\\a b.txt\""}},
      {"drive path ends an existing name", "", true, kOtherCache,
       "C:\\a D:\\b.txt",
       {"C:\\a", "D:\\b.txt"},
       {" \"C:\\a\"", " \"D:\\b.txt\""}},
      {"network path ends an existing name", "", true, kOtherCache,
       "C:\\a.txt \\\\srv\\share\\b.txt",
       {"C:\\a.txt", "\\\\srv\\share\\b.txt"},
       {" \"C:\\a.txt\"", " \"\\\\srv\\share\\b.txt\""}},
      {"a single backslash is no boundary", "", true, kOtherCache,
       "C:\\a.txt \\b.txt",
       {"C:\\a.txt", "\\b.txt"},
       {" \"C:\\a.txt \\b.txt \""}},
      {"two relative names are not told apart", "", true, kOtherCache,
       "a.txt b.txt",
       {"a.txt", "b.txt"},
       {" \"a.txt b.txt \""}},
      {"two spaces in a name are never found", "", true, kOtherCache,
       "C:\\a  b.txt",
       {"C:\\a  b.txt"},
       {" \"C:\\a b.txt \""}},
      {"every option reaches every editor", "-o", true, kOtherCache,
       "/a C:\\x.txt /b D:\\y.txt /c",
       {"C:\\x.txt", "D:\\y.txt"},
       {"-o \"/a\" \"/b\" \"/c\" \"C:\\x.txt\"",
        "-o \"/a\" \"/b\" \"/c\" \"D:\\y.txt\""}},
      {"quoted option is quoted again", "", true, kOtherCache,
       "\"/b x\" C:\\x.txt",
       {"C:\\x.txt"},
       {" \"/b x\" \"C:\\x.txt\""}},
      {"cache prefix is byte-exact and case-sensitive", "", true,
       "C:\\Web Cache", "C:\\Web Cache2\\x.htm c:\\web cache\\x.htm",
       {"C:\\Web Cache2\\x.htm", "c:\\web cache\\x.htm"},
       {" /html \"C:\\Web Cache2\\x.htm\"", " \"c:\\web cache\\x.htm\""}},
      {"html mode off", "", false, "C:\\Web Cache",
       "C:\\Web Cache\\x.htm",
       {"C:\\Web Cache\\x.htm"},
       {" \"C:\\Web Cache\\x.htm\""}},
      {"no cache folder", "", true, "", "C:\\Web Cache\\x.htm",
       {"C:\\Web Cache\\x.htm"},
       {" \"C:\\Web Cache\\x.htm\""}},
      {"fallback never gets /html", "", true, "C:\\Web Cache",
       "C:\\Web Cache\\gone.htm", {}, {" \"C:\\Web Cache\\gone.htm \""}},
      // C:\資料 2024\表.txt then D:\表; 表 ends in 0x5C.
      {"double-byte names pass unchanged", "", true, kOtherCache,
       "C:\x5C\x8E\x91\x97\xBF 2024\x5C\x95\x5C.txt D:\x5C\x95\x5C",
       {"C:\x5C\x8E\x91\x97\xBF 2024\x5C\x95\x5C.txt", "D:\x5C\x95\x5C"},
       {" \"C:\x5C\x8E\x91\x97\xBF 2024\x5C\x95\x5C.txt\"",
        " \"D:\x5C\x95\x5C\""}},
      {"text after the last started file is dropped", "", true, kOtherCache,
       "C:\\a.txt D:\\left over",
       {"C:\\a.txt"},
       {" \"C:\\a.txt\""}},
  };
  RunCases(std::begin(cases), std::end(cases));
}

TEST(PlanArgumentMode, ExistenceTestsAndStartsInterleave) {
  ArgumentList arguments("launcher.exe C:\\a.txt C:\\b c.txt /o d");
  LauncherSettings settings;
  settings.ArgCount = arguments.Count();
  settings.CacheFolder = kOtherCache;
  const std::set<std::string> existing = {"C:\\a.txt", "C:\\b", "C:\\b c.txt"};
  Strings events;
  PlanArgumentMode(
      arguments, settings,
      [&](const std::string& name) {
        events.push_back("exists " + name);
        return existing.count(name) > 0;
      },
      [&](const std::string& parameters) {
        events.push_back("start " + parameters);
      });
  const Strings expected = {
      "exists C:\\a.txt",
      "start  \"/o\" \"C:\\a.txt\"",
      // C:\b exists but c.txt follows, so joining goes on.
      "exists C:\\b",
      "exists C:\\b c.txt",
      "start  \"/o\" \"C:\\b c.txt\"",
      "exists d",
  };
  EXPECT_EQ(events, expected);
}

TEST(PlanArgumentMode, FallbackStartComesAfterEveryTest) {
  ArgumentList arguments("launcher.exe x y");
  LauncherSettings settings;
  settings.ArgCount = arguments.Count();
  Strings events;
  PlanArgumentMode(
      arguments, settings,
      [&](const std::string& name) {
        events.push_back("exists " + name);
        return false;
      },
      [&](const std::string& parameters) {
        events.push_back("start " + parameters);
      });
  EXPECT_EQ(events, (Strings{"exists x", "exists x y", "start  \"x y \""}));
}

}  // namespace
