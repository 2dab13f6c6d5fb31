#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/job/run_host.h"

class QWidget;

namespace korvex {

// A file dialog in which several existing files can be chosen at once: their full paths in
// the order given, or none when cancelled.
using ChooseFiles =
    std::function<std::optional<std::vector<std::string>>(QWidget* parent, const FileQuestion& question)>;

// The desktop's dialog. It opens in the directory of the question's initial path with no
// file name filled in.
std::optional<std::vector<std::string>> ChooseFilesWithDialog(QWidget* parent, const FileQuestion& question);

}  // namespace korvex
