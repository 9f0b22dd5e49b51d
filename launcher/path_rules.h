#ifndef LAUNCHER_PATH_RULES_H_
#define LAUNCHER_PATH_RULES_H_

#include <string>
#include <string_view>

#include "lead_bytes.h"

// Byte-exact path operations. Only ChangeExtension and FolderOf heed
// double-byte characters (a 0x5C second byte is no separator there).

std::string ChangeExtension(std::string_view path, std::string_view extension,
                            const LeadByteTable& lead = g_lead_bytes);
std::string FolderOf(std::string_view path,
                     const LeadByteTable& lead = g_lead_bytes);
std::string DriveOf(std::string_view path);

// Both false for an empty text or an empty needle; case-sensitive.
bool StartsWith(std::string_view text, std::string_view prefix);
bool Contains(std::string_view text, std::string_view part);

#endif  // LAUNCHER_PATH_RULES_H_
