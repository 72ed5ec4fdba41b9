// quelin3-tool map: the maps of a settings file as the map editor's
// clipboard carries them, for scripted workshops.
//
//   map list                                   one map per line: NAME, tab, caption
//   map export FILE.ign MAP [--sheet]          the copy-entire-table text on stdout:
//                                              the plain grid, or the sheet format
//   map import FILE.ign MAP -o OUT.ign [--at ROW,COL]
//                                              pastes stdin: the sheet format when it
//                                              is one, plain text from ROW,COL
//
// The texts are byte for byte those of the clipboard (no line feed after the
// last row); --language cz writes decimal commas. Exit codes: 0 done, 1 the
// file was not accepted or the paste changed nothing or was refused (its
// message on stderr), 2 wrong arguments.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_files.h"
#include "files/ign_document.h"
#include "maps/map_defs.h"
#include "maps/map_paste.h"
#include "maps/sheet_text.h"
#include "params/param_model.h"
#include "text/mstring.h"

namespace q3cli {

namespace {

struct MapName {
  const char* name;
  int owner;
  int sheet;
  const char* caption;  // multi-language
};

const MapName kMaps[] = {
    {"adv1", q3::kOwnerAdvance, 0, "###Advance 1##Vorzündung 1##Předstih 1"},
    {"adv2", q3::kOwnerAdvance, 1, "###Advance 2##Vorzündung 2##Předstih 2"},
    {"servo", q3::kOwnerServo, 0, "###Servo##Servo##Servo"},
    {"tps", q3::kOwnerTpsCurve, 0, "###TP sensor##TP Sensor##Snímač TP"},
    {"iap", q3::kOwnerIapCurve, 0, "###IAP sensor##IAP sensor##Snímač IAP"},
    {"lambda", q3::kOwnerLambdaCurve, 0, "###Lambda sensor##Lambdasonde##Lambda sonda"},
    {"lambda-rpm", q3::kOwnerLambdaRpm, 0,
     "###Lambda on RPM##Lambda über Drehzahl##Lambda podle otáček"},
    {"pout1", q3::kOwnerPoutCondition + 0, 0,
     "###Power output 1: conditions##Leistungsausgang 1: Bedingungen##Výkonový výstup 1: podmínky"},
    {"pout2", q3::kOwnerPoutCondition + 1, 0,
     "###Power output 2: conditions##Leistungsausgang 2: Bedingungen##Výkonový výstup 2: podmínky"},
    {"pout3", q3::kOwnerPoutCondition + 2, 0,
     "###Power output 3: conditions##Leistungsausgang 3: Bedingungen##Výkonový výstup 3: podmínky"},
    {"pwm1", q3::kOwnerPoutPwm + 0, 0,
     "###Power output 1: PWM table##Leistungsausgang 1: PWM-Tabelle##Výkonový výstup 1: tabulka "
     "PWM"},
    {"pwm2", q3::kOwnerPoutPwm + 1, 0,
     "###Power output 2: PWM table##Leistungsausgang 2: PWM-Tabelle##Výkonový výstup 2: tabulka "
     "PWM"},
    {"pwm3", q3::kOwnerPoutPwm + 2, 0,
     "###Power output 3: PWM table##Leistungsausgang 3: PWM-Tabelle##Výkonový výstup 3: tabulka "
     "PWM"},
};

const MapName* findMap(const std::string& name, const char* cmd) {
  for (const MapName& m : kMaps)
    if (name == m.name) return &m;
  std::fprintf(stderr, "quelin3-tool map %s: no map \"%s\" (see \"map list\")\n", cmd,
               name.c_str());
  return nullptr;
}

int usage() {
  std::fprintf(stderr,
               "usage: quelin3-tool map list\n"
               "       quelin3-tool map export FILE.ign MAP [--sheet]\n"
               "       quelin3-tool map import FILE.ign MAP -o OUT.ign [--at ROW,COL]\n"
               "MAP is a name of \"map list\"; ROW,COL count from 0, -1 is the header "
               "row or column\n");
  return 2;
}

// A settings file opened with one of its maps defined, loaded and current.
struct OpenMap {
  q3::ParamModel params;
  q3::MapModel map;
  explicit OpenMap(const MapName& m) : map(q3::mapControlSetup(m.owner).options, m.owner) {}
};

bool openMap(OpenMap& o, const MapName& m, const std::string& file, const char* cmd) {
  if (!openInto(o.params, file, false)) {
    std::fprintf(stderr, "quelin3-tool map %s: \"%s\" was not accepted\n", cmd, file.c_str());
    return false;
  }
  q3::defineMap(o.map);
  q3::loadMap(o.map, o.params.image());
  o.map.selectSheet(m.sheet);
  return true;
}

bool parseAt(const std::string& s, q3::ElemRef* at) {
  const size_t comma = s.find(',');
  if (comma == std::string::npos) return false;
  char* end = nullptr;
  const long row = std::strtol(s.c_str(), &end, 10);
  if (end != s.c_str() + comma) return false;
  const long col = std::strtol(s.c_str() + comma + 1, &end, 10);
  if (*end != '\0' || row < -1 || col < -1 || row >= q3::kMaxRows || col >= q3::kMaxColumns)
    return false;
  *at = q3::ElemRef{static_cast<int>(col), static_cast<int>(row)};
  return at->valid();
}

int runList() {
  for (const MapName& m : kMaps) std::printf("%s\t%s\n", m.name, q3::ml(m.caption));
  return 0;
}

int runExport(const std::vector<std::string>& args) {
  std::vector<std::string> plain;
  bool sheet = false;
  for (const std::string& a : args) {
    if (a == "--sheet")
      sheet = true;
    else
      plain.push_back(a);
  }
  if (plain.size() != 2) return usage();
  const MapName* m = findMap(plain[1], "export");
  if (!m) return 2;
  OpenMap o(*m);
  if (!openMap(o, *m, plain[0], "export")) return 1;
  const q3::TableTexts t =
      q3::copyTableTexts(o.map.cur(), o.map.compact(), q3::copyDecimalSeparator());
  const std::string& out = sheet ? t.sheet : t.plain;
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

int runImport(const std::vector<std::string>& args) {
  std::vector<std::string> plain;
  std::string outPath;
  q3::ElemRef at;
  bool atGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      outPath = args[++i];
    } else if (args[i] == "--at" && i + 1 < args.size()) {
      if (!parseAt(args[++i], &at)) {
        std::fprintf(stderr, "quelin3-tool map import: --at takes ROW,COL\n");
        return 2;
      }
      atGiven = true;
    } else {
      plain.push_back(args[i]);
    }
  }
  if (plain.size() != 2 || outPath.empty()) return usage();
  const MapName* m = findMap(plain[1], "import");
  if (!m) return 2;
  OpenMap o(*m);
  if (!openMap(o, *m, plain[0], "import")) return 1;
  // Each committed change is stored into the image, as the window stores it.
  o.map.setOwnerNotify([&o](q3::MapModel& t) { q3::storeMap(t, o.params.image()); });
  const std::string text(std::istreambuf_iterator<char>(std::cin), {});
  const q3::MapSheet& s = o.map.cur();
  if (!atGiven) at = q3::ElemRef{s.dataColumn(0), s.dataRow(0)};
  const q3::PasteResult r =
      q3::isSheetText(text) ? q3::pasteSheet(o.map, text) : q3::pastePlainAt(o.map, text, at);
  if (r.status == q3::PasteStatus::Refused) {
    std::fprintf(stderr, "%s\n", r.message.c_str());
    return 1;
  }
  if (r.status == q3::PasteStatus::Nothing) {
    std::fprintf(stderr,
                 "quelin3-tool map import: nothing was pasted (no label of the table matches "
                 "map \"%s\", or its elements there are not editable)\n",
                 m->name);
    return 1;
  }
  q3::IgnDocument doc(o.params, q3::dialogs());
  if (!doc.save(outPath)) return 1;
  return 0;
}

int runMap(const std::vector<std::string>& args) {
  if (args.empty()) return usage();
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "list" && rest.empty()) return runList();
  if (args[0] == "export") return runExport(rest);
  if (args[0] == "import") return runImport(rest);
  return usage();
}

const CliRegistrar kMap(
    {"map",
     "map list | export FILE.ign MAP [--sheet] | import FILE.ign MAP -o OUT.ign [--at ROW,COL]",
     "the maps of a settings file as clipboard text: list, copy, paste", runMap});

}  // namespace

}  // namespace q3cli
