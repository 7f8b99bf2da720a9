#pragma once

// Values as their object's textual convention shows them: a DISPLAY-HINT
// of RFC 2579's grammar, the conventions whose hint says too little
// (DateAndTime, InetAddress), INTEGER hints and BITS by name. Each gives
// nothing when the hint does not parse or does not fit the value: the
// caller then shows the value raw, never wrongly.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

namespace ValueDisplay {

// An OCTET STRING under a hint such as "1x:", "255a", "1d.1d.1d.1d" or
// "2d-1d-1d,1d:1d:1d.1d,1a1d:1d".
std::optional<QString> octetsByHint(const QByteArray &octets, QStringView hint);

// An integer under "d", "d-2" (an implied decimal point), "x", "o" or "b".
std::optional<QString> integerByHint(qint64 value, QStringView hint);

// DateAndTime (8 or 11 octets): "2026-12-09,04:10:00.0,+9:0".
std::optional<QString> dateAndTime(const QByteArray &octets);

// An InetAddress told by its length (the type is another column):
// "192.0.2.1 (ipv4)", "2001:db8::1 (ipv6)", with a zone "%3", or a DNS name.
std::optional<QString> inetAddress(const QByteArray &octets);

// BITS: the names of the bits that are set ("up(0) testing(2)"), bit 0
// the high bit of the first octet; `name` gives a bit's label or empty.
std::optional<QString> bits(const QByteArray &octets, const std::function<QString(qint32)> &name);

// The value shown by its convention (`tc` its name, `hint` its
// DISPLAY-HINT), or nothing where neither says more than the raw form.
std::optional<QString> octetsByConvention(const QByteArray &octets, QStringView tc, QStringView hint);

} // namespace ValueDisplay
