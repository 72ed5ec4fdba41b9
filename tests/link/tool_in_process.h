// quelin3-tool's commands run in the test's own process (q3cli::toolMain),
// their stdout and stderr caught in files, and their link sessions on a
// virtual bench (virtual_bench.h): the same code as the program, minus the
// process and the wall clock.
#pragma once

#include <unistd.h>

#include <QString>
#include <QStringList>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_command.h"
#include "text/mstring.h"

namespace q3test {

// Catches what is written to one of the standard streams (1 or 2) until taken.
class StreamCapture {
 public:
  explicit StreamCapture(int fd) : m_fd(fd) {
    std::fflush(nullptr);
    m_file = std::tmpfile();
    m_saved = ::dup(fd);
    if (m_file && m_saved >= 0) ::dup2(::fileno(m_file), fd);
  }
  ~StreamCapture() { take(); }
  StreamCapture(const StreamCapture&) = delete;
  StreamCapture& operator=(const StreamCapture&) = delete;

  // Ends the capture and returns what was written.
  std::string take() {
    std::string text;
    if (m_saved < 0) return text;
    std::fflush(nullptr);
    ::dup2(m_saved, m_fd);
    ::close(m_saved);
    m_saved = -1;
    if (!m_file) return text;
    std::rewind(m_file);
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, m_file)) > 0;) text.append(buf, n);
    std::fclose(m_file);
    m_file = nullptr;
    return text;
  }

 private:
  int m_fd;
  int m_saved = -1;
  std::FILE* m_file = nullptr;
};

struct ToolResult {
  int code;
  QString out, err;
};

// Runs one quelin3-tool command line (without the program name) as main()
// would, in a fresh language state (English, as a new process starts).
inline ToolResult runToolInProcess(const QStringList& args) {
  std::vector<std::string> all = {"quelin3-tool"};
  for (const QString& a : args) all.push_back(a.toStdString());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  q3::setLanguage(0);
  StreamCapture out(1), err(2);
  const int code = q3cli::toolMain(int(all.size()), argv.data());
  const std::string o = out.take(), e = err.take();
  q3::setLanguage(0);
  return {code, QString::fromStdString(o), QString::fromStdString(e)};
}

}  // namespace q3test
