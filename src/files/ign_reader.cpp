// Reading a settings file into the image.
#include "files/ign_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "files/ign_layout.h"
#include "files/ign_scanner.h"
#include "files/ign_writer.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace q3 {

const char* const kMsgUnmatchedVersion =
    "###Unmatched version of *.ign file!##Datendatei *.ign ist nicht kompatiebel!"
    "##Neshodn\xc3\xa1 verze souboru *.ign!";
const char* const kMsgCrossTransformation =
    "###CROSS TRANSFORMATION OF ZAR FILE !##CROSS TRANSFORMATION OF ZAR FILE !"
    "##MEZIDRUHOVA TRANSFORMACE ZAR SOUBORU !";
const char* const kMsgOlderVersion =
    "###Older or another version of *.ign file!\n\n"
    "Some parameters won't be changed or will be set to default value.\n"
    "They are parameters which are not in older version or have another structure."
    "##\xc3\x84lter oder andere Version von Datendatei *.ign!\n\n"
    "Einige Kenndaten werden nicht ge\xc3\xa4ndert oder werden implizit Wert gestellt.\n"
    "Sie sind die Kenndaten, die in \xc3\xa4lter Version nicht sind oder andere Struktur haben"
    "##Star\xc5\xa1\xc3\xad nebo odli\xc5\xa1n\xc3\xa1 verze souboru *.ign!\n\n"
    "N\xc4\x9bkter\xc3\xa9 parametry budou nezm\xc4\x9bn\xc4\x9bny nebo nataveny na "
    "z\xc3\xa1kladn\xc3\xad "
    "hodnotu.\n"
    "Jsou to parametry, kter\xc3\xa9 v t\xc3\xa9to verzi nebyly obsa\xc5\xbe"
    "eny nebo m\xc4\x9bly "
    "jinou strukturu.";
const char* const kMsgOpenFileError =
    "###Open file error!##Fehler beim \xc3\xb6"
    "ffnen der Datei!"
    "##Chyba p\xc5\x99i otev\xc3\xad"
    "r\xc3\xa1n\xc3\xad souboru!";

void classifyIgnKey(int key, IgnFileState& st) {
  struct Row {
    int key, family, kind;
  };
  static const Row rows[] = {
      {96, 0, 3},  {98, 1, 3}, {108, 1, 3}, {104, 2, 3}, {105, 3, 3}, {106, 4, 3},
      {107, 4, 3}, {75, 0, 1}, {54, 0, 1},  {80, 0, 2},  {88, 0, 2},  {93, 1, 2},
      {95, 1, 2},  {97, 1, 2}, {91, 3, 2},  {85, 3, 2},  {79, 3, 2},  {76, 3, 2},
      {60, 3, 2},  {86, 4, 2}, {81, 4, 2},  {99, 4, 2},  {48, 2, 2},
  };
  st.kind = 0;
  for (const Row& r : rows) {
    if (r.key == key) {
      st.family = r.family;
      st.kind = r.kind;
    }
  }
}

int ignEdgeChannels(int family, int key) {
  if (family == 3) return 2;
  if (family == 4) return (key == 99 || key == 106) ? 1 : 2;
  return 4;
}

namespace {

int lineAt(std::string_view text, size_t at) {
  at = std::min(at, text.size());
  return 1 + int(std::count(text.begin(), text.begin() + std::ptrdiff_t(at), '\n'));
}

// The keywords a file of the current format holds: those the writer writes
// and the reader reads back.
const std::vector<std::string>& ignCurrentKeywords() {
  static const std::vector<std::string> list = [] {
    std::vector<std::string> out;
    const std::string text = renderIgn(ParamImage{}, IgnWriteInfo{});
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(pos, end - pos);
      pos = end + 1;
      if (line.empty() || line[0] == ' ') continue;
      const std::string kw = line.substr(0, line.find(' '));
      if (kw == "KORVELAN_KEY" || kw == "VERSIONS" || kw == "HEX" || kw == "EXE" ||
          kw == "TEST_OUT" || kw.rfind("Mon_Calib", 0) == 0)
        continue;
      out.push_back(kw);
    }
    return out;
  }();
  return list;
}

void showMessage(UserDialogs* to, const char* mtext) {
  if (to) to->message("QUELIN3", ml(mtext), DialogKind::Warning);
}

class Reader {
 public:
  Reader(std::string_view text, ParamModel& model, IgnFileState& st, const IgnReadOptions& opt)
      : m_text(text), m_sc(text), m_model(model), m_img(model.image()), m_st(st), m_opt(opt) {}

