// quelin3-tool texts: prints every text that apply-texts writes into the main
// window, in apply order, and the named texts, for one language. Useful to
// review translations and the control names the tables expect.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli_command.h"
#include "text/mstring.h"
#include "text/named_texts.h"
#include "text/ui_texts.h"

namespace {

std::string escaped(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (*p == '\n')
      out += "\\n";
    else
      out += *p;
  }
  return out;
}

class PrintingTarget : public q3::TextTarget {
 public:
  void setMenuCaption(const char* n, const char* t) override { line("menu", n, t); }
  void setCaption(const char* n, const char* t) override { line("caption", n, t); }
  void setItems(const char* n, const char* t) override { line("items", n, t); }
  void setHint(const char* n, const char* t) override { line("hint", n, t); }
  void setChecked(const char* n, bool on) override { line("checked", n, on ? "yes" : "no"); }
  void setVisible(const char* n, bool on) override { line("visible", n, on ? "yes" : "no"); }

 private:
  static void line(const char* kind, const char* name, const char* text) {
    std::printf("%-8s %-28s %s\n", kind, name, escaped(text).c_str());
  }
};

int languageArg(const std::string& a) {
  const char* names[3][2] = {{"en", "ENGLISH"}, {"de", "DEUTSCH"}, {"cz", "CESKY"}};
  for (int lang = 0; lang < 3; ++lang)
    for (const char* n : names[lang])
      if (a == n) return lang;
  return -1;
}

int runTexts(const std::vector<std::string>& args) {
  int lang = 0;
  int servoSensor = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--servo-sensor" && i + 1 < args.size()) {
      servoSensor = std::atoi(args[++i].c_str());
    } else if (languageArg(args[i]) >= 0) {
      lang = languageArg(args[i]);
    } else {
      std::fprintf(stderr, "texts: unknown argument '%s'\n", args[i].c_str());
      return 2;
    }
  }
  q3::setLanguage(lang);
  PrintingTarget target;
  q3::applyTexts(target, servoSensor);
  for (int slot = 0; slot < q3::kNamedTextCount; ++slot)
    std::printf("named    %-28d %s\n", slot, escaped(q3::namedText(slot)).c_str());
  for (int input = 1; input <= q3::kMultifunctionInputs; ++input)
    std::printf("input    %-28d %s\n", input, q3::inputCaption(input));
  return 0;
}

const q3cli::CliRegistrar kTexts({"texts", "texts [en|de|cz] [--servo-sensor N]",
                                  "print the window texts and named texts of one language",
                                  runTexts});

}  // namespace
