#ifndef LAUNCHER_LINE_READER_H_
#define LAUNCHER_LINE_READER_H_

#include <cstddef>
#include <cstdint>

#include "line_list.h"

// Where piped bytes come from; the Win32 side wraps the standard input.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads at most `capacity` bytes. Returns the count, 0 at the end of the
  // input; on failure returns 0 and sets `*error` to the system error code.
  virtual size_t Read(char* buffer, size_t capacity, uint32_t* error) = 0;
};

constexpr size_t kReadBlock = 128;

// Reads the whole input into `lines`: lines end at CR LF or a lone CR, LF is
// an ordinary byte, and the first 0x1A ends the input (nothing after it is
// read). A read failure raises EInOutError: at once during the end test,
// else after the line's end is skipped and before the line would count.
void CollectLines(ByteSource& source, LineList& lines);

#endif  // LAUNCHER_LINE_READER_H_
