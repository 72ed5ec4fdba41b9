// The service tools: one default settings file per preset bike ("Save All
// New") and a line-by-line comparison of such a set with a reference set
// ("Compare All"). Also the default image of a bike, which the build uses to
// generate the default-settings folder.
#pragma once

#include <functional>
#include <string>

#include "files/ign_writer.h"
#include "params/param_image.h"
#include "text/user_dialogs.h"

namespace q3 {

inline constexpr int kServiceBikes = 44;  // bike numbers 0..43

// The text of a bike in the bike list, in the current language (UTF-8), or
// nullptr for a number without an entry.
const char* bikeListText(int bike);

// The file name of a bike: the bike text in Windows-1250 with runs of spaces
// cut to one, "(" in front of a digit that follows such a run and ")" at the
// end when any "(" was put in; trailing spaces removed.
std::string bikeFileName(const std::string& bikeText);
// The name used for bike `bike`; bikes without a list entry get "bike_%i"
// so that they do not all land in one file.
std::string bikeFileNameOf(int bike);
// The name of a bike's file in the shipped default folder, which the archive
// of default files takes in: bikeFileNameOf() shortened where "<name>.ign"
// would pass the archive's 52-character name limit ("revolutions" becomes
// "rev", then the name is cut), so that every bike's file is kept.
std::string archiveBikeFileName(int bike);

// The image Save All New writes for a bike: all bytes 0, byte 170 = bike,
// defaults of all pages, sanitised.
ParamImage defaultImageForBike(int bike);

// Writes "<dir>/<bike file name>.ign" for every bike 0..43, creating dir.
// A file that cannot be written shows the open-error message; the batch goes
// on. Returns the number of files written. nameOf gives the file name of a
// bike (the shipped default folder uses archiveBikeFileName).
int saveAllNew(const std::string& dir, const IgnWriteInfo& info, UserDialogs& dialogs,
               std::string (*nameOf)(int bike) = &bikeFileNameOf);

// Compares "<oldDir>/<name>.ign" with "<newDir>/<name>.ign" for every bike and
// writes the report to reportPath, then tells where it is. False when the
// report cannot be created.
bool compareAll(const std::string& newDir, const std::string& oldDir, const std::string& reportPath,
                UserDialogs& dialogs);

}  // namespace q3
