// Input: one flag byte, then path, extension and needle separated by NUL
// bytes (missing fields are empty). Flag bit 0: code page 932 lead bytes;
// bit 1: instead, up to six lead-byte ranges from the 12 bytes after the
// flag byte, as the system reports them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "lead_bytes.h"
#include "path_rules.h"

namespace {

// Second bytes found by walking forward from the start, one character at a
// time; independent of the backward rule used by the code under test.
std::vector<bool> SecondBytes(std::string_view s, const bool* lead) {
  std::vector<bool> second(s.size(), false);
  for (size_t i = 0; i < s.size(); ++i) {
    if (lead[static_cast<unsigned char>(s[i])] && i + 1 < s.size()) {
      second[i + 1] = true;
      ++i;
    }
  }
  return second;
}

size_t LastOf(std::string_view s, std::string_view set,
              const std::vector<bool>& second) {
  for (size_t i = s.size(); i-- > 0;)
    if (!second[i] && set.find(s[i]) != std::string_view::npos) return i;
  return std::string_view::npos;
}

std::string RefChangeExtension(std::string_view p, std::string_view e,
                               const bool* lead) {
  std::vector<bool> second = SecondBytes(p, lead);
  size_t i = LastOf(p, ".\\:", second);
  std::string base(p);
  if (i != std::string_view::npos && p[i] == '.') base.resize(i);
  return base + std::string(e);
}

std::string RefFolderOf(std::string_view p, const bool* lead) {
  std::vector<bool> second = SecondBytes(p, lead);
  size_t found = LastOf(p, "\\:", second);
  size_t n = found == std::string_view::npos ? 0 : found + 1;  // 1-based I
  if (n > 1 && p[n - 1] == '\\') {
    bool keep = (p[n - 2] == ':' || p[n - 2] == '\\') && !second[n - 2];
    if (!keep) --n;
  }
  return std::string(p.substr(0, n));
}

std::string RefDriveOf(std::string_view p) {
  if (p.size() >= 2 && p[1] == ':') return std::string(p.substr(0, 2));
  if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
    std::vector<size_t> slashes;
    for (size_t i = 2; i < p.size(); ++i)
      if (p[i] == '\\') slashes.push_back(i);
    if (slashes.size() >= 2) return std::string(p.substr(0, slashes[1]));
    if (p.size() >= 3 && p.back() == '\\')
      return std::string(p.substr(0, p.size() - 1));
    return std::string(p);
  }
  return std::string();
}

bool IsPrefix(std::string_view prefix, std::string_view of) {
  return prefix.size() <= of.size() && of.compare(0, prefix.size(), prefix) == 0;
}

// First occurrence by brute force, 0-based; npos when absent.
size_t FirstOccurrence(std::string_view text, std::string_view needle) {
  if (needle.size() > text.size()) return std::string_view::npos;
  for (size_t i = 0; i + needle.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < needle.size() && text[i + k] == needle[k]) ++k;
    if (k == needle.size()) return i;
  }
  return std::string_view::npos;
}

