#pragma once

// Text for files the user opens with other programs (exported lists, logs,
// data files): the encoding of the C library's locale, which start-up sets
// to the user's. Where that locale's codeset is plain ASCII (the C locale,
// or a locale that is not installed) UTF-8 is used, as Qt does, so that
// Japanese text is never lost.

#include <QByteArray>
#include <QString>

namespace LocaleCodec {

// The codeset used, as iconv names it ("UTF-8", "EUC-JP", ...).
QByteArray codeset();

// The text in that codeset. A character the codeset cannot represent
// becomes '?'; nothing is cut, and the result holds exactly the converted
// bytes (no terminator).
QByteArray fromUnicode(const QString &text);
// The same in a named codeset.
QByteArray fromUnicode(const QString &text, const QByteArray &codeset);

} // namespace LocaleCodec