  IgnReadResult run();

 private:
  // One element: stored from the next number, kept when there is none.
  void byteAt(int index, int factor = 1, int offset = 0) {
    element({IgnFieldKind::Byte, index, 1, factor, offset, false});
  }
  void wordAt(int index) { element({IgnFieldKind::Word, index, 1, 1, 0, false}); }
  void element(const IgnField& f, int k = 0) {
    int v;
    if (m_sc.number(v)) ignStoreValue(m_img, f, k, v);
  }
  void fields(const std::vector<IgnField>& fs) {
    for (const auto& f : fs)
      for (int k = 0; f.kind != IgnFieldKind::Break && k < f.count; ++k) element(f, k);
  }
  void line(const char* keyword) { fields(ignFindLine(keyword)->fields); }
  void skipValues(int n) {
    for (int i = 0; i < n; ++i) m_sc.numberOr0();
  }
  // A byte of flag bits set by values other than 0, bit 0 first.
  void bitsInto(int index, int count) {
    int b = 0;
    for (int i = 0; i < count; ++i)
      if (m_sc.numberOr0() != 0) b |= 1 << i;
    m_img.setByte(index, b);
  }
  // Ten rows of advance values (stored + 100, no range test).
  void advanceMap(int base, int columns) {
    for (int r = 0; r < 10; ++r) {
      for (int c = 0; c < columns; ++c) m_img.setByte(base + 15 * r + c, m_sc.numberOr0() + 100);
      for (int c = columns; c < 15; ++c)
        m_img.setByte(base + 15 * r + c, m_img.byte(base + 15 * r + 9));
    }
  }

  bool prepare(int key);
  void keyword(std::string_view kw);
  void bike();
  void powerOutput(int k);
  void oldInput();
  void servoMv();

  void warn(IgnReadResult& res, IgnWarningKind kind, size_t at, std::string detail) const {
    const int line = kind == IgnWarningKind::MissingKeywords ? 0 : lineAt(m_text, at);
    res.warnings.push_back({kind, at, line, std::move(detail)});
  }

  std::string_view m_text;
  IgnScanner m_sc;
  ParamModel& m_model;
  ParamImage& m_img;
  IgnFileState& m_st;
  const IgnReadOptions& m_opt;
  int m_key = 0;
  bool m_sawBike = false;
  bool m_sawAdvance2 = false;
};

// Accepts or refuses a key and prepares the image for an older or foreign file.
bool Reader::prepare(int key) {
  classifyIgnKey(key, m_st);
  if (key == KORVELAN_KEY) return true;
  bool accepted = m_st.kind != 0 && (m_st.family == 2 || (m_st.kind == 3 && m_opt.testMode));
  if (!accepted) {
    showMessage(m_opt.messages, kMsgUnmatchedVersion);
    return false;
  }
  m_model.setPageMask(-1);
  m_model.applyGeneralDefaults();
  m_model.applyBikePreset();
  m_img.setByte(513, 0);
  m_img.setByte(197, 0);
  showMessage(m_opt.messages, m_st.family == 2 ? kMsgOlderVersion : kMsgCrossTransformation);
  m_model.applyPowerOutputDefaults();
  for (int i : {512, 174, 175, 177, 178, 179, 413}) m_img.setByte(i, 0);
  if (key <= 48) {
    m_img.setByte(187, 1);
    m_img.setByte(219, 2);
    m_img.setByte(220, 3);
    m_img.setByte(226, 0);
  }
  return true;
}

void Reader::bike() {
  byteAt(170);
  if (m_img.byte(170) == 22) m_img.setByte(170, 255);
  byteAt(184);
  byteAt(185);
  byteAt(186);
  int channels = ignEdgeChannels(m_st.family, m_key);
  bool many = m_img.byte(184) == 14;
  for (int ch = 0; ch < channels; ++ch) {
    for (int edge : {188 + ch, 192 + ch}) {
      int lobe = m_sc.numberOr0();
      int second = m_sc.numberOr0();
      int pickup = m_sc.numberOr0();
      int b = many ? ((lobe & 0x3F) | ((lobe & 0x40) << 1)) : (lobe & 0x3F);
      if (second) b |= 0x40;
      if (pickup && !many) b |= 0x80;
      m_img.setByte(edge, b);
    }
  }
  byteAt(180);
  byteAt(181);
  skipValues(1 + ((m_key > 40 && channels == 4) ? 2 : 0));
  if (m_key == 48) m_img.setByte(216, 1);
  m_sawBike = true;
}

