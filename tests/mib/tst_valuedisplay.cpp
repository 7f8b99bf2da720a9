// Values shown by their textual convention: RFC 2579's DISPLAY-HINT grammar,
// the conventions that need more than their hint, and hints that do not
// fit, which must leave the value raw rather than show it wrongly.

#include "valuedisplay.h"

#include <QTest>

using namespace ValueDisplay;

class TestValueDisplay : public QObject
{
    Q_OBJECT
private slots:
    // The value as octets; an INTEGER's rows give its number as text there,
    // a BITS value's rows its bits, named up(0) and late(9).
    void shown_data()
    {
        QTest::addColumn<QString>("tc");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QString>("shown"); // null: shown raw
        const QString none;
        auto row = [](const char *name, const char *tc, const char *hint, const char *hex, const QString &shown) {
            QTest::newRow(name) << QString::fromLatin1(tc) << QString::fromLatin1(hint) << QByteArray::fromHex(hex) << shown;
        };
        const auto integer = [](const char *name, const char *hint, qint64 value, const QString &shown) {
            QTest::newRow(name) << QStringLiteral("INTEGER") << QString::fromLatin1(hint) << QByteArray::number(value) << shown;
        };
        // RFC 2579's own examples (PhysAddress and an IPv4 InetAddress are
        // shown through the compiled database in tst_mibreader)
        row("DisplayString 255a", "DisplayString", "255a", "6c6162", "lab");
        row("dotted quad 1d.1d.1d.1d", "", "1d.1d.1d.1d", "c0000201", "192.0.2.1");
        row("DateAndTime by its hint alone", "", "2d-1d-1d,1d:1d:1d.1d,1a1d:1d", "07c8051a0d1e0f002d0400", "1992-5-26,13:30:15.0,-4:0");
        // the grammar's corners
        row("repeat count and terminator", "", "*1d./1x", "03010203ff", "1.2.3/ff");
        // hints that do not parse or do not fit: raw
        row("unknown format letter", "", "1q", "01", none);
        row("a with a control byte", "", "255a", "610162", none);
        row("t with broken UTF-8", "", "255t", "c3", none);
        row("integer wider than 64 bits", "", "9d", "010203040506070809", none);
        // conventions that say more than their hint
        row("DateAndTime with zone", "DateAndTime", "2d-1d-1d,1d:1d:1d.1d,1a1d:1d", "07ea0c09040a00002b0900", "2026-12-09,04:10:00.0,+9:0");
        row("DateAndTime month 13", "DateAndTime", "", "07ea0d09040a0000", none);
        row("InetAddress ipv6", "InetAddress", "", "20010db8000000000000000000000001", "2001:db8::1 (ipv6)");
        row("InetAddress dns", "InetAddress", "", "6578616d706c652e6f7267", "example.org (dns)");
        row("InetAddress binary of no known length", "InetAddress", "", "0102030405", none);
        integer("d-2", "d-2", 1234, QStringLiteral("12.34"));
        integer("d-2 below one", "d-2", -5, QStringLiteral("-0.05"));
        integer("x", "x", 255, QStringLiteral("ff"));
        integer("d-x does not parse", "d-x", 5, none);
        integer("255a is no integer hint", "255a", 5, none);
        row("BITS by name", "BITS", "", "a040", QStringLiteral("up(0) 2 late(9)"));
        row("BITS, none set", "BITS", "", "00", QStringLiteral("{ }"));
    }
    void shown()
    {
        QFETCH(QString, tc);
        QFETCH(QString, hint);
        QFETCH(QByteArray, octets);
        QFETCH(QString, shown);
        auto names = [](qint32 bit) { return bit == 0 ? QStringLiteral("up") : bit == 9 ? QStringLiteral("late") : QString(); };
        const std::optional<QString> got = tc == u"INTEGER" ? integerByHint(octets.toLongLong(), hint)
                                         : tc == u"BITS"    ? bits(octets, names)
                                                            : octetsByConvention(octets, tc, hint);
        QCOMPARE(got.has_value(), !shown.isNull());
        if (got)
            QCOMPARE(*got, shown);
    }
};

QTEST_APPLESS_MAIN(TestValueDisplay)
#include "tst_valuedisplay.moc"
