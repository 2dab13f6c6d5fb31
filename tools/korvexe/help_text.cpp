#include "korvexe/help_text.h"

#include "core/support/command_line_info.h"

namespace korvex::engine {

std::string HelpText() {
  return std::string(R"(Usage: korvexe.exe INPUT OUTPUT TOP [switches]
       korvexe.exe --help | --version

Writes the GDSII file INPUT, filtered or merged, to OUTPUT. TOP names the structure
whose tree is kept; an empty TOP ("") keeps every structure; %XX stands for a byte of
a name. The run's log is INPUT's name with the extension .log in the current folder,
which also holds the merge list korvex.lst. OUTPUT is written to a temporary file
beside it and takes its place only after a complete write; an OUTPUT named *.gz is
written gzip-compressed.
)") + std::string(kCompressedHelp) + R"(
Merge modes: the tree of TOP and every structure of the files listed in korvex.lst
(one path per line) go into one library; units are brought to the finest grid.
Definitions of one name that are identical after that are written once, in every mode.
  -merge         a differing later definition is dropped, with a warning naming
                 the first difference
  -add           a differing later definition is kept under a new name (NAME_1, ...)
  -blend         the elements of a differing later definition are appended to the
                 first one
  -combine NAME = ...
                 with -merge or -add: a new structure NAME that references every
                 top at the origin; one "=" per listed file

Filters (plain translation only; 0 means no limit):
  -iLIST, -xLIST
                 keep only (-i) or drop (-x) shapes on the layers of LIST (1,5-9)
  -ILIST, -XLIST
                 the same by datatype, text type, box type and node type
  -lyrMAP        renumber layers by the map text MAP
  -dtpMAP        renumber datatypes by the map text MAP
  -min:W         widen paths narrower than W user units to W
  -tmag:T        drop texts magnified more than T
  -unfold        turn every path into the boundary of its outline
  -explode       flatten the tree of TOP into TOP
  -minext:R      drop boundaries whose bounding box's larger side is below R user units
  -maxext:R      drop boundaries whose bounding box's larger side is above R user units
  -h2w:R         drop boundaries whose height divided by width is above R
  -w2h:R         drop boundaries whose width divided by height is above R
  -aratio:R      drop boundaries whose bounding-box area divided by their area is above R
  -maxvert:N     drop boundaries of more than N vertices
  -polyoff:N     log the polygon filter's verdict on the boundary at byte offset N
  -vertcnt:N     log the polygon filter's verdict on boundaries of N vertices
  -rename PATH   rename structures by the lines "OLD NEW" of the file PATH
  -names         replace characters outside A-Z a-z 0-9 _ ? $ by _ and cut names
                 to 32 characters
  -lc, -uc       the same, and names in lower or upper case
  -prune         remove structures left without content, and the references to them
  --help         show this text and exit
  --version      show the version and exit
An unknown switch is an error.

)" + std::string(kProgressHelp) + R"(
Exit status:
  0       a clean run
  1-127   the run wrote its output; the number of warnings and errors (at most 127)
  255     failure: no output written; the reason is on standard error and in the log
A run stopped by SIGINT, SIGTERM or SIGHUP removes its temporary output, ends its log
with "Cancelled by user" and ends by the same signal.
)";
}

}  // namespace korvex::engine
