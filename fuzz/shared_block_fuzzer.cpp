// Input: a flag byte (bits 0-2: extra block bytes beyond the text length
// + 1; bit 3: an empty piece after each piece; bit 4: with no data
// pointer), 4 bytes of window handle (little endian), then the pieces,
// each a length byte and that many bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "shared_block.h"

namespace {

std::string Decimal(uint32_t v) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + v % 10));
    v /= 10;
  } while (v != 0);
  return digits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const uint8_t flags = data[0];
  uint32_t handle;
  memcpy(&handle, data + 1, 4);

  const std::string name = SharedBlockName(handle);
  FUZZ_CHECK(name == "Quillex_Map_" + Decimal(handle), "name %s for handle %u",
             FuzzShow(name).c_str(), handle);

  // Pieces point into one stable copy of the input.
  const std::string store(reinterpret_cast<const char*>(data) + 5, size - 5);
  std::vector<std::string_view> pieces;
  std::string whole;
  for (size_t p = 0; p < store.size();) {
    size_t n = static_cast<unsigned char>(store[p++]);
    n = std::min(n, store.size() - p);
    pieces.emplace_back(store.data() + p, n);
    whole.append(store, p, n);
    p += n;
    if (flags & 8)
      pieces.push_back((flags & 16) ? std::string_view()
                                    : std::string_view(store.data() + p, 0));
  }

  const uint64_t block_size = SharedBlockSize(pieces);
  FUZZ_CHECK(block_size == whole.size() + 1, "size %llu for %zu bytes",
             static_cast<unsigned long long>(block_size), whole.size());

  const size_t extra = flags & 7;
  const size_t total = static_cast<size_t>(block_size) + extra;
  // Exactly sized, so that any write past it is caught.
  std::unique_ptr<char[]> block(new char[total]);
  memset(block.get(), 0xA5, total);
  FillSharedBlock(block.get(), total, pieces);

  const size_t text_end = std::min(whole.find('\0'), whole.size());
  FUZZ_CHECK(memcmp(block.get(), whole.data(), text_end) == 0,
             "text bytes not copied");
  for (size_t i = text_end; i < total; ++i)
    FUZZ_CHECK(block[i] == 0, "byte %zu of %zu is 0x%02X, not 0", i, total,
               static_cast<unsigned char>(block[i]));
  return 0;
}
