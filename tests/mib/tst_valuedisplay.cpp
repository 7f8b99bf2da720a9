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
    void octets_data()
    {
        QTest::addColumn<QString>("tc");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<QString>("shown"); // null: shown raw
        const QString none;
        auto row = [](const char *name, const char *tc, const char *hint, const char *hex, const QString &shown) {
            QTest::newRow(name) << QString::fromLatin1(tc) << QString::fromLatin1(hint) << QByteArray::fromHex(hex) << shown;
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
    }
    void octets()
    {
        QFETCH(QString, tc);
        QFETCH(QString, hint);
        QFETCH(QByteArray, octets);
        QFETCH(QString, shown);
        const std::optional<QString> got = octetsByConvention(octets, tc, hint);
        QCOMPARE(got.has_value(), !shown.isNull());
        if (got)
            QCOMPARE(*got, shown);
    }

    void integers_data()
    {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("d-2") << "d-2" << qint64(1234) << "12.34";
        QTest::newRow("d-2 below one") << "d-2" << qint64(-5) << "-0.05";
        QTest::newRow("x") << "x" << qint64(255) << "ff";
        QTest::newRow("d-x does not parse") << "d-x" << qint64(5) << QString();
        QTest::newRow("255a is no integer hint") << "255a" << qint64(5) << QString();
    }
    void integers()
    {
        QFETCH(QString, hint);
        QFETCH(qint64, value);
        QFETCH(QString, shown);
        const std::optional<QString> got = integerByHint(value, hint);
        QCOMPARE(got.value_or(QString()), shown);
    }

    void bitsByName()
    {
        auto names = [](qint32 bit) { return bit == 0 ? QStringLiteral("up") : bit == 9 ? QStringLiteral("late") : QString(); };
        QCOMPARE(bits(QByteArray::fromHex("a040"), names).value_or(QString()), QStringLiteral("up(0) 2 late(9)"));
        QCOMPARE(bits(QByteArray::fromHex("00"), names).value_or(QString()), QStringLiteral("{ }"));
    }
};

QTEST_APPLESS_MAIN(TestValueDisplay)
#include "tst_valuedisplay.moc"