void Reader::powerOutput(int k) {
  byteAt(244 + k);
  if (m_img.byte(244 + k) == 3) m_img.setByte(244 + k, 255);
  for (int j = 0; j < 3; ++j) byteAt(248 + 3 * k + j, 100);
  byteAt(260 + k, 10);
  wordAt(36 + 2 * k);
  wordAt(37 + 2 * k);
  for (int r = 0; r < 3; ++r) bitsInto(276 + 3 * k + r, 4);
}

void Reader::oldInput() {
  if (m_key == 48) {
    byteAt(172);
    byteAt(173);
    const int functions[6] = {11, 10, 3, 2, 6, 2};
    for (int i = 0; i < 6; ++i) m_img.setByte(219 + i, functions[i]);
    int inv = 0;
    int v[6];
    for (int& x : v) x = m_sc.numberOr0();
    if (v[0] == 0) inv |= 0x10;
    if (v[1] == 0) inv |= 0x01;
    if (v[2] == 0) inv |= 0x04;
    if (v[3] == 0) m_img.setByte(222, 1);
    if (v[4] == 0) m_img.setByte(224, 1);
    if (v[5] == 0) inv |= 0x02;
    m_img.setByte(225, inv);
    return;
  }
  for (int i : {172, 173, 219, 220, 226}) byteAt(i);
  int inv = 0;
  for (int in = 0; in < 2; ++in) {
    if (m_img.byte(219 + in) == 4) {
      m_img.setByte(219 + in, 3);
      inv |= 1 << in;
    }
  }
  m_img.setByte(225, inv);
}

void Reader::servoMv() {
  IgnField servo{IgnFieldKind::Byte, 750, 1, 20, 0, false};
  if (m_key < 81 || m_key == 91) {
    for (int c = 0; c < 10; ++c) {
      int v;
      if (!m_sc.number(v)) continue;
      for (int r = 0; r < 10; ++r) ignStoreValue(m_img, servo, 15 * r + c, v);
    }
    m_img.setByte(410, 0);
    for (int r = 0; r < 10; ++r)
      for (int c = 10; c < 15; ++c) m_img.setByte(750 + 15 * r + c, m_img.byte(750 + 15 * r + 9));
    return;
  }
  for (int k = 0; k < 150; ++k) element(servo, k);
}

