// Multi-language strings: in-place preparation, selection, the literal cache
// and the language setting.
#include "text/mstring.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "text/user_dialogs.h"

namespace q3 {
namespace {

constexpr int kMaxVersions = 3;
constexpr std::size_t kMaxVersionLength = 255;

std::atomic<int> g_language{0};

void showError(const std::string& text) { dialogs().message("Error", text, DialogKind::Error); }

std::string format(const char* fmt, const char* s) {
  std::string out(fmt);
  const std::size_t at = out.find("%s");
  if (at != std::string::npos) out.replace(at, 2, s);
  return out;
}

bool isTrailingBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Rewrites a source-form string (byte 1 == '#', byte 2 == '#') into the
// prepared form. Returns false when a version is too long; the buffer is then
// left partly prepared, as the caller's later selections will find it.
bool prepare(char* text) {
  char* start = text + 3;
  for (int k = 1; k <= kMaxVersions; ++k) {
    text[1] = static_cast<char>(k);
    char* marker = std::strstr(start, "##");
    if (!marker) break;
    *marker = '\0';
    const std::size_t length = static_cast<std::size_t>(marker - start);
    if (length > kMaxVersionLength) {
      showError(format("Prilis dlouha jazykova mutace (>255 chars) !\n%s", text));
      return false;
    }
    start[-1] = static_cast<char>(length);
    // Trim trailing white space; the version's first character always stays.
    for (char* last = marker - 1; last > start && isTrailingBlank(*last); --last) *last = '\0';
    start = marker + 2;
  }
  return true;
}

// Cache of prepared copies of literals, keyed by the literal's address. The
// copies are never freed: pointers into them are handed out for the run.
struct LiteralCache {
  std::mutex lock;
  std::unordered_map<const char*, std::unique_ptr<char[]>> prepared;

  char* find(const char* literal) {
    std::lock_guard<std::mutex> guard(lock);
    auto it = prepared.find(literal);
    return it == prepared.end() ? nullptr : it->second.get();
  }
  // Keeps `copy` unless another thread stored one first; returns the kept one.
  char* insert(const char* literal, std::unique_ptr<char[]> copy) {
    std::lock_guard<std::mutex> guard(lock);
    auto [it, added] = prepared.try_emplace(literal, std::move(copy));
    return it->second.get();
  }
};

// Never destroyed: texts handed out stay valid even for a thread that is
// still finishing while the process exits.
LiteralCache& literalCache() {
  static LiteralCache* cache = new LiteralCache;
  return *cache;
}

}  // namespace

int language() { return g_language.load(std::memory_order_acquire); }
void setLanguage(int lang) { g_language.store(lang, std::memory_order_release); }

char* selectText(char* text, int index) {
  if (!text || text[0] != '#') return text;
  if (text[1] == '#') {
    if (text[2] != '#') {
      showError(format("Chybi ### na zacatku v jazykovem retezci !\n%s", text));
      return text;
    }
    if (!prepare(text)) return text;
  }
  if (index == -1) index = language();
  if (index < 0 || index >= kMaxVersions) index = 0;

  const int count = static_cast<unsigned char>(text[1]);
  if (count == 0 || count > kMaxVersions) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "Chybny pocet jazykovych mutaci (%i > %i || %i==0) !\n ", count,
                  kMaxVersions, count);
    showError(buf);
    return text;
  }
  char* first = text + 3;
  if (index >= count) return first;
  char* version = first;
  for (int i = 0; i < index; ++i) version += static_cast<unsigned char>(version[-1]) + 2;
  if (version[0] == '\0' || std::strcmp(version, "..") == 0) return first;
  return version;
}

const char* ml(const char* literal, int index) {
  if (!literal || literal[0] != '#') return literal;
  LiteralCache& cache = literalCache();
  if (char* buf = cache.find(literal)) return selectText(buf, index);

  // First use of this literal: prepare a private copy outside the lock (the
  // preparation may show a modal error box, which must not hold the lock).
  const std::size_t size = std::strlen(literal) + 1;
  std::unique_ptr<char[]> copy(new char[size]);
  std::memcpy(copy.get(), literal, size);
  char* mine = copy.get();
  const char* chosen = selectText(mine, index);
  char* kept = cache.insert(literal, std::move(copy));
  return kept == mine ? chosen : selectText(kept, index);
}

int languageCode(int lang) {
  switch (lang) {
    case 1:
      return 1;
    case 2:
      return 3;
    default:
      return 0;
  }
}

int languageFromCode(int code, int current) {
  switch (code) {
    case 0:
      return 0;
    case 1:
      return 1;
    case 3:
      return 2;
    default:
      return current;
  }
}

}  // namespace q3
