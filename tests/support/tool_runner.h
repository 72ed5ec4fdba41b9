// Runs quelin3-tool (or any program of the build) as a separate process the
// way a script does: one command line through the shell, optional standard
// input, and what it printed on stdout and stderr with its exit code.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace q3test {

struct ToolRun {
  int code = -1;  // the exit code; -1 when the program did not end normally
  std::string out;
  std::string err;
};

// program: the executable; args: the rest of the command line, already quoted
// for the shell; input: what the program reads on stdin.
inline ToolRun runTool(const std::string& program, const std::string& args,
                       const std::string& input = {}) {
  char inName[] = "/tmp/q3tool-in-XXXXXX";
  char errName[] = "/tmp/q3tool-err-XXXXXX";
  const int inFd = mkstemp(inName);
  const int errFd = mkstemp(errName);
  ToolRun r;
  if (inFd < 0 || errFd < 0) return r;
  if (!input.empty() && write(inFd, input.data(), input.size()) != ssize_t(input.size())) return r;
  close(inFd);
  close(errFd);
  const std::string cmd = program + " " + args + " <" + inName + " 2>" + errName;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::ifstream err(errName, std::ios::binary);
  r.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  std::remove(inName);
  std::remove(errName);
  return r;
}

}  // namespace q3test