void Reader::keyword(std::string_view kw) {
  // Older names of current keywords.
  static const std::pair<const char*, const char*> aliases[] = {
      {"4_TAKT", "FOUR_STROKE"},
      {"SPEC_START", "SPECIAL_START"},
      {"SPECDWELL_START", "SPECIAL_DWELL_START"},
      {"INV_PICKUP", "PICKUP_POLARITY"},
      {"MAPA2_ACCEL", "MAP2_ACCEL"},
      {"SENSOR_TPS_IAP", "TPSIAP_SENSOR"},
      {"SENSOR_TPS", "TPS"},
      {"SENSOR_IAP", "IAP_SENSOR"},
      {"ADV_MAPA", "ADV_MAP"},
      {"IAP", "ADV_IAP"},
      {"ADVANCE_RPM1", "RPM_ADV"},
      {"ADVANCE1", "ADVANCE"},
      {"ADVANCE_RPM2", "RPM_ADV2"},
      {"SERVO_MAPA", "SERVO_MAP"},
  };
  for (const auto& a : aliases)
    if (kw == a.first) kw = a.second;
  const bool family4 = m_st.family == 4;

  if (kw == "BIKE") return bike();
  if (kw == "FOUR_STROKE_2ND_TURN") return bitsInto(514, 4);
  if (kw.size() == 6 && kw.substr(0, 5) == "INPUT" && kw[5] >= '1' && kw[5] <= '6') {
    int i = kw[5] - '1';
    byteAt(219 + i);
    if (i == 0) m_img.setByte(225, 0);
    m_img.setByte(225, m_img.byte(225) | int((unsigned(m_sc.numberOr0()) << i) & 0xFF));
    return;
  }
  if (kw == "INPUT") return oldInput();
  if (kw.size() == 10 && kw.substr(0, 9) == "POWER_OUT" && kw[9] >= '1' && kw[9] <= '3')
    return powerOutput(kw[9] - '1');
  if (kw == "POWER_OUT4" || kw == "POWER_OUT4_PWM") return;
  if (kw == "GEAR_CORR_POUT") {
    IgnField f{IgnFieldKind::Byte, 454, 12, 50, -100, false};
    for (int k = 0; k < 12; ++k) element(f, k);
    if (m_sc.numberFollows()) {
      f.index = 520;
      for (int k = 0; k < 6; ++k) element(f, k);
    }
    return;
  }
  if (kw == "N2O") {
    line("N2O");
    if (m_img.byte(470) != 0) m_img.setByte(246, 4);
    return;
  }
  if (kw == "N2O_REPEAT") {
    line("N2O_REPEAT");
    if (m_img.byte(473) <= 1) m_img.setByte(473, 2);
    return;
  }
  if (kw == "DWELL" || kw == "EXCITATION") {
    if (kw == "DWELL")
      line("DWELL");
    else
      byteAt(209);
    if (m_img.byte(209) == 3) m_img.setByte(209, 0);
    return;
  }
  if (kw == "SENSOR_LAMBDA") {
    byteAt(489);
    applyLambdaCurve(m_img, m_img.byte(489));
    for (int i = 490; i <= 495; ++i) byteAt(i);
    for (int w = 250; w <= 255; ++w) wordAt(w);
    return;
  }
  if (kw == "ADVANCE") return advanceMap(600, m_key < 96 ? 10 : 15);
  if (kw == "ADVANCE2") {
    m_sawAdvance2 = true;
    return advanceMap(900, 15);
  }
  if (kw == "RPM_ADV" && m_key < 96) {
    for (int i = 0; i < 10; ++i) byteAt(570 + i, 100);
    m_img.setByte(236, 15);
    for (int i = 580; i < 585; ++i) m_img.setByte(i, m_img.byte(i - 1) + 10);
    return;
  }
  if (kw == "SERVO_RPM" && (m_key <= 80 || m_key == 88 || m_key == 91)) {
    for (int i = 0; i < 10; ++i) byteAt(555 + i, 100);
    for (int i = 1; i <= 5; ++i) m_img.setByte(564 + i, m_img.byte(564) + i);
    return;
  }
  if (kw == "SERVO_MV") return servoMv();
  if (kw == "LIMITER" && m_key == 48) {
    for (int i : {204, 203, 202}) byteAt(i);
    return;
  }
  if (kw == "LIMITER" && family4) {
    skipValues(1);
    byteAt(203);
    byteAt(205, 100);
    skipValues(1);
    byteAt(202);
    m_img.setByte(204, m_img.byte(203));
    return;
  }
  if ((kw == "START_LIM" || kw == "START_LIM_MIN") && (m_key == 48 || family4)) return;
  if (kw == "CLUTCH") {
    if (family4) return line("CLUTCH_RACE");
    byteAt(426, 5);
    for (int i = 427; i <= 431; ++i) m_img.setByte(i, m_img.byte(426));
    byteAt(433, 10);
    return;
  }
  if (kw == "PILOT_LIGHT") return byteAt(251, 100);
  if (kw == "PILOT_LIGHT_INV_OUT") return skipValues(1);
  if (kw == "ADVANCE_MISC") {
    byteAt(234);
    byteAt(233);
    byteAt(238, 1, -100);
    byteAt(239, 1, -100);
    m_img.setByte(236, 15);
    m_img.setByte(237, 15);
    m_img.setByte(235, m_img.byte(234));
    return;
  }
  if (kw == "TPS_MAPA") {
    byteAt(234);
    m_img.setByte(216, 1);
    if (m_img.byte(234) > 1) m_img.setByte(234, 1);
    return;
  }
  if (kw == "SERRVO_MISC") {
    for (int i : {408, 409, 410}) byteAt(i);
    byteAt(412, 5);
    return;
  }
  if (kw == "SERRVO_MISC_HO") return byteAt(413, 5);
  // The trigger system and the compensation once had lines of their own.
  if (kw == "PICKUP_SYSTEM") {
    byteAt(184);
    m_sawBike = true;
    return;
  }
  if (kw == "COMPENSATION") return byteAt(181);

  const IgnLine* l = ignFindLine(kw);
  if (l && l->readable) fields(l->fields);
}

