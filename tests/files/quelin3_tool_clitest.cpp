// quelin3-tool's settings-file and archive commands, run as a program:
// exit codes, printed results and the files they write.
#include <gtest/gtest.h>

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
};

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
