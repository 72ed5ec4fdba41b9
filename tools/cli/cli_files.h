// Settings files for the commands of quelin3-tool.
#pragma once

#include <string>

namespace q3 {
class ParamModel;
}

namespace q3cli {

// Opens a file the way the window's Open does, on top of the start image of
// the program (the defaults of bike 20). Returns the accepted key, 0 when
// the file was not accepted.
int openInto(q3::ParamModel& model, const std::string& path, bool testMode);

}  // namespace q3cli
