#ifndef LAUNCHER_COMMAND_LINE_H_
#define LAUNCHER_COMMAND_LINE_H_

#include <string>
#include <string_view>
#include <vector>

// Cuts a command line into items: bytes 0x01-0x20 separate, a quote opens a
// run taken as it stands up to the next quote, quotes are never kept and
// there is no escape. Item 0 is the program name as the caller wrote it.
// Reading stops at the first item that comes out empty, which only happens
// at the end of the line; that item is not included.
std::vector<std::string> SplitCommandLine(std::string_view line);

// The launcher's arguments (items after the program name), read once.
class ArgumentList {
 public:
  explicit ArgumentList(std::string_view command_line);
  int Count() const { return static_cast<int>(items_.size()) - 1; }
  // Empty text for an index above Count(); index 0 is the program name as
  // written on the command line.
  const std::string& At(int index) const;

 private:
  std::vector<std::string> items_;
};

#endif  // LAUNCHER_COMMAND_LINE_H_
