#include "ui/pentra_doc.h"

#include <QFile>
#include <QSaveFile>

#include "ui/pentra_view.h"

namespace korvex {

void CPentraDoc::DeleteContents() {
  m_view->clear();
  m_view->document()->setModified(false);
  m_view->setReadOnly(true);
  m_path.clear();
  m_original.clear();
  m_encoding = {};
}

bool CPentraDoc::OnOpenDocument(const QString& path, QString* error, qint64 limit) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error != nullptr) *error = file.errorString();
    return false;
  }
  const QByteArray bytes = limit < 0 ? file.readAll() : file.read(limit);
  if (file.error() != QFileDevice::NoError) {
    if (error != nullptr) *error = file.errorString();
    return false;
  }
  ShowBytes(bytes);
  m_path = path;
  return true;
}

void CPentraDoc::ShowBytes(const QByteArray& bytes) {
  const DecodedLog log = DecodeLogBytes(bytes);
  m_view->setPlainText(log.text);
  m_view->document()->setModified(false);
  m_original = bytes;
  m_encoding = log.encoding;
  m_path.clear();
}

QByteArray CPentraDoc::Bytes() const {
  return IsModified() ? EncodeLogText(m_view->toPlainText(), m_encoding) : m_original;
}

bool CPentraDoc::SaveTo(const QString& path, QString* error) {
  const QByteArray bytes = Bytes();
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    if (error != nullptr) *error = file.errorString();
    return false;
  }
  m_original = bytes;
  m_view->document()->setModified(false);
  m_path = path;
  return true;
}

bool CPentraDoc::IsModified() const { return m_view->document()->isModified(); }

}  // namespace korvex
