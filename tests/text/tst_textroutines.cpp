// The exported text routines, byte for byte. Every conversion runs twice:
// with its input ending where an inaccessible page begins, so reading one
// byte past the terminator crashes the test, and at an odd address followed
// by bytes that change the result if they are read. The output goes to the
// end of a page sized to the documented maximum and filled with poison, so
// writing past the documented size crashes and writing more than the result
// shows up as damaged poison.

#include "textroutines.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTest>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr char kPoison = char(0xA5);

enum Routine { ToUtf8, ToQP, Utf8ToUtf16 };

// `size` bytes, poisoned and starting with `content`, that end exactly where
// an inaccessible page begins; null when that could not be mapped.
std::shared_ptr<unsigned char> guarded(const QByteArray &content, qsizetype size)
{
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t mapSize = (size_t(size) / page + 2) * page;
    void *map = mmap(nullptr, mapSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED)
        return {};
    std::shared_ptr<unsigned char> data(static_cast<unsigned char *>(map) + mapSize - page - size,
                                        [map, mapSize](unsigned char *) { munmap(map, mapSize); });
    if (mprotect(data.get() + size, page, PROT_NONE) != 0)
        return {};
    std::memset(data.get(), kPoison, size_t(size));
    std::memcpy(data.get(), content.constData(), size_t(qMin(size, content.size())));
    return data;
}

// UTF-16 units as toUtf8 reads them: low byte first.
QByteArray utf16Bytes(const QList<unsigned short> &units)
{
    QByteArray bytes;
    for (unsigned short unit : units)
        bytes.append(char(unit & 0xFF)).append(char(unit >> 8));
    return bytes;
}

// The units as utf8_toUtf16 writes them: in native order.
QByteArray nativeBytes(const QList<unsigned short> &units)
{
    return QByteArray(reinterpret_cast<const char *>(units.constData()), units.size() * qsizetype(sizeof(unsigned short)));
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Units of `width` bytes before the first all-zero pair of bytes.
qsizetype lengthBefore(const QByteArray &data, int width)
{
    qsizetype n = 0;
    while (!(data.at(n) == 0 && data.at(n + 1) == 0))
        n += width;
    return n / width;
}

} // namespace

