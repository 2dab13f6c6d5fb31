#include "ui/log_codec.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

QByteArray RoundTrip(const QByteArray& bytes) {
  const DecodedLog log = DecodeLogBytes(bytes);
  return EncodeLogText(log.text, log.encoding);
}

TEST(LogCodec, EveryByteSurvivesARoundTrip) {
  const QByteArray crlf("Korvex Version 1.41\r\nGDS Output File:\tout.gds\r\n\r\n");
  EXPECT_EQ(DecodeLogBytes(crlf).text, QString("Korvex Version 1.41\nGDS Output File:\tout.gds\n\n"));
  EXPECT_EQ(RoundTrip(crlf), crlf);

  const QByteArray latin1("structure \xE4\xF6\xFF\x80 name\n");  // not UTF-8
  EXPECT_FALSE(DecodeLogBytes(latin1).encoding.utf8);
  EXPECT_EQ(RoundTrip(latin1), latin1);

  const QByteArray utf8("\xEF\xBB\xBFgr\xC3\xBC\xC3\x9F\n");  // with a byte order mark
  EXPECT_TRUE(DecodeLogBytes(utf8).encoding.utf8);
  EXPECT_EQ(RoundTrip(utf8), utf8);

  const QByteArray lfOnly("a\nb");
  EXPECT_FALSE(DecodeLogBytes(lfOnly).encoding.crlf);
  EXPECT_EQ(RoundTrip(lfOnly), lfOnly);
}

TEST(LogCodec, EditedTextKeepsTheFilesLineEnds) {
  LogEncoding encoding;
  encoding.crlf = true;
  EXPECT_EQ(EncodeLogText("one\ntwo\n", encoding), QByteArray("one\r\ntwo\r\n"));
}

}  // namespace
}  // namespace korvex
