#include "ui/dialogs/choose_files.h"

#include <QFileDialog>

#include "core/support/paths.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/file_filters.h"

namespace korvex {

std::optional<std::vector<std::string>> ChooseFilesWithDialog(QWidget* parent, const FileQuestion& question) {
  QFileDialog dialog(parent, ToQ(question.title));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  QStringList filters;
  for (const std::string& filter : DialogNameFilters(question.filter)) filters << ToQ(filter);
  dialog.setNameFilters(filters);
  if (!question.defaultExtension.empty()) dialog.setDefaultSuffix(ToQ(question.defaultExtension));
  const std::string directory = SplitPathName(question.initialPath).directory;
  if (!directory.empty()) dialog.setDirectory(ToQ(directory));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  std::vector<std::string> paths;
  for (const QString& path : dialog.selectedFiles()) paths.push_back(FromQ(path));
  return paths;
}

}  // namespace korvex
