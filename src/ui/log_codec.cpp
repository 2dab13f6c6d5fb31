#include "ui/log_codec.h"

#include <QStringDecoder>

namespace korvex {

DecodedLog DecodeLogBytes(const QByteArray& bytes) {
  DecodedLog log;
  const qsizetype firstLf = bytes.indexOf('\n');
  log.encoding.crlf = firstLf > 0 && bytes.at(firstLf - 1) == '\r';
  QByteArray lines = bytes;
  if (log.encoding.crlf) lines.replace("\r\n", "\n");
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  QString text = utf8.decode(lines);
  if (utf8.hasError()) {
    log.encoding.utf8 = false;
    text = QString::fromLatin1(lines);
  }
  log.text = text;
  return log;
}

QByteArray EncodeLogText(const QString& text, const LogEncoding& encoding) {
  QByteArray bytes = encoding.utf8 ? text.toUtf8() : text.toLatin1();
  if (encoding.crlf) bytes.replace("\n", "\r\n");
  return bytes;
}

}  // namespace korvex
