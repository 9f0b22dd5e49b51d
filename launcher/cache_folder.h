#ifndef LAUNCHER_CACHE_FOLDER_H_
#define LAUNCHER_CACHE_FOLDER_H_

#include <string>

// The file-system path of the Internet cache folder. Raises EOleSysError
// when the shell can't give the folder, EAssertionFailed when it has no path.
std::string InternetCacheFolder();

#endif  // LAUNCHER_CACHE_FOLDER_H_
