#ifndef LAUNCHER_FAILURE_H_
#define LAUNCHER_FAILURE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "lead_bytes.h"

// A failure of the run. Nothing in the launcher catches it: it passes
// through the clean-ups (RAII) to the reporter, which ends the run.
struct Failure {
  const char* class_name;
  std::string message;
  const void* address;  // code that raised it
  uint32_t error_code;
};

// Raises at the caller's address, so the report names the failing code.
[[noreturn]] void RaiseFailure(const char* class_name, std::string message,
                               uint32_t error_code = 0);
[[noreturn]] void RaiseFailureAt(const void* address, const char* class_name,
                                 std::string message, uint32_t error_code = 0);

// Texts of the failures, in code page 932.
extern const char kOutOfMemoryMessage[];
extern const char kFailureTitle[];
std::string InOutErrorMessage(uint32_t code);
std::string OleErrorFallbackMessage(uint32_t code);
std::string AssertionFailureMessage(std::string_view source_file, int line);
// Trims the system's text for an error: trailing bytes 0x00-0x20 and dots.
std::string TrimSystemMessage(std::string_view text);

// The reporter's box text; at most 1023 bytes, never cut inside a
// double-byte character, so it fits a 1024-byte buffer with its NUL.
std::string FormatFailureText(std::string_view class_name,
                              std::string_view module_name, uint32_t offset,
                              std::string_view message,
                              const LeadByteTable& lead = g_lead_bytes);

constexpr size_t kFailureTextLimit = 1023;

#endif  // LAUNCHER_FAILURE_H_
