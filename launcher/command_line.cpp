#include "command_line.h"

namespace {

const std::string kEmpty;

bool IsSeparator(unsigned char c) { return c >= 0x01 && c <= 0x20; }

// Reads one item from `pos`; leaves `pos` after it.
std::string ReadItem(std::string_view line, size_t& pos) {
  for (;;) {
    while (pos < line.size() && IsSeparator(line[pos])) ++pos;
    if (pos + 1 < line.size() && line[pos] == '"' && line[pos + 1] == '"')
      pos += 2;
    else
      break;
  }
  std::string item;
  while (pos < line.size() && static_cast<unsigned char>(line[pos]) > 0x20) {
    if (line[pos] == '"') {
      size_t close = line.find('"', pos + 1);
      size_t end = close == std::string_view::npos ? line.size() : close;
      item.append(line.substr(pos + 1, end - pos - 1));
      pos = close == std::string_view::npos ? end : close + 1;
    } else {
      item.push_back(line[pos++]);
    }
  }
  return item;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  // The text ends at its first NUL, as the system's string does.
  line = line.substr(0, line.find('\0'));
  std::vector<std::string> items;
  size_t pos = 0;
  items.push_back(ReadItem(line, pos));  // the program name, even if empty
  for (;;) {
    std::string item = ReadItem(line, pos);
    if (item.empty()) break;
    items.push_back(std::move(item));
  }
  return items;
}

ArgumentList::ArgumentList(std::string_view command_line)
    : items_(SplitCommandLine(command_line)) {}

const std::string& ArgumentList::At(int index) const {
  if (index < 0 || index >= static_cast<int>(items_.size())) return kEmpty;
  return items_[index];
}
