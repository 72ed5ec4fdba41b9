// Tokens and numbers of a settings file.
#include "files/ign_scanner.h"

#include <cstdint>
#include <cstring>

namespace q3 {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
}  // namespace

IgnScanner::IgnScanner(std::string_view text) : m_text(text) {
  size_t nul = m_text.find('\0');
  if (nul != std::string_view::npos) m_text = m_text.substr(0, nul);
}

bool IgnScanner::nextToken(std::string_view& token) {
  const size_t n = m_text.size();
  while (m_pos < n) {
    while (m_pos < n && isSeparator(m_text[m_pos])) ++m_pos;
    size_t start = m_pos;
    while (m_pos < n && !isSeparator(m_text[m_pos]) && m_text[m_pos] != '\r') ++m_pos;
    size_t end = m_pos;
    while (m_pos < n && !isSeparator(m_text[m_pos])) ++m_pos;  // the part after a CR is dropped
    if (end > start) {
      token = m_text.substr(start, end - start);
      return true;
    }
  }
  return false;
}

bool IgnScanner::number(int& v) {
  const size_t n = m_text.size();
  while (m_pos < n && m_text[m_pos] != '-' && !isDigit(m_text[m_pos])) ++m_pos;
  if (m_pos >= n) {
    ++m_missing;
    return false;
  }
  size_t start = m_pos++;
  while (m_pos < n && isDigit(m_text[m_pos])) ++m_pos;
  std::string_view run = m_text.substr(start, m_pos - start);
  if (run == "-") return false;
  v = convertPercentI(run);
  return true;
}

size_t IgnScanner::nextWordStart() const {
  const size_t n = m_text.size();
  size_t i = m_pos;
  // Inside a token already: its start is behind the position.
  while (i < n && !isSeparator(m_text[i])) ++i;
  while (i < n) {
    while (i < n && isSeparator(m_text[i])) ++i;
    if (i < n && (isLetter(m_text[i]) || m_text[i] == '_')) return i;
    while (i < n && !isSeparator(m_text[i])) ++i;
  }
  return n;
}

bool IgnScanner::numberFollows() const {
  for (size_t i = m_pos; i < m_text.size(); ++i) {
    char c = m_text[i];
    if (c == '-' || isDigit(c)) return true;
    if (isLetter(c) || c == '_') return false;
  }
  return false;
}

int convertPercentI(std::string_view s) {
  bool neg = !s.empty() && s[0] == '-';
  if (neg) s.remove_prefix(1);
  unsigned base = (s.size() > 1 && s[0] == '0') ? 8 : 10;
  // Values that do not fit an int wrap modulo 2^32; they never come from a
  // file this program wrote and must only not be undefined behaviour.
  uint32_t acc = 0;
  for (char c : s) {
    unsigned d = unsigned(c - '0');
    if (d >= base) break;
    acc = acc * base + d;
  }
  if (neg) acc = 0u - acc;
  return static_cast<int32_t>(acc);
}

}  // namespace q3
