// Opening a layout for reading, plain or gzip-compressed (told by its first bytes, not its name).
#pragma once

#include <cstdint>
#include <string>

#include "gds/gzip_stream.h"
#include "gds/mapped_file.h"

namespace korvex::gds {

struct LayoutFileInfo {
  bool compressed = false;
  std::uint64_t stored_size = 0;  // the size of the file as it lies on the disk
};

// Opens `path` into `file`. A compressed layout is inflated into an unnamed temporary file in
// $TMPDIR (or /tmp), which is then viewed as a plain one: having no name, it goes with the
// process however that ends. False with `error` set when the file cannot be read or inflated.
// `progress` follows the inflating, in compressed bytes.
bool OpenLayoutFile(const std::string& path, MappedFile& file, LayoutFileInfo& info, std::string& error,
                    const ByteProgress& progress = {});

// The folder for temporary files: $TMPDIR when set, else /tmp.
std::string TemporaryFolder();

// A new file open for reading and writing that has no name. -1 with errno set.
int CreateUnnamedFile(const std::string& folder);

}  // namespace korvex::gds
