// Save All New and Compare All.
#include "files/service_tools.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/safe_write.h"
#include "files/embedded_archive.h"
#include "files/ign_reader.h"
#include "params/param_model.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace q3 {

namespace {

// The bike list of the Bike page by bike number ("" = no entry).
const char* const kBikeTexts[kServiceBikes] = {
    "Kawasaki ZX",
    "Honda CBR 7P",
    "Honda CBR 9P",
    "Honda Shadow",
    "Honda VFR 400",
    "Honda VT 600 Shadow",
    "Honda VT 1100",
    // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one text in three languages
    "###Classic (1 lobe per revolution, 1-2 pick-ups)##Klassisch (1 Leitst. pro Umdreh. 1-2 "
    "Geber)##Klasika (1 v\xc3\xbdstupek za ot\xc3\xa1\xc4\x8dku, 1-2 snima\xc4\x8d"
    "e)",
    "Suzuki 800",
    "Suzuki GSF 400 A",
    "Suzuki GSF 400 B",
    "Suzuki GSX",
    "Suzuki SV 650",
    "Suzuki Tci 125",
    "Suzuki VS 800",
    "TDM 850",
    "Virago XV",
    "Yamaha 125 SR",
    "Yamaha Fz 750",
    "Yamaha R1",
    "Yamaha R6",
    "Yamaha XT600E",
    "",
    "###3 Cylinder, 1 pickup##3 Zylinder   1 Geber##3 v\xc3\xa1lce 1 snima\xc4\x8d",
    "Honda VFR 750",
    "Yamaha XVZ 1300",
    "Triumph Tigra",
    "Kawasaki ZX9R 00",
    "###Classic (2 lobe per revolution, 1-2 pick-ups)##Klassisch (2 Leitst. pro Umdreh. 1-2 "
    "Geber)##Klasika (2 v\xc3\xbdstupky za ot\xc3\xa1\xc4\x8dku, 1-2 snima\xc4\x8d"
    "e)",
    "###Classic (3 lobe per revolution, 1 pick-up)##Klassisch (3 Leitst. pro Umdreh. 1 "
    "Geber)##Klasika (3 v\xc3\xbdstupky za ot\xc3\xa1\xc4\x8dku, 1 snima\xc4\x8d)",
    "###Classic (1 lobe per 2 revolutions (CMPS), 1-2 pick-ups)##Klassisch (1 Leist. pro 2 "
    "Umdreh. (CMPS) 1-2 Geber)##Klasika (1 v\xc3\xbdstupek za 2 ot\xc3\xa1\xc4\x8dky "
    "(va\xc4\x8dka), 1-2 snima\xc4\x8d"
    "e)",
    "Harley",
    "Ducati inj. 48-2",
    "Laverda 3x120",
    "###3 Cylinder, 1 pickup - kick start##3 Zylinder   1 Geber - Kickstarter##3 v\xc3\xa1lce 1 "
    "snima\xc4\x8d - start na\xc5\xa1l\xc3\xa1pnut\xc3\xadm",
    "Kawasaki KZ 1300",
    "24-2 4 cyl, cam",
    "24-1 4 cyl, cam",
    "KTM 690",
    "BMW S1000RR",
    "Distributor 4cyl",
    "",
    "",
    "Mazda RX7",
};

// Lines as a C program reads them with a 300-byte buffer from a text-mode
// file: each keeps its "\n", longer lines come in pieces of 299 characters.
bool readLines(const std::string& path, std::vector<std::string>& lines) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string cur;
  int c;
  while (lines.size() < 3000 && (c = std::fgetc(f)) != EOF) {
    if (c == '\r') {
      int n = std::fgetc(f);
      if (n == '\n') {
        c = '\n';
      } else if (n != EOF) {
        std::ungetc(n, f);
      }
    }
    cur += char(c);
    if (c == '\n' || cur.size() == 299) {
      lines.push_back(cur);
      cur.clear();
    }
  }
  if (!cur.empty() && lines.size() < 3000) lines.push_back(cur);
  std::fclose(f);
  return true;
}

}  // namespace