class TestTextRoutines : public QObject
{
    Q_OBJECT

private slots:
    // The terminators that end every input and every result are added by the
    // test; the ones written here are inside the data.
    void conversion_data()
    {
        QTest::addColumn<int>("routine");
        QTest::addColumn<QByteArray>("prefix");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");

        auto toUtf8Row = [](const QString &name, const QList<unsigned short> &units, const char *expectedHex) {
            QTest::newRow(qPrintable(QStringLiteral("toUtf8: ") + name)) << int(ToUtf8) << QByteArray() << utf16Bytes(units) << hex(expectedHex);
        };
        // Valid text is checked against Qt below, block by block (U+0100 among
        // it: a zero low byte is no terminator).
        toUtf8Row("empty", {}, "");
        // Unpaired surrogates become U+FFFD; what follows them is read normally.
        for (unsigned short unit : {0xD800, 0xDBFF, 0xDC00, 0xDFFF}) {
            toUtf8Row(QStringLiteral("U+%1 at the end").arg(unit, 0, 16), {unit}, "efbfbd");
            toUtf8Row(QStringLiteral("U+%1 then A").arg(unit, 0, 16), {unit, 0x41}, "efbfbd 41");
        }
        toUtf8Row("high surrogate then U+E000", {0xDBFF, 0xE000}, "efbfbd ee8080");
        toUtf8Row("high surrogate then high-low pair", {0xD800, 0xDBFF, 0xDC00}, "efbfbd f48fb080");
        // 0x00DE, i.e. the low surrogate's bytes in the wrong order
        toUtf8Row("high surrogate then swapped low", {0xD83D, 0x00DE}, "efbfbd c39e");
        // Units after the first all-zero unit are never looked at.
        toUtf8Row("terminator first", {0x0000, 0x0041}, "");
        toUtf8Row("terminator after high surrogate", {0xD83D, 0x0000, 0xDE00}, "efbfbd");

        auto toQPRow = [](const char *name, const QByteArray &prefix, const QByteArray &source, const QByteArray &expected) {
            QTest::newRow(qPrintable(QStringLiteral("toQP: ") + QLatin1String(name))) << int(ToQP) << prefix << source << expected;
        };
        toQPRow("empty prefix and source", "", "", "?=");
        toQPRow("letters and digits are encoded", "x", "a0Z", "x=61=30=5A?=");
        toQPRow("specials, upper-case hex", "=?UTF-8?Q?", hex("20 3d 3f 5f 0a ff ab"), "=?UTF-8?Q?=20=3D=3F=5F=0A=FF=AB?=");
        toQPRow("single zeros are data", "", hex("00 41 00 01"), "=00=41=00=01?=");
        toQPRow("stops at the first pair", "", hex("41 0000 42"), "=41?=");
        toQPRow("pair first", "p", hex("0000 41"), "p?=");
        toQPRow("prefix copied byte for byte", hex("c3a9 3d 3f"), hex("e9"), hex("c3a9 3d 3f") + "=E9?=");

        auto utf16Row = [](const QString &name, const QByteArray &input, const QList<unsigned short> &units) {
            QTest::newRow(qPrintable(QStringLiteral("utf8_toUtf16: ") + name)) << int(Utf8ToUtf16) << QByteArray() << input << nativeBytes(units);
        };
        utf16Row("empty", "", {});
        // Each byte alone: ASCII stays, anything else is a stray byte or a lead
        // byte cut short by the terminator, one U+FFFD either way.
        for (int b = 0x01; b <= 0xFF; ++b)
            utf16Row(QStringLiteral("byte %1 alone").arg(b, 2, 16, QLatin1Char('0')), QByteArray(1, char(b)),
                     {static_cast<unsigned short>(b < 0x80 ? b : 0xFFFD)});
        utf16Row("0xF5 with three continuation bytes", hex("f5 808080"), {0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD});
        // A sequence cut short by the terminator is one U+FFFD.
        utf16Row("0xF4 0x8F 0xBF at the end", hex("f4 8f bf"), {0xFFFD});
        // The bytes after a lead byte are taken as they are.
        utf16Row("letters as continuation", hex("e2 41 42"), {0x2042});
        utf16Row("lead byte as continuation", hex("c3 e2 82 ac"), {0x00E2, 0xFFFD, 0xFFFD});
        utf16Row("two-byte zero", hex("c080 41"), {0x0000, 0x0041});
        utf16Row("three-byte surrogates", hex("eda0bd edb880"), {0xD83D, 0xDE00});
        // Nothing after the first zero byte is read.
        utf16Row("terminator in the middle", hex("41 00 42"), {0x0041});
        utf16Row("terminator after a lead byte", hex("e2 00 82 ac"), {0xFFFD});

        // Qt's own encoder and decoder are the reference for every valid code
        // point, in blocks.
        constexpr char32_t kBlock = 4096;
        for (char32_t first = 1; first <= 0x10FFFF; first += kBlock) {
            std::u32string codePoints;
            for (char32_t cp = first; cp < first + kBlock && cp <= 0x10FFFF; ++cp) {
                if (cp < 0xD800 || cp > 0xDFFF)
                    codePoints += cp;
            }
            const QString text = QString::fromUcs4(codePoints.data(), qsizetype(codePoints.size()));
            const QList<unsigned short> units(text.utf16(), text.utf16() + text.size());
            const QByteArray block = "block at U+" + QByteArray::number(uint(first), 16);
            QTest::newRow(("toUtf8: " + block).constData()) << int(ToUtf8) << QByteArray() << utf16Bytes(units) << text.toUtf8();
            QTest::newRow(("utf8_toUtf16: " + block).constData()) << int(Utf8ToUtf16) << QByteArray() << text.toUtf8() << nativeBytes(units);
        }
    }

    void conversion()
    {
        QFETCH(int, routine);
        QFETCH(QByteArray, prefix);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);

        // The documented terminators and output sizes, and a tail that changes
        // the result if it is read.
        const struct { const char *inputEnd, *resultEnd, *tail; } kinds[] = {
            {"0000", "0000", "00dc41004200"}, {"0000", "00", "4100420000"}, {"00", "00000000", "8041e28200"}};
        input += hex(kinds[routine].inputEnd);
        expected += hex(kinds[routine].resultEnd);
        const qsizetype maxOutput = routine == ToUtf8 ? 3 * lengthBefore(input, 2) + 2
                                  : routine == ToQP   ? prefix.size() + 3 * lengthBefore(input, 1) + 3
                                                      : 2 * (qstrlen(input.constData()) + 2);
        QVERIFY(expected.size() <= maxOutput);
        const QByteArray poison(maxOutput - expected.size(), kPoison);
        const QByteArray loose = QByteArray(1, '\xEE') + input + hex(kinds[routine].tail);
        const auto guardedPrefix = guarded(prefix + '\0', prefix.size() + 1);
        for (bool atPageEnd : {true, false}) {
            const auto in = guarded(input, input.size());
            const auto out = guarded(QByteArray(), maxOutput);
            QVERIFY(in && out && guardedPrefix);
            const unsigned char *src = atPageEnd ? in.get() : reinterpret_cast<const unsigned char *>(loose.constData()) + 1;
            if (routine == ToUtf8)
                toUtf8(src, out.get());
            else if (routine == ToQP)
                toQP(reinterpret_cast<const char *>(guardedPrefix.get()), src, reinterpret_cast<char *>(out.get()));
            else
                utf8_toUtf16(src, reinterpret_cast<unsigned short *>(out.get()));
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(out.get()), maxOutput).toHex(' '), (expected + poison).toHex(' '));
        }
    }
};

QTEST_GUILESS_MAIN(TestTextRoutines)
#include "tst_textroutines.moc"
