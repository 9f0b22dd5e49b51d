#include "path_rules.h"

namespace {

// Index of the last byte in `bytes` that is not a second byte, or npos.
size_t LastDelimiter(std::string_view path, std::string_view bytes,
                     const LeadByteTable& lead) {
  for (size_t i = path.size(); i-- > 0;) {
    if (bytes.find(path[i]) != std::string_view::npos &&
        !lead.IsSecondByte(path, i))
      return i;
  }
  return std::string_view::npos;
}

}  // namespace

std::string ChangeExtension(std::string_view path, std::string_view extension,
                            const LeadByteTable& lead) {
  size_t i = LastDelimiter(path, ".\\:", lead);
  std::string result(i != std::string_view::npos && path[i] == '.'
                         ? path.substr(0, i)
                         : path);
  result += extension;
  return result;
}

std::string FolderOf(std::string_view path, const LeadByteTable& lead) {
  size_t i = LastDelimiter(path, "\\:", lead);
  if (i == std::string_view::npos) return std::string();
  size_t length = i + 1;  // up to and including the separator
  if (i > 0 && path[i] == '\\') {
    char before = path[i - 1];
    bool keep = (before == ':' || before == '\\') &&
                !lead.IsSecondByte(path, i - 1);
    if (!keep) --length;
  }
  return std::string(path.substr(0, length));
}

std::string DriveOf(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    size_t first = path.find('\\', 2);
    size_t second =
        first == std::string_view::npos ? first : path.find('\\', first + 1);
    if (second != std::string_view::npos)
      return std::string(path.substr(0, second));
    if (path.size() >= 3 && path.back() == '\\')
      return std::string(path.substr(0, path.size() - 1));
    return std::string(path);
  }
  return std::string();
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return !text.empty() && !prefix.empty() &&
         text.substr(0, prefix.size()) == prefix;
}

bool Contains(std::string_view text, std::string_view part) {
  return !text.empty() && !part.empty() &&
         text.find(part) != std::string_view::npos;
}
