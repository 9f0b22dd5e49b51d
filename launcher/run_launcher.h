#ifndef LAUNCHER_RUN_LAUNCHER_H_
#define LAUNCHER_RUN_LAUNCHER_H_

#include <string>

// The launcher's one flow: settings, editor search, then one mode.
void RunLauncher();

// The editor beside the launcher, else in Program Files\Quillex on its
// drive; empty when neither exists.
std::string LocateEditor();

// Argument mode for a command line with at least one argument.
void LaunchForArguments();

#endif  // LAUNCHER_RUN_LAUNCHER_H_
