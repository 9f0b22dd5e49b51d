#include "argument_mode.h"

#include "path_rules.h"

namespace {

// Whether the argument after a name shows that the name is complete:
// nothing follows, or a network path, a drive path or an option does.
bool EndsName(std::string_view next) {
  return next.empty() || StartsWith(next, "\\\\") || Contains(next, ":\\") ||
         StartsWith(next, "/");
}

}  // namespace

void PlanArgumentMode(const ArgumentList& arguments,
                      const LauncherSettings& settings,
                      const std::function<bool(const std::string&)>& exists,
                      const std::function<void(const std::string&)>& start) {
  const int n = settings.ArgCount;

  // Every start begins with the same text: the configured option, a space
  // and every option of the command line, quoted.
  std::string prefix = settings.CmdLineOption + " ";
  for (int i = 1; i <= n; ++i) {
    const std::string& argument = arguments.At(i);
    if (StartsWith(argument, "/")) {
      prefix += '"';
      prefix += argument;
      prefix += "\" ";
    }
  }
  const bool html_mode =
      settings.IeSrcViewOnHtmlMode && !settings.CacheFolder.empty();

  std::string pending;
  std::string parameters;
  int started = 0;
  for (int i = 1; i <= n; ++i) {
    const std::string& argument = arguments.At(i);
    if (StartsWith(argument, "/")) continue;
    pending += argument;
    std::string_view next = i < n ? std::string_view(arguments.At(i + 1)) : "";
    if (exists(pending) && EndsName(next)) {
      parameters = prefix;
      if (html_mode && StartsWith(pending, settings.CacheFolder))
        parameters += "/html ";
      parameters += '"';
      parameters += pending;
      parameters += '"';
      start(parameters);
      pending.clear();
      ++started;
    } else {
      pending += ' ';
    }
  }

  if (started == 0) {
    parameters = prefix;
    if (!pending.empty()) {
      parameters += '"';
      parameters += pending;
      parameters += '"';
    }
    start(parameters);
  }
}
