#include "ui/shell/browser_command.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using Words = std::vector<std::string>;

TEST(BrowserCommand, CutAtThePlaceholderThenTheAddress) {
  // The blank before the placeholder stays, one more blank precedes the address.
  EXPECT_EQ(BrowserCommandLine("\"/opt/web browser/run\" -nohome \"%u\"", "https://x.example/a"),
            "\"/opt/web browser/run\" -nohome  https://x.example/a");
  EXPECT_EQ(BrowserCommandLine("firefox %u", "u"), "firefox  u");
  EXPECT_EQ(BrowserCommandLine("browser --new-window %U --x", "u"), "browser --new-window  u");
  EXPECT_EQ(BrowserCommandLine("viewer %f", "u"), "viewer  u");
  EXPECT_EQ(BrowserCommandLine("browser", "u"), "browser u");
}

TEST(BrowserCommand, ExecLineOfTheMainEntryOnly) {
  const char* text =
      "[Desktop Entry]\r\nName=Web\r\nExecutable=no\r\nExec = /usr/bin/web %u\r\n"
      "[Desktop Action new-window]\nExec=/usr/bin/web --new-window %u\n";
  EXPECT_EQ(DesktopExecLine(text), "/usr/bin/web %u");
  EXPECT_EQ(DesktopExecLine("[Desktop Action x]\nExec=other\n"), "");
}

TEST(BrowserCommand, ExecLineSplitsByDesktopQuoting) {
  EXPECT_EQ(SplitExecLine("\"/opt/web browser/run\"  -a \"say \\\"hi\\\"\" url"),
            (Words{"/opt/web browser/run", "-a", "say \"hi\"", "url"}));
  EXPECT_EQ(SplitExecLine(""), Words{});
}

TEST(BrowserCommand, ApplicationFoldersInOrder) {
  EXPECT_EQ(ApplicationFolders(nullptr, nullptr, "/home/ann"),
            (Words{"/home/ann/.local/share/applications", "/usr/local/share/applications", "/usr/share/applications"}));
  EXPECT_EQ(ApplicationFolders("/d", "/x::/y", "/home/ann"), (Words{"/d/applications", "/x/applications", "/y/applications"}));
}

}  // namespace
}  // namespace korvex
