// The input is a whole command line, program name included.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "fuzz_check.h"

namespace {

bool IsSeparator(unsigned char c) { return c >= 0x01 && c <= 0x20; }

// Written from the splitting rules, byte by byte, as a state machine, so it
// shares no structure with the code under test.
std::vector<std::string> ReferenceSplit(std::string_view whole) {
  std::string_view line = whole.substr(0, whole.find('\0'));
  std::vector<std::string> items;
  size_t pos = 0;
  for (;;) {
    // Separators and leading pairs of empty quotes.
    for (;;) {
      while (pos < line.size() && IsSeparator(line[pos])) ++pos;
      if (pos + 1 < line.size() && line[pos] == '"' && line[pos + 1] == '"') {
        pos += 2;
        continue;
      }
      break;
    }
    std::string item;
    bool quoted = false;
    while (pos < line.size()) {
      unsigned char c = line[pos];
      if (quoted) {
        ++pos;
        if (c == '"') quoted = false;
        else item += static_cast<char>(c);
      } else if (c <= 0x20) {
        break;
      } else {
        ++pos;
        if (c == '"') quoted = true;
        else item += static_cast<char>(c);
      }
    }
    if (item.empty() && !items.empty()) break;
    items.push_back(item);
  }
  return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> items = SplitCommandLine(input);
  const std::string_view line = input.substr(0, input.find('\0'));

  FUZZ_CHECK(!items.empty(), "no program name item for %s",
             FuzzShow(input).c_str());

  for (size_t i = 0; i < items.size(); ++i) {
    FUZZ_CHECK(items[i].find('"') == std::string::npos,
               "item %zu keeps a quote: %s", i, FuzzShow(items[i]).c_str());
    FUZZ_CHECK(items[i].find('\0') == std::string::npos,
               "item %zu holds a NUL", i);
    FUZZ_CHECK(i == 0 || !items[i].empty(), "item %zu is empty", i);
  }

  // Without quotes, items are the runs of non-separators, in order.
  if (line.find('"') == std::string_view::npos) {
    std::string joined, stripped;
    for (size_t i = 0; i < items.size(); ++i) {
      for (unsigned char c : items[i])
        FUZZ_CHECK(!IsSeparator(c), "item %zu holds separator 0x%02X", i, c);
      joined += items[i];
    }
    for (unsigned char c : line)
      if (!IsSeparator(c)) stripped += static_cast<char>(c);
    FUZZ_CHECK(joined == stripped, "items %s != line without separators %s",
               FuzzShow(joined).c_str(), FuzzShow(stripped).c_str());
  }

  const std::vector<std::string> expected = ReferenceSplit(input);
  FUZZ_CHECK(items == expected, "split differs from reference for %s (%zu vs %zu items)",
             FuzzShow(input).c_str(), items.size(), expected.size());

  // Quoting every argument again and splitting gives the same arguments.
  if (items.size() > 1) {
    std::string again = "x";
    for (size_t i = 1; i < items.size(); ++i) again += " \"" + items[i] + "\"";
    const std::vector<std::string> round = SplitCommandLine(again);
    FUZZ_CHECK(round.size() == items.size(), "requoted line gives %zu items, not %zu",
               round.size(), items.size());
    for (size_t i = 1; i < items.size(); ++i)
      FUZZ_CHECK(round[i] == items[i], "requoted item %zu changed", i);
  }

  const ArgumentList arguments(input);
  FUZZ_CHECK(arguments.Count() == static_cast<int>(items.size()) - 1,
             "Count %d for %zu items", arguments.Count(), items.size());
  for (int i = 0; i <= arguments.Count(); ++i)
    FUZZ_CHECK(arguments.At(i) == items[i], "At(%d) differs from the split", i);
  for (int k = 1; k <= 3; ++k)
    FUZZ_CHECK(arguments.At(arguments.Count() + k).empty(),
               "At(Count + %d) is not empty", k);
  FUZZ_CHECK(arguments.At(-1).empty(), "At(-1) is not empty");
  return 0;
}
