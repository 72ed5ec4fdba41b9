// Multi-language strings (first cut: language setting only; selection follows).
#include "text/mstring.h"

#include <atomic>

namespace q3 {
namespace {
std::atomic<int> g_language{0};
}
int language() { return g_language.load(std::memory_order_acquire); }
void setLanguage(int lang) { g_language.store(lang, std::memory_order_release); }
char* selectText(char* text, int) { return text; }
const char* ml(const char* literal, int) { return literal; }
}  // namespace q3
