#include <gtest/gtest.h>

#include "framework/CommandLineInfo.h"

namespace dalvren {
namespace {

TEST(CommandLineInfo, ReadsTheArguments) {
  struct Case {
    QStringList arguments;
    int command;
    const char* file;
    const char* error;
  };
  const Case cases[] = {
      {{}, CCommandLineInfo::FileNew, "", ""},
      {{"table.tbl"}, CCommandLineInfo::FileOpen, "table.tbl", ""},
      {{"--help"}, CCommandLineInfo::AppHelp, "", ""},
      {{"a.tbl", "-h"}, CCommandLineInfo::AppHelp, "a.tbl", ""},
      {{"--version"}, CCommandLineInfo::AppVersion, "", ""},
      {{"--", "-odd.tbl"}, CCommandLineInfo::FileOpen, "-odd.tbl", ""},
      {{"-"}, CCommandLineInfo::FileOpen, "-", ""},
      {{"--", "--help"}, CCommandLineInfo::FileOpen, "--help", ""},
      {{"-x"}, CCommandLineInfo::AppUsageError, "", "unknown option '-x'"},
      {{"a.tbl", "b.tbl"},
       CCommandLineInfo::AppUsageError,
       "a.tbl",
       "more than one file given"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    CCommandLineInfo info;
    info.ParseArguments(c.arguments);
    EXPECT_EQ(info.m_nShellCommand, c.command);
    EXPECT_EQ(info.m_strFileName, QString::fromLatin1(c.file));
    EXPECT_EQ(info.m_strError, QString::fromLatin1(c.error));
  }
}

}  // namespace
}  // namespace dalvren
