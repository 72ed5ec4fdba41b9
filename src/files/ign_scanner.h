// Reading position over the text of a settings file: keyword tokens and
// numbers by the rules the file format has always used (numbers are found
// wherever they stand, converted as C's "%i" does).
#pragma once

#include <string_view>

namespace q3 {

class IgnScanner {
 public:
  // The text ends at its end or at its first NUL byte.
  explicit IgnScanner(std::string_view text);

  // The next token: a run of characters other than space, tab and LF; a CR
  // ends the token and the rest of the run is dropped. Empty runs are skipped.
  // False at the end of the text.
  bool nextToken(std::string_view& token);

  // Skips everything that is neither "-" nor a digit, then takes the "-" or
  // first digit and the digits that follow. False (v untouched) at the end of
  // the text or for a lone "-".
  bool number(int& v);
  // A number whose absence counts as 0.
  int numberOr0() {
    int v = 0;
    return number(v) ? v : 0;
  }

  // Whether a number comes next: looking ahead, a "-" or a digit is met
  // before any letter or "_".
  bool numberFollows() const;

  // Where the next token that begins with a letter or "_" (a keyword) starts;
  // the length of the text when none follows.
  size_t nextWordStart() const;
  // How many numbers were asked for past the end of the text.
  int missingNumbers() const { return m_missing; }
  // The length of the text read (up to its first NUL byte).
  size_t length() const { return m_text.size(); }

  bool atEnd() const { return m_pos >= m_text.size(); }
  size_t position() const { return m_pos; }

 private:
  std::string_view m_text;
  size_t m_pos = 0;
  int m_missing = 0;
};

// C "%i" conversion of a run made of an optional "-" and digits: a leading 0
// reads the digits as octal (stopping at the first 8 or 9).
int convertPercentI(std::string_view digits);

}  // namespace q3
