// A sectioned key file ("[SECTION]" lines and "Key=Value" lines) kept in
// memory in file order, and the safe write of any settings file: the text goes
// to a temporary file in the same folder, which is then renamed over the old
// one, so a crash or a full disk never leaves a truncated file behind.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/safe_write.h"

namespace q3 {

// The longest value a read returns; longer values are cut.
inline constexpr size_t kMaxKeyValue = 8190;

class KeyFile {
 public:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
  };

  // Reads path; a missing or unreadable file gives an empty key file.
  bool load(const std::string& path);
  void parse(const std::string& text);
  std::string text() const;
  // Writes the whole file safely (temporary file + rename). False on failure,
  // in which case the old file is untouched.
  bool save(const std::string& path) const;

  // Section and key names compare without regard to case.
  std::optional<std::string> value(const std::string& section, const std::string& key) const;
  int intValue(const std::string& section, const std::string& key, int def) const;
  void set(const std::string& section, const std::string& key, const std::string& value);
  void remove(const std::string& section, const std::string& key);
  Section* section(const std::string& name);
  const std::vector<Section>& sections() const { return m_sections; }

 private:
  const Section* findSection(const std::string& name) const;
  std::vector<Section> m_sections;
};

}  // namespace q3
