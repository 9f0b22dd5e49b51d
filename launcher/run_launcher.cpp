#include "run_launcher.h"

#include <windows.h>

#include "argument_mode.h"
#include "cache_folder.h"
#include "editor_start.h"
#include "launcher_settings.h"
#include "path_rules.h"
#include "piped_text.h"
#include "system.h"
#include "yes_no.h"

LauncherSettings g_settings;

namespace {

const char kSection[] = "Option";

// The value as GetPrivateProfileStringA reports it into 1024 bytes: the
// default for a missing file, section or key, else at most 1023 bytes.
std::string ReadText(const std::string& ini_path, const char* key) {
  char value[1024];
  DWORD n = GetPrivateProfileStringA(kSection, key, "", value, sizeof value,
                                     ini_path.c_str());
  return std::string(value, n);
}

}  // namespace

std::string LocateEditor() {
  std::string beside = FolderOf(ArgumentAt(0)) + "\\Quillex.exe";
  if (IsExistingFile(beside)) return beside;
  std::string installed = DriveOf(beside) + "\\Program Files\\Quillex\\Quillex.exe";
  if (IsExistingFile(installed)) return installed;
  return std::string();
}

void LaunchForArguments() {
  PlanArgumentMode(
      Arguments(), g_settings, IsExistingFile,
      [](const std::string& parameters) { StartEditor(g_settings.AppExePath, parameters); });
}

void RunLauncher() {
  LauncherSettings& s = g_settings;
  s.ArgCount = ArgumentCount();
  std::string ini_path = ChangeExtension(ArgumentAt(0), ".ini");
  s.AppExePath = ReadText(ini_path, "AppExePath");
  s.CmdLineOption = ReadText(ini_path, "CmdLineOption");
  s.IeSrcViewOnHtmlMode = YesNoFromText(ReadText(ini_path, "IeSrcViewOnHtmlMode"));

  if (s.AppExePath.empty()) s.AppExePath = LocateEditor();
  if (s.AppExePath.empty()) return;

  DWORD type = GetFileType(GetStdHandle(STD_INPUT_HANDLE));
  if (type == FILE_TYPE_PIPE || type == FILE_TYPE_DISK) {
    HandOffPipedText();
    return;
  }

  if (s.IeSrcViewOnHtmlMode) s.CacheFolder = InternetCacheFolder();
  if (s.ArgCount > 0)
    LaunchForArguments();
  else
    StartEditor(s.AppExePath, s.CmdLineOption);
}
