// Sectioned key file.
#include "base/key_file.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace q3 {

namespace {
bool sameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}
std::string trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}
}  // namespace

bool KeyFile::load(const std::string& path) {
  m_sections.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  parse(ss.str());
  return true;
}

void KeyFile::parse(const std::string& text) {
  m_sections.clear();
  Section* cur = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size();
    std::string line = trim(text.substr(pos, nl - pos));
    pos = nl + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      size_t close = line.find(']');
      std::string name = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
      cur = section(name);
      if (!cur) {
        m_sections.push_back({name, {}});
        cur = &m_sections.back();
      }
      continue;
    }
    size_t eq = line.find('=');
    if (!cur || eq == std::string::npos) continue;
    std::string key = trim(line.substr(0, eq));
    std::string val = trim(line.substr(eq + 1));
    if (val.size() >= 2 && val.front() == '"' && val.back() == '"')
      val = val.substr(1, val.size() - 2);
    bool found = false;
    for (auto& kv : cur->keys)
      if (sameName(kv.first, key)) {
        found = true;  // the first occurrence counts, as a reader would find it
        break;
      }
    if (!found) cur->keys.emplace_back(key, val);
  }
}

std::string KeyFile::text() const {
  std::string out;
  for (const auto& s : m_sections) {
    out += "[" + s.name + "]\n";
    for (const auto& kv : s.keys) out += kv.first + "=" + kv.second + "\n";
    out += "\n";
  }
  return out;
}

bool KeyFile::save(const std::string& path) const { return writeFileSafely(path, text()).ok; }

const KeyFile::Section* KeyFile::findSection(const std::string& name) const {
  for (const auto& s : m_sections)
    if (sameName(s.name, name)) return &s;
  return nullptr;
}

KeyFile::Section* KeyFile::section(const std::string& name) {
  return const_cast<Section*>(findSection(name));
}

std::optional<std::string> KeyFile::value(const std::string& sec, const std::string& key) const {
  const Section* s = findSection(sec);
  if (!s) return std::nullopt;
  for (const auto& kv : s->keys)
    if (sameName(kv.first, key))
      return kv.second.size() > kMaxKeyValue ? kv.second.substr(0, kMaxKeyValue) : kv.second;
  return std::nullopt;
}

int KeyFile::intValue(const std::string& sec, const std::string& key, int def) const {
  auto v = value(sec, key);
  if (!v || v->empty()) return def;
  errno = 0;
  char* end = nullptr;
  long n = std::strtol(v->c_str(), &end, 10);
  // A value that is not a whole number gives the default.
  if (end == v->c_str() || *end != '\0' || errno == ERANGE || n < INT32_MIN || n > INT32_MAX)
    return def;
  return static_cast<int>(n);
}

void KeyFile::set(const std::string& sec, const std::string& key, const std::string& val) {
  Section* s = section(sec);
  if (!s) {
    m_sections.push_back({sec, {}});
    s = &m_sections.back();
  }
  for (auto& kv : s->keys)
    if (sameName(kv.first, key)) {
      kv.second = val;
      return;
    }
  s->keys.emplace_back(key, val);
}

void KeyFile::remove(const std::string& sec, const std::string& key) {
  Section* s = section(sec);
  if (!s) return;
  for (auto it = s->keys.begin(); it != s->keys.end(); ++it)
    if (sameName(it->first, key)) {
      s->keys.erase(it);
      return;
    }
}

}  // namespace q3
