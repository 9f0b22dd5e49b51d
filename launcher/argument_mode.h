#ifndef LAUNCHER_ARGUMENT_MODE_H_
#define LAUNCHER_ARGUMENT_MODE_H_

#include <functional>
#include <string>
#include <string_view>

#include "command_line.h"
#include "launcher_settings.h"

// Argument mode without the system: which parameter strings go to which
// editor start, in order. `exists` answers whether a name is a file;
// `start` is called for each start, as soon as it is decided, so the
// existence tests and the starts interleave as they would for real.
// Cost is linear in the command line, apart from `exists` itself.
void PlanArgumentMode(const ArgumentList& arguments,
                      const LauncherSettings& settings,
                      const std::function<bool(const std::string&)>& exists,
                      const std::function<void(const std::string&)>& start);

#endif  // LAUNCHER_ARGUMENT_MODE_H_
