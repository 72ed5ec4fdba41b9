// Build step: writes the default settings file of every preset bike into the
// folder given on the command line, the way the service command Save All New
// does, and marks the folder complete with a ".generated" file.
#include <cstdio>
#include <string>

#include "base/safe_write.h"
#include "files/ign_writer.h"
#include "files/service_tools.h"
#include "text/mstring.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  q3::setLanguage(0);
  const std::string dir = argv[1];
  // Names that fit the archive of default files, which takes this folder in.
  const int n = q3::saveAllNew(dir, q3::IgnWriteInfo{}, q3::dialogs(), &q3::archiveBikeFileName);
  if (n != q3::kServiceBikes) {
    std::fprintf(stderr, "%s: only %i of %i files written\n", argv[0], n, q3::kServiceBikes);
    return 1;
  }
  const q3::FileWriteResult stamp =
      q3::writeFileSafely(dir + "/.generated", std::to_string(n) + "\n");
  if (!stamp.ok) std::fprintf(stderr, "%s: %s\n", argv[0], stamp.message.c_str());
  return stamp.ok ? 0 : 1;
}
