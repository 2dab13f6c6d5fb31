#pragma once

#include <QByteArray>
#include <QString>

namespace korvex {

// How a log's bytes became the text shown, so an edited text can be written back alike.
struct LogEncoding {
  bool utf8 = true;   // false: every byte stands for one character (Latin-1)
  bool crlf = false;  // lines end with CR LF
};

struct DecodedLog {
  QString text;  // lines end with LF alone
  LogEncoding encoding;
};

// Valid UTF-8 is read as such; anything else byte by byte, so no byte is ever lost.
DecodedLog DecodeLogBytes(const QByteArray& bytes);
QByteArray EncodeLogText(const QString& text, const LogEncoding& encoding);

}  // namespace korvex
