#ifndef LAUNCHER_SYSTEM_H_
#define LAUNCHER_SYSTEM_H_

#include <string>

#include "command_line.h"

// The three questions the launcher puts to the system about its arguments
// and paths.

// The process's command line, cut once; it does not change during a run.
const ArgumentList& Arguments();
int ArgumentCount();
// Index 0: the full path of the launcher's executable, any length.
std::string ArgumentAt(int index);
std::string ModulePath(void* module);

// True when the first entry the search finds for `name` is not a folder.
bool IsExistingFile(const std::string& name);

// Fills the lead-byte table when double-byte characters are enabled.
void LoadLeadBytes();

#endif  // LAUNCHER_SYSTEM_H_
