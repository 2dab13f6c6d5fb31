#include "ui/qt_prompts.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>

#include "core/support/paths.h"
#include "ui/command_texts.h"
#include "ui/directory_dialog.h"
#include "ui/file_filters.h"
#include "ui/shell/goto_url.h"

namespace korvex {

void QtPrompts::Message(QWidget* parent, const std::string& caption, const std::string& text, MessageIcon icon) {
  QMessageBox::Icon boxIcon = QMessageBox::Information;
  if (icon == MessageIcon::kWarning) boxIcon = QMessageBox::Warning;
  if (icon == MessageIcon::kStop) boxIcon = QMessageBox::Critical;
  QMessageBox box(boxIcon, QString::fromStdString(caption.empty() ? std::string(kAppTitle) : caption), QString::fromStdString(text), QMessageBox::Ok, parent);
  box.exec();
}

SaveAnswer QtPrompts::AskSaveChanges(QWidget* parent, const std::string& text) {
  const auto answer = QMessageBox::question(parent, "KORVEX", QString::fromStdString(text),
                                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (answer == QMessageBox::Yes) return SaveAnswer::Save;
  if (answer == QMessageBox::No) return SaveAnswer::Discard;
  return SaveAnswer::Cancel;
}

std::optional<std::string> QtPrompts::ChooseFile(QWidget* parent, const FileQuestion& request,
                                                 const std::function<void()>& workingDirButton) {
  QFileDialog dialog(parent);
  // The dialog of our own toolkit can carry the extra button; the desktop's cannot.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save || !request.mustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
  if (!request.title.empty()) dialog.setWindowTitle(QString::fromStdString(request.title));
  QStringList filters;
  for (const std::string& f : DialogNameFilters(request.filter)) filters << QString::fromStdString(f);
  dialog.setNameFilters(filters);
  if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
  if (!request.initialPath.empty()) {
    const PathParts parts = SplitPathName(request.initialPath);
    if (!parts.directory.empty()) dialog.setDirectory(QString::fromStdString(parts.directory));
    dialog.selectFile(QString::fromStdString(parts.name));
  }
  if (workingDirButton) {
    auto* button = new QPushButton(QObject::tr("&Working Dir..."), &dialog);
    QObject::connect(button, &QPushButton::clicked, &dialog, [&workingDirButton] { workingDirButton(); });
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
      grid->addWidget(button, grid->rowCount(), grid->columnCount() - 1);
    }
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtPrompts::ChooseDirectory(QWidget* parent, const std::string& oldDirectory) {
  CDirectoryDialog dialog(QString::fromStdString(oldDirectory), *this, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Directory().toStdString();
}

bool QtPrompts::ChoosePrinter(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool QtPrompts::PageSetup(QWidget* parent, QPrinter& printer) {
  QPageSetupDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool QtPrompts::StartDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  QStringList arguments;
  for (std::size_t i = 1; i < argv.size(); ++i) arguments << QString::fromStdString(argv[i]);
  return QProcess::startDetached(QString::fromStdString(argv[0]), arguments);
}

bool QtPrompts::OpenWebPage(const std::string& url) { return GotoURL(url.c_str(), 1) == 1; }

}  // namespace korvex