IgnReadResult Reader::run() {
  IgnReadResult res;
  if (auto problem = ignEncodingProblem(m_text)) res.warnings.push_back(*problem);
  std::string_view tok;
  bool found = false;
  while (!found && m_sc.nextToken(tok)) found = tok == "KORVELAN_KEY";
  if (!found) {
    m_st.key = 0;
    return res;
  }
  m_key = m_sc.numberOr0();
  if (!prepare(m_key)) {
    m_st.key = 0;
    return res;
  }
  m_st.key = m_key;
  std::vector<std::string_view> seen;
  bool endedEarly = false;
  while (m_sc.nextToken(tok)) {
    const size_t at = size_t(tok.data() - m_text.data());
    const size_t nextWord = m_sc.nextWordStart();
    const int missingBefore = m_sc.missingNumbers();
    keyword(tok);
    seen.push_back(tok);
    if (m_sc.missingNumbers() > missingBefore && !endedEarly) {
      endedEarly = true;
      warn(res, IgnWarningKind::EndsEarly, at,
           "the file ends inside " + std::string(tok) + ": its last values are missing");
    } else if (m_sc.position() > nextWord && m_key == KORVELAN_KEY) {
      warn(res, IgnWarningKind::ShortLine, at,
           std::string(tok) + " has too few values; the values of the following lines were " +
               "read in their place");
    }
  }
  if (m_key == KORVELAN_KEY) {
    std::string missing;
    for (const std::string& kw : ignCurrentKeywords())
      if (std::find(seen.begin(), seen.end(), kw) == seen.end())
        missing += (missing.empty() ? "" : ", ") + kw;
    if (!missing.empty())
      warn(res, IgnWarningKind::MissingKeywords, m_sc.length(),
           "missing: " + missing + " (these settings keep their previous values)");
  }
  if (!m_sawAdvance2) {
    for (int w = 0; w < 10; ++w) m_img.setWord(16 + w, m_img.word(6 + w));
    m_img.setByte(237, m_img.byte(236));
    m_img.setByte(235, m_img.byte(234));
    for (int i = 0; i < 150; ++i) m_img.setByte(900 + i, m_img.byte(600 + i));
    for (int i = 0; i < 15; ++i) m_img.setByte(585 + i, m_img.byte(570 + i));
  }
  res.key = m_key;
  res.sawBike = m_sawBike;
  return res;
}

}  // namespace

IgnReadResult readIgn(std::string_view text, ParamModel& model, IgnFileState& state,
                      const IgnReadOptions& opt) {
  return Reader(text, model, state, opt).run();
}

std::string ignWarningText(const IgnWarning& w) {
  return w.line > 0 ? "line " + std::to_string(w.line) + ": " + w.detail : w.detail;
}

std::optional<IgnWarning> ignEncodingProblem(std::string_view t) {
  auto at = [&](size_t i) { return i < t.size() ? static_cast<unsigned char>(t[i]) : 256u; };
  IgnWarning w;
  w.kind = IgnWarningKind::Encoding;
  w.line = 1;
  if ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0xFE && at(1) == 0xFF)) {
    w.detail =
        "the file is UTF-16 text (it begins with a byte-order mark); settings files are "
        "single-byte text";
    return w;
  }
  if (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
    w.detail =
        "the file begins with a UTF-8 byte-order mark; settings files are single-byte "
        "text without one";
    return w;
  }
  const size_t nul = t.find('\0');
  if (nul == std::string_view::npos) return std::nullopt;
  // UTF-16 without a mark: every other byte of ASCII text is NUL.
  size_t zerosOdd = 0, zerosEven = 0;
  const size_t probe = std::min<size_t>(t.size(), 4096);
  for (size_t i = 0; i < probe; ++i)
    if (t[i] == '\0') ++(i % 2 ? zerosOdd : zerosEven);
  if (probe >= 8 && std::max(zerosOdd, zerosEven) * 5 >= probe * 2 &&
      std::min(zerosOdd, zerosEven) * 20 < probe) {
    w.detail = "the file is UTF-16 text; settings files are single-byte text";
    return w;
  }
  w.position = nul;
  w.line = lineAt(t, nul);
  w.detail = "the file holds binary data (a NUL byte at offset " + std::to_string(nul) +
             "); the text after it is not read";
  return w;
}

bool readIgnFileText(const std::string& path, std::string& text, IgnWarning* problem) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  long len = ok ? std::ftell(f) : -1;
  ok = ok && len >= 0 && len <= kIgnMaxFileSize && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    text.assign(size_t(len), '\0');
    ok = std::fread(text.data(), 1, size_t(len), f) == size_t(len);
  }
  std::fclose(f);
  if (!ok) text.clear();
  if (!ok && problem) {
    problem->kind = IgnWarningKind::TooLarge;
    problem->line = 0;
    problem->detail = len > kIgnMaxFileSize
                          ? "the file is larger than " + std::to_string(kIgnMaxFileSize) +
                                " bytes and was not read"
                          : "the file could not be read";
  }
  return ok;
}

}  // namespace q3