void CheckWithTable(std::string_view path, std::string_view ext,
                    const LeadByteTable& table) {
  const std::string changed = ChangeExtension(path, ext, table);
  FUZZ_CHECK(changed == RefChangeExtension(path, ext, table.lead),
             "ChangeExtension(%s, %s) = %s", FuzzShow(path).c_str(),
             FuzzShow(ext).c_str(), FuzzShow(changed).c_str());
  FUZZ_CHECK(changed.size() >= ext.size() &&
                 changed.compare(changed.size() - ext.size(), ext.size(), ext) == 0,
             "ChangeExtension does not end with the extension");
  const std::string_view stem(changed.data(), changed.size() - ext.size());
  FUZZ_CHECK(IsPrefix(stem, path), "ChangeExtension keeps no prefix of the path");
  // Only a trailing extension is cut, at a dot.
  FUZZ_CHECK(stem.size() == path.size() || path[stem.size()] == '.',
             "ChangeExtension cut %s before a byte other than a dot",
             FuzzShow(path).c_str());

  const std::string folder = FolderOf(path, table);
  FUZZ_CHECK(IsPrefix(folder, path), "FolderOf(%s) = %s is no prefix",
             FuzzShow(path).c_str(), FuzzShow(folder).c_str());
  FUZZ_CHECK(folder == RefFolderOf(path, table.lead), "FolderOf(%s) = %s, expected %s",
             FuzzShow(path).c_str(), FuzzShow(folder).c_str(),
             FuzzShow(RefFolderOf(path, table.lead)).c_str());
  // Without lead bytes in the path, the table makes no difference.
  bool any_lead = false, table_used = false;
  for (unsigned char c : path) any_lead |= table.lead[c];
  for (bool b : table.lead) table_used |= b;
  if (table_used && !any_lead) {
    const LeadByteTable none;
    FUZZ_CHECK(FolderOf(path, none) == folder, "table changes FolderOf without lead bytes");
    FUZZ_CHECK(ChangeExtension(path, ext, none) == changed,
               "table changes ChangeExtension without lead bytes");
  }

  // The second-byte rule of the table agrees with a forward walk.
  const std::vector<bool> second = SecondBytes(path, table.lead);
  for (size_t i = 0; i < path.size(); ++i)
    FUZZ_CHECK(table.IsSecondByte(path, i) == second[i],
               "IsSecondByte(%s, %zu) = %d", FuzzShow(path).c_str(), i,
               !second[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);

  LeadByteTable table;
  if (flags & 2) {
    unsigned char ranges[12] = {};
    size_t n = rest.size() < 12 ? rest.size() : 12;
    for (size_t i = 0; i < n; ++i) ranges[i] = rest[i];
    rest.remove_prefix(n);
    table.SetRanges(ranges, 6);
    bool expected[256] = {};
    for (int r = 0; r < 6; ++r) {
      if (ranges[2 * r] == 0 && ranges[2 * r + 1] == 0) break;
      for (int b = 0; b < 256; ++b)
        if (b >= ranges[2 * r] && b <= ranges[2 * r + 1]) expected[b] = true;
    }
    for (int b = 0; b < 256; ++b)
      FUZZ_CHECK(table.lead[b] == expected[b], "SetRanges: byte 0x%02X lead=%d",
                 b, table.lead[b]);
  } else if (flags & 1) {
    const unsigned char cp932[12] = {0x81, 0x9F, 0xE0, 0xFC};
    table.SetRanges(cp932, 6);
  }

  std::string_view fields[3];
  for (int f = 0; f < 3; ++f) {
    size_t nul = rest.find('\0');
    fields[f] = rest.substr(0, nul);
    if (nul == std::string_view::npos) break;
    rest.remove_prefix(nul + 1);
  }
  const std::string_view path = fields[0], ext = fields[1], needle = fields[2];

  CheckWithTable(path, ext, table);
  if (flags & 3) CheckWithTable(path, ext, LeadByteTable());

  const std::string drive = DriveOf(path);
  FUZZ_CHECK(IsPrefix(drive, path), "DriveOf(%s) = %s is no prefix",
             FuzzShow(path).c_str(), FuzzShow(drive).c_str());
  FUZZ_CHECK(drive == RefDriveOf(path), "DriveOf(%s) = %s, expected %s",
             FuzzShow(path).c_str(), FuzzShow(drive).c_str(),
             FuzzShow(RefDriveOf(path)).c_str());

  // Byte tests, with every pair of the three fields as text and needle.
  const std::string_view texts[3] = {path, ext, needle};
  for (const std::string_view& t : texts) {
    FUZZ_CHECK(StartsWith(t, t) == !t.empty(), "StartsWith(t, t) for %s",
               FuzzShow(t).c_str());
    FUZZ_CHECK(Contains(t, t) == !t.empty(), "Contains(t, t) for %s",
               FuzzShow(t).c_str());
    for (const std::string_view& n : texts) {
      const bool both = !t.empty() && !n.empty();
      const size_t at = FirstOccurrence(t, n);
      const bool starts = StartsWith(t, n), contains = Contains(t, n);
      FUZZ_CHECK(contains == (both && t.find(n) != std::string_view::npos),
                 "Contains(%s, %s) = %d", FuzzShow(t).c_str(),
                 FuzzShow(n).c_str(), contains);
      FUZZ_CHECK(contains == (both && at != std::string_view::npos),
                 "Contains disagrees with a byte search");
      FUZZ_CHECK(starts == (both && at == 0), "StartsWith(%s, %s) = %d",
                 FuzzShow(t).c_str(), FuzzShow(n).c_str(), starts);
      FUZZ_CHECK(!starts || contains, "StartsWith without Contains");
    }
  }
  return 0;
}
