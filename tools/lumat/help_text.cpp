#include "lumat/help_text.h"

#include "core/support/command_line_info.h"

namespace korvex::lumat {

std::string HelpText() {
  return std::string(R"(Usage: lumat.exe FILE [-title:TEXT] [-top:NAME]
       lumat.exe --help | --version

Shows a structure of the GDSII file FILE with its hierarchy in a window: wheel to zoom
at the cursor, drag to pan, Home or F to fit, a layer list with check boxes, the
cursor position in user units in the status bar.
)") + std::string(kCompressedHelp) + R"(
Switches (their names in any case):
  -title:TEXT    the window's title
  -top:NAME      the structure shown (%XX stands for a byte of the name); without it,
                 or empty, the independent structure with the deepest tree
  --help         show this text and exit
  --version      show the version and exit
Other arguments are ignored with a note on standard error.

Exit status:
  0  the window was closed (a file that cannot be read is reported in the window)
  1  the file was cut short by another program while it was shown
)";
}

}  // namespace korvex::lumat
