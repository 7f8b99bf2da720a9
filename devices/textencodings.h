#pragma once

// The encodings a device's texts (OCTET STRING values such as sysDescr) may
// be read in: the ones this system's iconv converts, as iconv names them.
// The list is fixed and checked once with iconv_open, which takes a few
// milliseconds; parsing `iconv -l` would mean starting a program and
// reading over a thousand aliases no one picks.

#include <QByteArray>
#include <QList>

// In the order a list offers them: UTF-8 first, then the Japanese ones,
// then the rest by region.
const QList<QByteArray> &availableTextEncodings();
// Whether `name` is one of them (without regard to case).
bool textEncodingAvailable(const QByteArray &name);
