// The settings-file reader: parses the text of a .ign file into the image,
// including files of older versions and other unit families of the format.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "params/param_model.h"
#include "text/user_dialogs.h"

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

// What a read found missing or wrong in a file. The reader loads what it can
// by the format's rules and reports the holes; the window shows them in a
// message, the command-line tool on stderr.
enum class IgnWarningKind {
  TooLarge,         // the file passes the size limit and was not read
  Encoding,         // UTF-16, a byte-order mark, or binary data
  EndsEarly,        // the text ended while a keyword's values were read
  ShortLine,        // a keyword's lines held too few values; the next line's were taken
  MissingKeywords,  // keywords of the current format that the file lacks
};

struct IgnWarning {
  IgnWarningKind kind = IgnWarningKind::EndsEarly;
  size_t position = 0;  // byte offset in the file
  int line = 0;         // 1-based line of the position; 0 for the whole file
  std::string detail;
};

// "line 12: the file ends inside ADVANCE ..." (or the detail alone).
std::string ignWarningText(const IgnWarning& w);

struct IgnReadResult {
  int key = 0;           // the accepted file key, 0 when the file was not accepted
  bool sawBike = false;  // a BIKE (or PICKUP_SYSTEM) line was read
  std::vector<IgnWarning> warnings;
};

// The encoding problem of a file's bytes (UTF-16, a byte-order mark, binary
// data), if any: a settings file is single-byte text.
std::optional<IgnWarning> ignEncodingProblem(std::string_view text);

struct IgnReadOptions {
  // Second pass of an open: where messages about the format are told;
  // none: nothing is told.
  UserDialogs* messages = nullptr;
  bool testMode = false;  // cross transformation of other families allowed
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
// read) false and nothing; problem (when given) then says which.
bool readIgnFileText(const std::string& path, std::string& text, IgnWarning* problem = nullptr);
inline constexpr long long kIgnMaxFileSize = 10485760;

}  // namespace q3
