// RTF to plain text: one pass over the bytes with a stack of group states.
#include "update/rtf_text.h"

#include <QString>
#include <QStringDecoder>
#include <array>
#include <cstdlib>
#include <vector>

namespace q3 {

namespace {

// One group's state: whether its text is left out, and how many characters
// follow a \uN as its fallback.
struct Group {
  bool skip = false;
  int ucSkip = 1;
};

// Groups nested deeper than this are left out whole (the stack stays small
// whatever the input).
constexpr std::size_t kMaxDepth = 64;

constexpr std::string_view kSkippedDestinations[] = {"fonttbl",
                                                     "colortbl",
                                                     "stylesheet",
                                                     "info",
                                                     "pict",
                                                     "header",
                                                     "footer",
                                                     "headerl",
                                                     "headerr",
                                                     "footerl",
                                                     "footerr",
                                                     "object",
                                                     "fldinst",
                                                     "listtable",
                                                     "listoverridetable",
                                                     "rsidtbl",
                                                     "generator",
                                                     "themedata",
                                                     "colorschememapping",
                                                     "latentstyles",
                                                     "datastore",
                                                     "xmlnstbl",
                                                     "pgdsctbl",
                                                     "filetbl"};

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The 256 characters of a single-byte Windows code page.
std::array<char16_t, 256> codePage(int number) {
  std::array<char16_t, 256> table{};
  const bool known = number == 874 || (number >= 1250 && number <= 1258);
  QByteArray name = "windows-" + QByteArray::number(known ? number : 1250);
  QStringDecoder decoder(name.constData());
  for (int b = 0; b < 256; ++b) {
    if (b < 0x80 || !decoder.isValid()) {
      table[b] = static_cast<char16_t>(b);
      continue;
    }
    const char byte = static_cast<char>(b);
    QString s = decoder.decode(QByteArrayView(&byte, 1));
    table[b] = s.size() == 1 ? s.at(0).unicode() : u'?';
  }
  return table;
}

class RtfReader {
 public:
  explicit RtfReader(std::string_view in) : m_in(in), m_page(codePage(1250)) {}

  std::string run() {
    m_stack.push_back({});
    while (m_pos < m_in.size()) {
      char c = m_in[m_pos++];
      if (c == '{') {
        Group g = m_stack.back();
        if (m_stack.size() >= kMaxDepth) g.skip = true;
        m_stack.push_back(g);
      } else if (c == '}') {
        if (m_stack.size() > 1) m_stack.pop_back();
      } else if (c == '\\') {
        controlWord();
      } else if (c == '\r' || c == '\n') {
        // Line breaks of the file carry no meaning in RTF.
      } else {
        byteChar(static_cast<unsigned char>(c));
      }
    }
    while (!m_out.isEmpty() && (m_out.back() == u'\n' || m_out.back() == u' ')) m_out.chop(1);
    return m_out.toStdString();
  }

 private:
  Group& group() { return m_stack.back(); }

  void put(char16_t c) {
    if (m_fallback > 0) {
      --m_fallback;
      return;
    }
    if (!group().skip) m_out.append(QChar(c));
  }
  void byteChar(unsigned char b) { put(m_page[b]); }

  void controlWord() {
    if (m_pos >= m_in.size()) return;
    char c = m_in[m_pos];
    if (!isLetter(c)) {
      ++m_pos;
      controlSymbol(c);
      return;
    }
    std::size_t start = m_pos;
    while (m_pos < m_in.size() && isLetter(m_in[m_pos]) && m_pos - start < 32) ++m_pos;
    std::string_view word = m_in.substr(start, m_pos - start);
    bool hasParam = false;
    long param = 0;
    std::size_t numStart = m_pos;
    if (m_pos < m_in.size() && m_in[m_pos] == '-') ++m_pos;
    while (m_pos < m_in.size() && isDigit(m_in[m_pos]) && m_pos - numStart < 10) {
      param = param * 10 + (m_in[m_pos] - '0');
      hasParam = true;
      ++m_pos;
    }
    if (hasParam && m_in[numStart] == '-') param = -param;
    if (!hasParam) m_pos = numStart;
    if (m_pos < m_in.size() && m_in[m_pos] == ' ') ++m_pos;  // the delimiter belongs to the word
    if (word == "u" && hasParam)
      unicodeChar(param);
    else
      namedWord(word, hasParam, param);
  }

  void controlSymbol(char c) {
    switch (c) {
      case '\\':
      case '{':
      case '}':
        byteChar(static_cast<unsigned char>(c));
        break;
      case '~':
        put(u'\u00A0');
        break;
      case '_':
        put(u'-');
        break;
      case '*':
        group().skip = true;
        break;
      case '\'': {
        int hi = m_pos < m_in.size() ? hexValue(m_in[m_pos]) : -1;
        int lo = m_pos + 1 < m_in.size() ? hexValue(m_in[m_pos + 1]) : -1;
        if (hi >= 0 && lo >= 0) {
          m_pos += 2;
          byteChar(static_cast<unsigned char>(hi * 16 + lo));
        }
        break;
      }
      case '\r':
      case '\n':
        put(u'\n');
        break;
      default:  // optional hyphen and symbols without a character
        break;
    }
  }

  void unicodeChar(long n) {
    if (n < 0) n += 65536;
    if (n < 0 || n > 0xFFFF) return;
    put(static_cast<char16_t>(n));
    m_fallback = group().ucSkip;
  }

  void namedWord(std::string_view w, bool hasParam, long param) {
    for (std::string_view d : kSkippedDestinations)
      if (w == d) {
        group().skip = true;
        return;
      }
    struct Mapped {
      std::string_view word;
      char16_t c;
    };
    static constexpr Mapped kMapped[] = {
        {"par", u'\n'},           {"line", u'\n'},         {"sect", u'\n'},
        {"page", u'\n'},          {"row", u'\n'},          {"tab", u'\t'},
        {"cell", u'\t'},          {"emdash", u'\u2014'},   {"endash", u'\u2013'},
        {"bullet", u'\u2022'},    {"lquote", u'\u2018'},   {"rquote", u'\u2019'},
        {"ldblquote", u'\u201C'}, {"rdblquote", u'\u201D'}};
    for (const Mapped& m : kMapped)
      if (w == m.word) {
        put(m.c);
        return;
      }
    if (w == "uc" && hasParam && param >= 0 && param <= 10) {
      group().ucSkip = static_cast<int>(param);
    } else if (w == "ansicpg" && hasParam) {
      m_page = codePage(static_cast<int>(param));
    }
  }

  std::string_view m_in;
  std::size_t m_pos = 0;
  std::vector<Group> m_stack;
  std::array<char16_t, 256> m_page;
  int m_fallback = 0;
  QString m_out;
};

}  // namespace

bool isRtfText(std::string_view text) { return text.find("{\\rtf1") != std::string_view::npos; }

std::string rtfToPlainText(std::string_view rtf) { return RtfReader(rtf).run(); }

}  // namespace q3