const char* bikeListText(int bike) {
  if (bike < 0 || bike >= kServiceBikes || !kBikeTexts[bike][0]) return nullptr;
  return ml(kBikeTexts[bike]);
}

std::string bikeFileName(const std::string& bikeText) {
  std::string in = toCp1250(bikeText), out;
  bool opened = false;
  for (size_t i = 0; i < in.size(); ++i) {
    out += in[i];
    if (in[i] != ' ') continue;
    size_t j = i + 1;
    while (j < in.size() && in[j] == ' ') ++j;
    if (j - i > 1) {
      if (j < in.size() && in[j] >= '0' && in[j] <= '9') {
        out += '(';
        opened = true;
      }
      i = j - 1;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  if (opened) out += ')';
  return out;
}

std::string bikeFileNameOf(int bike) {
  const char* t = bikeListText(bike);
  return t ? bikeFileName(t) : "bike_" + std::to_string(bike);
}

std::string archiveBikeFileName(int bike) {
  const size_t room = size_t(kArchiveNameMax) - 4;  // ".ign"
  std::string name = bikeFileNameOf(bike);
  if (name.size() <= room) return name;
  const std::string longWord = "revolutions";
  for (size_t at; (at = name.find(longWord)) != std::string::npos;)
    name.replace(at, longWord.size(), "rev");
  if (name.size() > room) name.resize(room);
  return name;
}

ParamImage defaultImageForBike(int bike) {
  ParamModel m;
  m.image().clear();
  m.image().setByte(170, bike);
  m.applyDefaults(-1);
  m.sanitize();
  return m.image();
}

int saveAllNew(const std::string& dir, const IgnWriteInfo& info, UserDialogs& dialogs,
               std::string (*nameOf)(int bike)) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  int written = 0;
  for (int bike = 0; bike < kServiceBikes; ++bike) {
    std::string path = dir + "/" + nameOf(bike) + ".ign";
    std::string why;
    if (writeIgnText(path, renderIgn(defaultImageForBike(bike), info), &why))
      ++written;
    else
      dialogs.message("QUELIN3", std::string(ml(kMsgOpenFileError)) + "\n" + why,
                      DialogKind::Error);
  }
  return written;
}

bool compareAll(const std::string& newDir, const std::string& oldDir, const std::string& reportPath,
                UserDialogs& dialogs) {
  std::string rep;
  for (int bike = 0; bike < kServiceBikes; ++bike) {
    const char* text = bikeListText(bike);
    rep += "------------------------------------------------------   " +
           toCp1250(text ? text : "") + "\n";
    std::string name = bikeFileNameOf(bike) + ".ign";
    std::vector<std::string> oldLines, newLines;
    if (!readLines(std::string(oldDir).append("/").append(name), oldLines)) {
      rep += "!!!!!!!!!soubor \"old\" se nepodarilo otevrit \n";
      continue;
    }
    if (!readLines(std::string(newDir).append("/").append(name), newLines)) {
      rep += "!!!!!!!!!soubor \"akt\" se nepodarilo otevrit !!!!!!!!!!!!!!\n";
      continue;
    }
    size_t n = std::min(oldLines.size(), newLines.size());
    for (size_t k = 0; k < n; ++k) {
      std::string& o = oldLines[k];
      const std::string& a = newLines[k];
      if (o == a || o.compare(0, 3, "EXE") == 0) continue;
      for (size_t i = 0; i < std::min(o.size(), a.size()); ++i)
        if (o[i] == a[i]) o[i] = ' ';
      rep.append("....line:")
          .append(std::to_string(k + 1))
          .append("\n")
          .append(o)
          .append("\n")
          .append(a)
          .append("\n");
    }
  }
  if (!writeFileSafely(reportPath, rep).ok) return false;
  dialogs.message("QUELIN3", "Results in file \"" + reportPath + "\"", DialogKind::Information);
  return true;
}

}  // namespace q3
