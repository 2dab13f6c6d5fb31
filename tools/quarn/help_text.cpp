#include "quarn/help_text.h"

#include "core/support/command_line_info.h"

namespace korvex::quarn {

std::string HelpText() {
  return std::string(R"(Usage: quarn.exe INPUT [-sh] [-sea] [-elmcnt] [-dtp] [-o:REPORT] [-maxlines:N] [-threads:N]
       quarn.exe --help | --version

Scans the GDSII file INPUT and writes the plain-text scan report that Korvex reads:
structures, layers and datatypes in use, element counts, extents and the hierarchy.
)") + std::string(kCompressedHelp) + R"(
Switches:
  -sh, -sea, -elmcnt, -dtp
                 accepted as the front end passes them; every section of the
                 report is always written
  -o:REPORT      the report file (default: INPUT's name with the extension .ssn,
                 in the current folder); written beside it and renamed when complete
  -maxlines:N    draw at most about N lines of hierarchy (default 1000000); later
                 repeats of a subtree already drawn then show only their own line
  -threads:N     read the file with N threads, 1 to 64 (default: one per
                 processor, at most 4)
  --help         show this text and exit
  --version      show the version and exit
Other switches are ignored with a warning on standard error.

)" + std::string(kProgressHelp) + R"(
Exit status:
  0  the report was written (warnings about the input go to standard error)
  1  the input cannot be read or is not GDSII, or the report cannot be written;
     the reason is on standard error and no report is left
  2  no input file was given
)";
}

}  // namespace korvex::quarn
