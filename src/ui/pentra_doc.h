#pragma once

#include <QByteArray>
#include <QString>

#include "ui/log_codec.h"

namespace korvex {

class CPentraView;

// The file shown in the log view. It keeps the bytes it was read from, so a log that was
// not edited is written back byte for byte, and an edited one in its own encoding and line ends.
class CPentraDoc {
 public:
  explicit CPentraDoc(CPentraView* view) : m_view(view) {}

  // Empties the view and makes it read-only.
  void DeleteContents();
  // Reads the file into the view; false with the reason when it cannot be read.
  // Reads at most `limit` bytes when it is not negative (the start of a file too large for
  // the view).
  bool OnOpenDocument(const QString& path, QString* error, qint64 limit = -1);
  // Shows a text that comes from no file (it has no path until it is saved).
  void ShowBytes(const QByteArray& bytes);
  // Writes the view's text to the file; false with the reason when that failed (the old
  // file is then left as it was).
  bool SaveTo(const QString& path, QString* error);

  bool IsModified() const;
  const QString& PathName() const { return m_path; }
  QByteArray Bytes() const;

 private:
  CPentraView* m_view;
  QString m_path;
  QByteArray m_original;
  LogEncoding m_encoding;
};

}  // namespace korvex
