// Settings files for the commands of quelin3-tool.
#pragma once

#include <string>
#include <vector>

namespace q3 {
class ParamModel;
class ParamImage;
}  // namespace q3

namespace q3cli {

// Opens a file the way the window's Open does, on top of the start image of
// the program (the defaults of bike 20). Returns the accepted key, 0 when
// the file was not accepted.
int openInto(q3::ParamModel& model, const std::string& path, bool testMode);

// Prints what differs from a to b: by keyword and position, or (names) page
// by page with captions and values as the pages show them. Returns 0 when
// the images are the same, 1 when they differ.
int printImageDiff(const q3::ParamImage& a, const q3::ParamImage& b, bool names);

// "diff --unit FILE.ign": the file against the settings of the connected
// unit as its connection check read them (cli_link.cpp). Exit 0 the same,
// 1 different or no unit, 2 a wrong option or file.
int diffWithUnit(const std::vector<std::string>& args, bool names);

}  // namespace q3cli
