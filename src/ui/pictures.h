#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

#include "ui/command_texts.h"

namespace korvex {

// The program's own pictures, drawn here so that no binary picture is kept in the sources.
QPixmap ToolbarPicture(Command command);  // 48 by 48
QIcon ProgramIcon();
QCursor WaitCursor();
QPixmap CreditsPicture(const QSize& size);

}  // namespace korvex
