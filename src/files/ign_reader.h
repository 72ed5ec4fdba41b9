// The settings-file reader: parses the text of a .ign file into the image,
// including files of older versions and other unit families of the format.
#pragma once

#include <string>
#include <string_view>

#include "params/param_model.h"

namespace q3 {

// Classification of a file key: the unit family 0..4 (2 = this unit) and the
// kind (0 not accepted, 1 or 2 older format, 3 cross-transformable).
struct IgnFileState {
  int key = 0;     // accepted key of the last read, 0 when not accepted
  int family = 2;  // kept from the previous read for an unknown key
  int kind = 0;
};
void classifyIgnKey(int key, IgnFileState& state);
// Channels whose edge pairs the BIKE line carries for a family and key.
int ignEdgeChannels(int family, int key);

struct IgnReadResult {
  int key = 0;           // the accepted file key, 0 when the file was not accepted
  bool sawBike = false;  // a BIKE (or PICKUP_SYSTEM) line was read
};

struct IgnReadOptions {
  bool showMessages = false;  // second pass of an open: messages about the format
  bool testMode = false;      // cross transformation of other families allowed
};

// Reads text into model.image(). The model supplies the defaults that older
// files need; state keeps the key classification between reads.
IgnReadResult readIgn(std::string_view text, ParamModel& model, IgnFileState& state,
                      const IgnReadOptions& opt);

// Texts of the messages the reader shows (multi-language strings).
extern const char* const kMsgUnmatchedVersion;
extern const char* const kMsgCrossTransformation;
extern const char* const kMsgOlderVersion;
extern const char* const kMsgOpenFileError;

// Reads a whole file for parsing: up to 10 MiB, else (or when it cannot be
// read) false and nothing.
bool readIgnFileText(const std::string& path, std::string& text);
inline constexpr long long kIgnMaxFileSize = 10485760;

}  // namespace q3
