#ifndef LAUNCHER_LAUNCHER_SETTINGS_H_
#define LAUNCHER_LAUNCHER_SETTINGS_H_

#include <cstdint>
#include <string>

// Filled once by RunLauncher; read, never changed, by the modes.
struct LauncherSettings {
  int32_t ArgCount = 0;
  std::string AppExePath;
  std::string CmdLineOption;
  bool IeSrcViewOnHtmlMode = true;
  std::string CacheFolder;
};

extern LauncherSettings g_settings;

#endif  // LAUNCHER_LAUNCHER_SETTINGS_H_
