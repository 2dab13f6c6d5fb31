#include "ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/about_reveal.h"
#include "ui/pictures.h"
#include "core/support/product_info.h"

namespace korvex {
namespace {

WindowRect RectOf(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }
QRect QRectOf(const WindowRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

}  // namespace

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("About KORVEX"));
  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramIcon().pixmap(48, 48));
  auto* lines = new QVBoxLayout;
  for (const char* line : {kVersionLine, "", kMakerNotice, kMakerAddress, kMakerTelephone, kMakerFax}) {
    lines->addWidget(new QLabel(QString::fromUtf8(line), this));
  }
  lines->addWidget(new QLabel(QString("Web: ") + kMakerWebSite, this));
  lines->addWidget(new QLabel(QString("E-mail: ") + kMakerEmail, this));
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addLayout(lines);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(buttons);

  // The picture is a flat button laid over the box, outside the layout.
  m_credits = new QPushButton(this);
  m_credits->setFlat(true);
  m_credits->hide();
  m_credits->installEventFilter(this);
  for (QLabel* label : findChildren<QLabel*>()) label->setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool CAboutDialog::CreditsShown() const { return m_credits->isVisible(); }

void CAboutDialog::RevealCredits() {
  if (!m_noted) {
    m_noted = RectOf(geometry());
    m_reveal = RevealRect(*m_noted, width(), height());
  }
  layout()->setSizeConstraint(QLayout::SetNoConstraint);
  setMinimumSize(0, 0);
  setGeometry(QRectOf(*m_reveal));
  m_credits->setGeometry(rect());
  m_credits->setIcon(QIcon(CreditsPicture(size())));
  m_credits->setIconSize(size());
  m_credits->show();
  m_credits->raise();
  m_ok->setEnabled(false);
}

void CAboutDialog::HideCredits() {
  m_credits->hide();
  m_ok->setEnabled(true);
  if (m_noted) setGeometry(QRectOf(*m_noted));
}

void CAboutDialog::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!CreditsShown()) RevealCredits();
  QDialog::mouseDoubleClickEvent(event);
}

bool CAboutDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_credits && event->type() == QEvent::MouseButtonDblClick) {
    HideCredits();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace korvex
