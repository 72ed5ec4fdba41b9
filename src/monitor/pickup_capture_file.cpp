// Reading and writing pickup captures, and the CSV export.
#include "monitor/pickup_capture_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "base/key_file.h"

namespace q3 {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// A whole decimal number within lo..hi.
bool number(std::string_view s, long lo, long hi, long& out) {
  const std::string t(s);
  if (t.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(t.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || v < lo || v > hi) return false;
  out = v;
  return true;
}

// "0x" and up to eight hexadecimal digits.
bool word(std::string_view s, uint32_t& out) {
  if (s.size() < 3 || s.size() > 10 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X')) return false;
  uint32_t v = 0;
  for (char c : s.substr(2)) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v << 4 | uint32_t(d);
  }
  out = v;
  return true;
}

}  // namespace

std::string formatPickupCapture(const PickupBlock& b) {
  std::string out = kPickupCaptureHeader;
  out += "\nSTATE=" + std::to_string(b.state);
  out += "\nPERIOD=" + std::to_string(b.selector);
  out += "\nMONITOR_RPM=" + std::to_string(b.monitorRpm);
  out += "\nSAMPLES=" + std::to_string(b.samples.size()) + "\n";
  char buf[16];
  for (size_t i = 0; i < b.samples.size(); ++i) {
    std::snprintf(buf, sizeof buf, "0x%08x", b.samples[i]);
    out += buf;
    out += (i % 8 == 7 || i + 1 == b.samples.size()) ? '\n' : ' ';
  }
  return out;
}

PickupFileResult parsePickupCapture(std::string_view text) {
  PickupFileResult r;
  long declared = -1;
  int lineNo = 0;
  bool header = false;
  bool tooMany = false;
  while (!text.empty()) {
    const size_t nl = text.find('\n');
    const std::string_view line = trim(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    ++lineNo;
    if (!header) {
      if (line != kPickupCaptureHeader) {
        r.error = "not a pickup capture";
        return r;
      }
      header = true;
      continue;
    }
    if (line.empty()) continue;
    const size_t eq = line.find('=');
    if (eq != std::string_view::npos) {
      const std::string_view key = trim(line.substr(0, eq));
      const std::string_view val = trim(line.substr(eq + 1));
      long v = 0;
      bool good = true;
      if (key == "STATE")
        good = number(val, 0, 255, v) && (r.block.state = uint8_t(v), true);
      else if (key == "PERIOD")
        good = number(val, 0, 255, v) && (r.block.selector = uint8_t(v), true);
      else if (key == "MONITOR_RPM")
        good = number(val, 0, 65535, v) && (r.block.monitorRpm = int(v), true);
      else if (key == "SAMPLES")
        good = number(val, 0, 1L << 30, v) && (declared = v, true);
      else
        r.warnings.push_back({lineNo, "unknown key " + std::string(key)});
      if (!good) r.warnings.push_back({lineNo, "unusable value of " + std::string(key)});
      continue;
    }
    std::string_view rest = line;
    while (!rest.empty()) {
      const size_t sp = rest.find_first_of(" \t");
      const std::string_view tok = rest.substr(0, sp);
      rest = sp == std::string_view::npos ? std::string_view() : trim(rest.substr(sp));
      uint32_t w = 0;
      if (!word(tok, w)) {
        r.error = "line " + std::to_string(lineNo) + ": not a sample: " + std::string(tok);
        r.block = {};  // a refused file gives nothing half-read
        return r;
      }
      if (r.block.samples.size() < size_t(kPickupMaxSamples))
        r.block.samples.push_back(w);
      else
        tooMany = true;
    }
  }
  if (!header) {
    r.error = "empty file";
    return r;
  }
  if (tooMany)
    r.warnings.push_back(
        {lineNo, "more than " + std::to_string(kPickupMaxSamples) + " samples; the rest ignored"});
  if (declared >= 0 && size_t(declared) != r.block.samples.size() && !tooMany)
    r.warnings.push_back({lineNo, "SAMPLES says " + std::to_string(declared) + ", the file holds " +
                                      std::to_string(r.block.samples.size())});
  r.ok = true;
  return r;
}

bool savePickupCapture(const std::string& path, const PickupBlock& block) {
  return writeFileSafely(path, formatPickupCapture(block)).ok;
}

PickupFileResult loadPickupCapture(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    PickupFileResult r;
    r.error = "cannot open " + path;
    return r;
  }
  std::string text;
  text.resize(kPickupCaptureMaxBytes + 1);
  in.read(text.data(), std::streamsize(text.size()));
  text.resize(size_t(in.gcount()));
  if (text.size() > kPickupCaptureMaxBytes) {
    PickupFileResult r;
    r.error = "file too large";
    return r;
  }
  return parsePickupCapture(text);
}

std::string pickupCsv(const PickupBlock& b) {
  std::string out = "time_us,phase,curve1,curve2,out1,out2,out3,out4\n";
  int64_t offset = 0;
  int64_t first = 0;
  uint32_t prev = 0;
  char buf[96];
  for (size_t i = 0; i < b.samples.size(); ++i) {
    const uint32_t s = b.samples[i];
    const uint32_t t = sampleTime(s);
    if (i == 0)
      first = t;
    else if (t < prev)
      offset += kPickupTimeWrap;
    prev = t;
    const double us = double(t + offset - first) * kPickupTickSeconds * 1e6;
    std::snprintf(buf, sizeof buf, "%.1f,%d,%u,%u,%u,%u,%u,%u\n", us, samplePhase(s), (s >> 26) & 1,
                  (s >> 27) & 1, (s >> 28) & 1, (s >> 29) & 1, (s >> 30) & 1, (s >> 31) & 1);
    out += buf;
  }
  return out;
}

bool savePickupCsv(const std::string& path, const PickupBlock& block) {
  return writeFileSafely(path, pickupCsv(block)).ok;
}

}  // namespace q3
