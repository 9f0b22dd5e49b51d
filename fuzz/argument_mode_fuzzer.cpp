// Input: a flag byte (bit 0: IeSrcViewOnHtmlMode), a mask byte, then
// CmdLineOption, CacheFolder, the existing names (LF between them) and the
// whole command line, separated by NUL bytes. A name that is not listed
// exists when the mask has the bit of its rank among such names (first 8).
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "argument_mode.h"
#include "command_line.h"
#include "fuzz_check.h"
#include "launcher_settings.h"

namespace {

struct Existence {
  std::set<std::string> listed;
  uint8_t mask = 0;
  std::map<std::string, bool> answers;  // one answer per name: a fixed set

  bool operator()(const std::string& name) {
    auto it = answers.find(name);
    if (it != answers.end()) return it->second;
    bool yes = listed.count(name) > 0;
    if (!yes) {
      size_t rank = 0;
      for (const auto& [known, answer] : answers) rank += !listed.count(known);
      yes = rank < 8 && ((mask >> rank) & 1);
    }
    answers.emplace(name, yes);
    return yes;
  }
};

bool BeginsWith(const std::string& s, std::string_view p) {
  return !p.empty() && s.size() >= p.size() && s.compare(0, p.size(), p) == 0;
}

struct Expected {
  std::vector<std::string> starts;
  std::vector<std::string> names;  // accepted names, in order
};

// The argument-mode rules written out step by step.
Expected Reference(const ArgumentList& args, const LauncherSettings& s,
                   Existence& exists) {
  const int n = s.ArgCount;
  std::string options;
  for (int i = 1; i <= n; ++i)
    if (BeginsWith(args.At(i), "/")) options += "\"" + args.At(i) + "\" ";
  const std::string head = s.CmdLineOption + " " + options;

  Expected e;
  std::string pending;
  for (int i = 1; i <= n; ++i) {
    const std::string& a = args.At(i);
    if (BeginsWith(a, "/")) continue;
    pending += a;
    const std::string next = i < n ? args.At(i + 1) : std::string();
    const bool boundary = next.empty() || BeginsWith(next, "\\\\") ||
                          next.find(":\\") != std::string::npos ||
                          BeginsWith(next, "/");
    if (exists(pending) && boundary) {
      const bool html = s.IeSrcViewOnHtmlMode && !s.CacheFolder.empty() &&
                        BeginsWith(pending, s.CacheFolder);
      e.starts.push_back(head + (html ? "/html " : "") + "\"" + pending + "\"");
      e.names.push_back(pending);
      pending.clear();
    } else {
      pending += " ";
    }
  }
  if (e.names.empty())
    e.starts.push_back(pending.empty() ? head : head + "\"" + pending + "\"");
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t flags = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  std::string_view fields[4];
  for (int f = 0; f < 4; ++f) {
    size_t nul = f < 3 ? rest.find('\0') : std::string_view::npos;
    fields[f] = rest.substr(0, nul);
    if (nul == std::string_view::npos) break;
    rest.remove_prefix(nul + 1);
  }

  const ArgumentList arguments(fields[3]);
  LauncherSettings settings;
  settings.ArgCount = arguments.Count();
  settings.CmdLineOption = std::string(fields[0]);
  settings.IeSrcViewOnHtmlMode = flags & 1;
  settings.CacheFolder = std::string(fields[1]);
  settings.AppExePath = "C:\\Quillex\\Quillex.exe";

  Existence exists;
  exists.mask = data[1];
  std::string_view names = fields[2];
  while (!names.empty()) {
    size_t lf = names.find('\n');
    if (lf != 0) exists.listed.emplace(names.substr(0, lf));
    if (lf == std::string_view::npos) break;
    names.remove_prefix(lf + 1);
  }

  // The order of existence questions and starts, as the code makes them.
  struct Event {
    bool is_start;
    std::string text;
    bool answer;
  };
  std::vector<Event> events;
  std::vector<std::string> starts;
  PlanArgumentMode(
      arguments, settings,
      [&](const std::string& name) {
        bool yes = exists(name);
        events.push_back({false, name, yes});
        return yes;
      },
      [&](const std::string& parameters) {
        events.push_back({true, parameters, false});
        starts.push_back(parameters);
      });

  const Expected expected = Reference(arguments, settings, exists);

  FUZZ_CHECK(!starts.empty(), "no editor start");
  const size_t want_starts = expected.names.empty() ? 1 : expected.names.size();
  FUZZ_CHECK(starts.size() == want_starts, "%zu starts for %zu accepted names",
             starts.size(), expected.names.size());

  const std::string head = settings.CmdLineOption + " ";
  for (const std::string& s : starts) {
    FUZZ_CHECK(s.compare(0, head.size(), head) == 0,
               "start %s does not begin with CmdLineOption and a space",
               FuzzShow(s).c_str());
    for (int i = 1; i <= arguments.Count(); ++i)
      if (BeginsWith(arguments.At(i), "/"))
        FUZZ_CHECK(s.find("\"" + arguments.At(i) + "\" ", head.size()) !=
                       std::string::npos,
                   "option %s missing quoted in %s",
                   FuzzShow(arguments.At(i)).c_str(), FuzzShow(s).c_str());
  }

  // Each started name is quoted at the end, right after the options or
  // "/html ", and was asked about just before its start.
  for (size_t k = 0; k < expected.names.size() && k < starts.size(); ++k) {
    const std::string quoted = "\"" + expected.names[k] + "\"";
    const std::string& s = starts[k];
    FUZZ_CHECK(s.size() >= quoted.size() &&
                   s.compare(s.size() - quoted.size(), quoted.size(), quoted) == 0,
               "start %zu %s does not end with the quoted name %s", k,
               FuzzShow(s).c_str(), FuzzShow(expected.names[k]).c_str());
  }
  for (size_t e = 0; e < events.size(); ++e) {
    if (!events[e].is_start || expected.names.empty()) continue;
    FUZZ_CHECK(e > 0 && !events[e - 1].is_start && events[e - 1].answer,
               "start %s not right after an existence answer of yes",
               FuzzShow(events[e].text).c_str());
    const std::string quoted = "\"" + events[e - 1].text + "\"";
    FUZZ_CHECK(events[e].text.size() >= quoted.size() &&
                   events[e].text.compare(events[e].text.size() - quoted.size(),
                                          quoted.size(), quoted) == 0,
               "start %s is not for the name just found",
               FuzzShow(events[e].text).c_str());
  }
  for (const Event& ev : events)
    FUZZ_CHECK(ev.is_start || !ev.text.empty(), "existence asked for empty name");

  FUZZ_CHECK(starts == expected.starts, "starts differ from the rules (%zu vs %zu); first: %s vs %s",
             starts.size(), expected.starts.size(), FuzzShow(starts[0]).c_str(),
             FuzzShow(expected.starts[0]).c_str());
  return 0;
}
