// quelin3-tool's settings-file and archive commands, run as a program:
// exit codes, printed results and the files they write.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "files/files_fixture.h"
#include "support/tool_runner.h"

namespace {

using q3test::ToolRun;

class ToolCli : public q3test::ScratchDir {
 protected:
  ToolRun tool(const std::string& args) { return q3test::runTool(Q3_TOOL, args); }
  std::string q(const std::string& leaf) { return "'" + path(leaf) + "'"; }
  // stdout and stderr together, the command run by sh (so that a prefix such
  // as "ulimit -f 1;" applies to it).
  ToolRun shell(const std::string& prefix, const std::string& args,
                const std::string& suffix = "") {
    std::string cmd = prefix + " " + std::string(Q3_TOOL) + " " + args + " 2>&1 " + suffix;
    ToolRun r{-1, {}};
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
  }
};

TEST_F(ToolCli, ArchiveUnknownCommandFails) {
  writeAll(path("host.bin"), std::string(100, 'h'));
  ToolRun r = shell("", "archive " + q("host.bin") + " 'SET x.txt 1' 'SAEV'");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("SAEV\n (error)\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("ERROR - unknown command: SAEV"), std::string::npos) << r.out;
}

TEST_F(ToolCli, DefaultsOutputThroughTheSafeWrite) {
  // A FIFO is written, not replaced by a regular file.
  ASSERT_EQ(mkfifo(path("pipe").c_str(), 0644), 0);
  ToolRun viaFifo = shell("cat " + q("pipe") + " > " + q("fromfifo") + " &",
                          "defaults -o " + q("pipe"), "; wait");
  EXPECT_EQ(viaFifo.code, 0) << viaFifo.out;
  EXPECT_TRUE(std::filesystem::is_fifo(path("pipe")));
  ToolRun plain = tool("defaults");
  EXPECT_EQ(readAll(path("fromfifo")), plain.out);
  // /dev/stdout stays the terminal or pipe it is.
  ToolRun toStdout = shell("", "defaults -o /dev/stdout");
  EXPECT_EQ(toStdout.code, 0);
  EXPECT_EQ(toStdout.out, plain.out);
  // A size limit (as a full disk) keeps the old file and names the cause.
  writeAll(path("default.ini"), "old");
  // (SIGXFSZ ignored, so the write fails with an error as on a full disk.)
  ToolRun limited = shell("ulimit -f 1; trap '' XFSZ;", "defaults -o " + q("default.ini"));
  EXPECT_EQ(limited.code, 1);
  EXPECT_NE(limited.out.find("file too large"), std::string::npos) << limited.out;
  EXPECT_EQ(readAll(path("default.ini")), "old");
}

TEST_F(ToolCli, DumpOfAFileWithHolesWarnsOnStderrAndSucceeds) {
  ASSERT_EQ(tool("defaults --bike 7 --ign " + q("seven.ign")).code, 0);
  const std::string whole = readAll(path("seven.ign"));
  writeAll(path("half.ign"), whole.substr(0, whole.size() / 2));
  ToolRun r = shell("", "dump " + q("half.ign"), ">/dev/null");
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("the file ends inside"), std::string::npos) << r.out;
  writeAll(path("bom.ign"), "\xEF\xBB\xBF" + whole);
  r = shell("", "dump " + q("bom.ign"), ">/dev/null");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("byte-order mark"), std::string::npos) << r.out;
}

TEST_F(ToolCli, ArchiveCommandsPrintTheirResults) {
  writeAll(path("host.bin"), std::string(1000, 'h'));
  ToolRun r = tool("archive " + q("host.bin") + " 'SET \\a\\x.txt hello' 'MKDIR \\d' SAVE");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "OPEN \"" + path("host.bin") +
                       "\"\n (opened)\nSET \\a\\x.txt hello\n (file rewritten)\n"
                       "MKDIR \\d\n (directory created)\nSAVE\n (stored 321 bytes - 3 items)\n");
  r = tool("archive " + q("host.bin") + " 'DELETE \\nothing' 'EXPORT \\a " + path("") + "'");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("DELETE \\nothing\n (error)\n"), std::string::npos);
  EXPECT_NE(r.out.find(" (1 files extracted)\n"), std::string::npos);
  EXPECT_EQ(readAll(path("a/x.txt")), "hello");
}

TEST_F(ToolCli, DefaultsDumpConvertAndDiff) {
  ASSERT_EQ(tool("defaults --bike 7 --ign " + q("seven.ign")).code, 0);
  ASSERT_EQ(tool("defaults --bike 20 --ign " + q("twenty.ign")).code, 0);
  ToolRun dump = tool("dump " + q("seven.ign"));
  EXPECT_EQ(dump.code, 0);
  EXPECT_EQ(dump.out.substr(0, 6), "  188 ");  // word 0 low byte of the throttle calibration

  ToolRun same = tool("diff " + q("seven.ign") + " " + q("seven.ign"));
  EXPECT_EQ(same.code, 0);
  EXPECT_EQ(same.out, "");
  ToolRun differ = tool("diff " + q("seven.ign") + " " + q("twenty.ign"));
  EXPECT_EQ(differ.code, 1);
  EXPECT_EQ(differ.out.substr(0, 16), "BIKE[1]: 7 -> 20");

  // An older file becomes a current one with the values it carried.
  writeAll(path("old.ign"), "KORVELAN_KEY 48\r\nLIMITER 30 60 90\r\nBIKE 7\r\n");
  ASSERT_EQ(tool("convert " + q("old.ign") + " " + q("new.ign")).code, 0);
  std::string converted = readAll(path("new.ign"));
  EXPECT_EQ(converted.substr(0, 20), "KORVELAN_KEY     104");
  EXPECT_NE(converted.find(
                "\r\nLIMITER           90 \r\nSTART_LIM_MIN     30 \r\nSTART_LIM         60 \r\n"),
            std::string::npos);

  writeAll(path("foreign.ign"), "KORVELAN_KEY 97\r\nBIKE 7\r\n");
  EXPECT_EQ(tool("dump " + q("foreign.ign")).code, 1);
  EXPECT_EQ(tool("convert " + q("foreign.ign") + " " + q("x.ign")).code, 1);
  EXPECT_EQ(tool("dump " + q("missing.ign")).code, 1);
}

}  // namespace
