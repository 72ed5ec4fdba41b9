// The archive of default files at start-up: loaded from the program's own
// file, or filled from the default-settings folder when that holds none.
#pragma once

#include <string>

#include "files/embedded_archive.h"

namespace q3 {

// "NEW_104": the folder name of the default files of this unit version.
std::string defaultFolderName();

// The default-settings folder: VAZOV/NEW_104 beside the program's folder
// (exeDir/../VAZOV/NEW_104), inside it (exeDir/VAZOV/NEW_104), the installed
// one (exeDir/../share/quelin3/VAZOV/NEW_104), else the one the build
// generated. "" when none exists.
std::string defaultSettingsFolder(const std::string& exeDir);

// Loads the archive with the program file as host; when the root then holds
// nothing, imports the default-settings folder into the root (in memory
// only). Returns whether the archive holds any entries afterwards.
bool loadStartupArchive(EmbeddedArchive& archive, const std::string& exePath,
                        const std::string& exeDir);

}  // namespace q3
