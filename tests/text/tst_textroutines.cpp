// The exported text routines, byte for byte. Every conversion runs with its
// input at the very end of a mapped page followed by an inaccessible page, so
// reading one byte past the terminator crashes the test, and with its output
// at the end of a page sized to the documented maximum and filled with
// poison, so writing past the documented size crashes and writing more than
// the result shows up as damaged poison.

#include "textroutines.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTest>

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace {

constexpr unsigned char kPoisonByte = 0xA5;
constexpr unsigned short kPoisonUnit = 0xA5A5;

// `size` bytes that end exactly where an inaccessible page begins.
class GuardedBuffer
{
public:
    explicit GuardedBuffer(qsizetype size)
        : m_size(size)
    {
        const size_t page = size_t(sysconf(_SC_PAGESIZE));
        const size_t dataPages = (size_t(size) + page - 1) / page + (size == 0 ? 1 : 0);
        m_mapSize = (dataPages + 1) * page;
        m_map = mmap(nullptr, m_mapSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m_map == MAP_FAILED)
            return;
        auto *guard = static_cast<unsigned char *>(m_map) + dataPages * page;
        if (mprotect(guard, page, PROT_NONE) != 0) {
            munmap(m_map, m_mapSize);
            m_map = MAP_FAILED;
            return;
        }
        m_data = guard - size;
    }
    ~GuardedBuffer()
    {
        if (m_map != MAP_FAILED)
            munmap(m_map, m_mapSize);
    }
    GuardedBuffer(const GuardedBuffer &) = delete;
    GuardedBuffer &operator=(const GuardedBuffer &) = delete;

    bool isValid() const { return m_data != nullptr; }
    unsigned char *data() const { return m_data; }
    qsizetype size() const { return m_size; }

    void fill(const QByteArray &bytes) { std::memcpy(m_data, bytes.constData(), size_t(bytes.size())); }
    QByteArray bytes() const { return QByteArray(reinterpret_cast<const char *>(m_data), m_size); }

private:
    void *m_map = MAP_FAILED;
    size_t m_mapSize = 0;
    unsigned char *m_data = nullptr;
    qsizetype m_size = 0;
};

// UTF-16 units as the routines read them: low byte first.
QByteArray utf16Bytes(const QList<unsigned short> &units)
{
    QByteArray bytes;
    for (unsigned short unit : units) {
        bytes.append(char(unit & 0xFF));
        bytes.append(char(unit >> 8));
    }
    return bytes;
}

QByteArray utf16BytesOf(const QString &text)
{
    QList<unsigned short> units;
    for (QChar c : text)
        units.append(c.unicode());
    return utf16Bytes(units);
}

// "D83D DE00" -> units
QList<unsigned short> parseUnits(const QString &text)
{
    QList<unsigned short> units;
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &word : words) {
        bool ok = false;
        units.append(static_cast<unsigned short>(word.toUInt(&ok, 16)));
        Q_ASSERT(ok);
    }
    return units;
}

QString formatUnits(const unsigned short *units, qsizetype count)
{
    QStringList words;
    for (qsizetype i = 0; i < count; ++i)
        words.append(QStringLiteral("%1").arg(units[i], 4, 16, QLatin1Char('0')).toUpper());
    return words.join(QLatin1Char(' '));
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// Units before the first all-zero unit.
qsizetype unitsBeforeTerminator(const QByteArray &utf16)
{
    qsizetype n = 0;
    while (!(utf16.at(2 * n) == 0 && utf16.at(2 * n + 1) == 0))
        ++n;
    return n;
}

// Bytes before the first pair of zero bytes.
qsizetype bytesBeforeDoubleZero(const QByteArray &bytes)
{
    qsizetype n = 0;
    while (!(bytes.at(n) == 0 && bytes.at(n + 1) == 0))
        ++n;
    return n;
}

// The valid code points (no surrogates) from `first` on, at most `count`.
QString validCodePoints(char32_t first, char32_t count)
{
    std::u32string codePoints;
    for (char32_t cp = first; cp < first + count && cp <= 0x10FFFF; ++cp) {
        if (cp < 0xD800 || cp > 0xDFFF)
            codePoints += cp;
    }
    return QString::fromUcs4(codePoints.data(), qsizetype(codePoints.size()));
}

// Read past the end of the input only if the routine is broken: placed
// somewhere other than at a page end, the input is followed by these bytes,
// chosen so that reading them changes the result.
const QByteArray kUtf16Tail = hex("00dc41004200");
const QByteArray kQpTail = hex("4100420000");
const QByteArray kUtf8Tail = hex("8041e28200");

} // namespace

class TestTextRoutines : public QObject
{
    Q_OBJECT

private slots:
    void toUtf8Bytes_data();
    void toUtf8Bytes();
    void toUtf8EveryCodePoint();
    void toUtf8EverySurrogateAlone();

    void toQPBytes_data();
    void toQPBytes();
    void toQPTakesToUtf8Output();

    void utf8ToUtf16Units_data();
    void utf8ToUtf16Units();
    void utf8ToUtf16EverySingleByte();
    void utf8ToUtf16EveryCodePoint();

    void exportedByName_data();
    void exportedByName();
    void exportedRoutinesWork();

private:
    // Runs toUtf8 on `input` (terminator included) and returns the output up
    // to the documented maximum; fails the test on any damage.
    QByteArray runToUtf8(const QByteArray &input, int inputOffset = -1);
};

QByteArray TestTextRoutines::runToUtf8(const QByteArray &input, int inputOffset)
{
    const qsizetype maxOutput = 3 * unitsBeforeTerminator(input) + 2;
    GuardedBuffer out(maxOutput);
    if (!out.isValid())
        return {};
    std::memset(out.data(), kPoisonByte, size_t(maxOutput));
    if (inputOffset < 0) {
        GuardedBuffer in(input.size());
        if (!in.isValid())
            return {};
        in.fill(input);
        toUtf8(in.data(), out.data());
    } else {
        QByteArray storage(inputOffset, '\xEE');
        storage += input + kUtf16Tail;
        toUtf8(reinterpret_cast<const unsigned char *>(storage.constData()) + inputOffset, out.data());
    }
    return out.bytes();
}

void TestTextRoutines::toUtf8Bytes_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    auto row = [](const char *name, const QList<unsigned short> &units, const char *expectedHex) {
        QTest::newRow(name) << utf16Bytes(units + QList<unsigned short>{0}) << hex(expectedHex);
    };
    row("empty", {}, "0000");
    row("A", {0x0041}, "41 0000");
    row("e acute", {0x00E9}, "c3a9 0000");
    row("euro", {0x20AC}, "e282ac 0000");
    row("A e-acute euro", {0x0041, 0x00E9, 0x20AC}, "41 c3a9 e282ac 0000");
    row("U+0001", {0x0001}, "01 0000");
    row("U+007F", {0x007F}, "7f 0000");
    row("U+0080", {0x0080}, "c280 0000");
    row("U+00FF", {0x00FF}, "c3bf 0000");
    row("U+0100 zero low byte is no terminator", {0x0100}, "c480 0000");
    row("U+07FF", {0x07FF}, "dfbf 0000");
    row("U+0800", {0x0800}, "e0a080 0000");
    row("U+3042", {0x3042}, "e38182 0000");
    row("U+D7FF", {0xD7FF}, "ed9fbf 0000");
    row("U+E000", {0xE000}, "ee8080 0000");
    row("U+FFFD", {0xFFFD}, "efbfbd 0000");
    row("U+FFFF", {0xFFFF}, "efbfbf 0000");
    row("pair U+10000", {0xD800, 0xDC00}, "f0908080 0000");
    row("pair U+1F600", {0xD83D, 0xDE00}, "f09f9880 0000");
    row("pair U+10FFFF", {0xDBFF, 0xDFFF}, "f48fbfbf 0000");
    row("pair then A", {0xD83D, 0xDE00, 0x0041}, "f09f9880 41 0000");
    row("two pairs", {0xD83D, 0xDE00, 0xD800, 0xDC00}, "f09f9880 f0908080 0000");

    // Unpaired surrogates become U+FFFD; what follows them is read normally.
    row("high surrogate at the end", {0xD83D}, "efbfbd 0000");
    row("U+D800 at the end", {0xD800}, "efbfbd 0000");
    row("U+DBFF at the end", {0xDBFF}, "efbfbd 0000");
    row("A then high surrogate at the end", {0x0041, 0xD83D}, "41 efbfbd 0000");
    row("high surrogate then A", {0xD83D, 0x0041}, "efbfbd 41 0000");
    row("high surrogate then pair", {0xD83D, 0xD83D, 0xDE00}, "efbfbd f09f9880 0000");
    row("high surrogate then U+E000", {0xDBFF, 0xE000}, "efbfbd ee8080 0000");
    row("high surrogate then U+D7FF", {0xD800, 0xD7FF}, "efbfbd ed9fbf 0000");
    row("high surrogate then high-low pair", {0xD800, 0xDBFF, 0xDC00}, "efbfbd f48fb080 0000");
    // 0x00DE, i.e. the low surrogate's bytes in the wrong order
    row("high surrogate then swapped low", {0xD83D, 0x00DE}, "efbfbd c39e 0000");
    row("lone low surrogate", {0xDE00}, "efbfbd 0000");
    row("lone U+DC00", {0xDC00}, "efbfbd 0000");
    row("lone U+DFFF", {0xDFFF}, "efbfbd 0000");
    row("low then high", {0xDE00, 0xD83D}, "efbfbd efbfbd 0000");
    row("low surrogate between letters", {0x0041, 0xDC00, 0x0042}, "41 efbfbd 42 0000");

    // Units after the first all-zero unit are never looked at.
    row("terminator first", {0x0000, 0x0041}, "0000");
    row("terminator in the middle", {0x0041, 0x0000, 0x0042}, "41 0000");
    row("terminator after high surrogate", {0xD83D, 0x0000, 0xDE00}, "efbfbd 0000");
}

void TestTextRoutines::toUtf8Bytes()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);

    const QByteArray poison(3 * unitsBeforeTerminator(input) + 2 - expected.size(), char(kPoisonByte));

    // at a page end: one byte too far faults
    const QByteArray guarded = runToUtf8(input);
    QVERIFY(!guarded.isEmpty());
    QCOMPARE(guarded.toHex(' '), (expected + poison).toHex(' '));

    // at an odd address with bytes after the terminator that would alter
    // the result if they were read
    const QByteArray unaligned = runToUtf8(input, 1);
    QCOMPARE(unaligned.toHex(' '), (expected + poison).toHex(' '));
}

void TestTextRoutines::toUtf8EveryCodePoint()
{
    // Qt's own encoder is the reference for every valid code point.
    constexpr char32_t kChunk = 4096;
    for (char32_t first = 1; first <= 0x10FFFF; first += kChunk) {
        const QString text = validCodePoints(first, kChunk);
        const QByteArray input = utf16BytesOf(text) + QByteArray(2, '\0');
        const QByteArray expected = text.toUtf8() + QByteArray(2, '\0');
        QByteArray out(3 * text.size() + 2, char(kPoisonByte));
        toUtf8(reinterpret_cast<const unsigned char *>(input.constData()),
               reinterpret_cast<unsigned char *>(out.data()));
        if (out.left(expected.size()) != expected)
            QFAIL(qPrintable(QStringLiteral("wrong UTF-8 in the block starting at U+%1").arg(uint(first), 0, 16)));
    }
}

void TestTextRoutines::toUtf8EverySurrogateAlone()
{
    for (unsigned short unit = 0xD800; unit <= 0xDFFF; ++unit) {
        const QByteArray out = runToUtf8(utf16Bytes({unit, 0x0041, 0x0000}));
        if (out != hex("efbfbd 41 0000 a5a5"))
            QFAIL(qPrintable(QStringLiteral("U+%1 followed by A gives %2").arg(unit, 0, 16).arg(QString::fromLatin1(out.toHex(' ')))));
        const QByteArray atEnd = runToUtf8(utf16Bytes({unit, 0x0000}));
        if (atEnd != hex("efbfbd 0000"))
            QFAIL(qPrintable(QStringLiteral("U+%1 at the end gives %2").arg(unit, 0, 16).arg(QString::fromLatin1(atEnd.toHex(' ')))));
    }
}

void TestTextRoutines::toQPBytes_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("two letters") << QByteArray("P") << hex("4142 0000") << QByteArray("P=41=42?=");
    QTest::newRow("empty source") << QByteArray("=?UTF-8?Q?") << hex("0000") << QByteArray("=?UTF-8?Q?" "?=");
    QTest::newRow("empty prefix and source") << QByteArray() << hex("0000") << QByteArray("?=");
    QTest::newRow("empty prefix") << QByteArray() << hex("41 0000") << QByteArray("=41?=");
    QTest::newRow("letters and digits are encoded") << QByteArray("x") << QByteArray("a0Z") + hex("0000")
                                                    << QByteArray("x=61=30=5A?=");
    QTest::newRow("specials") << QByteArray("=?ISO-2022-JP?Q?") << hex("20 3d 3f 5f 0a 09 0d 0000")
                              << QByteArray("=?ISO-2022-JP?Q?=20=3D=3F=5F=0A=09=0D?=");
    QTest::newRow("upper-case hex") << QByteArray() << hex("ff 80 ab cd ef 7f 01 0000")
                                    << QByteArray("=FF=80=AB=CD=EF=7F=01?=");
    QTest::newRow("single zero inside") << QByteArray() << hex("41 00 42 0000") << QByteArray("=41=00=42?=");
    QTest::newRow("single zero first") << QByteArray() << hex("00 41 0000") << QByteArray("=00=41?=");
    QTest::newRow("zero then one") << QByteArray() << hex("00 01 0000") << QByteArray("=00=01?=");
    QTest::newRow("two single zeros") << QByteArray() << hex("00 41 00 42 0000") << QByteArray("=00=41=00=42?=");
    QTest::newRow("stops at the first pair") << QByteArray() << hex("41 0000 42 0000") << QByteArray("=41?=");
    QTest::newRow("three zeros") << QByteArray() << hex("41 000000") << QByteArray("=41?=");
    QTest::newRow("pair first") << QByteArray("p") << hex("0000 41 0000") << QByteArray("p?=");
    QTest::newRow("prefix copied byte for byte") << hex("c3a9 3d 3f") << hex("e9 0000") << hex("c3a9 3d 3f") + "=E9?=";
}

void TestTextRoutines::toQPBytes()
{
    QFETCH(QByteArray, prefix);
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, expected);

    const QByteArray result = expected + '\0';
    const qsizetype maxOutput = prefix.size() + 3 * bytesBeforeDoubleZero(source) + 3;
    QVERIFY(result.size() <= maxOutput);
    const QByteArray poison(maxOutput - result.size(), char(kPoisonByte));

    for (bool guarded : {true, false}) {
        GuardedBuffer out(maxOutput);
        QVERIFY(out.isValid());
        std::memset(out.data(), kPoisonByte, size_t(maxOutput));

        GuardedBuffer guardedPrefix(prefix.size() + 1);
        GuardedBuffer guardedSource(source.size());
        QVERIFY(guardedPrefix.isValid() && guardedSource.isValid());
        guardedPrefix.fill(prefix + '\0');
        guardedSource.fill(source);
        const QByteArray looseSource = QByteArray(1, '\xEE') + source + kQpTail;

        if (guarded)
            toQP(reinterpret_cast<const char *>(guardedPrefix.data()), guardedSource.data(),
                 reinterpret_cast<char *>(out.data()));
        else
            toQP(prefix.constData(), reinterpret_cast<const unsigned char *>(looseSource.constData()) + 1,
                 reinterpret_cast<char *>(out.data()));

        QCOMPARE(out.bytes().toHex(' '), (result + poison).toHex(' '));
    }
}

void TestTextRoutines::toQPTakesToUtf8Output()
{
    // the two zero bytes toUtf8 ends with are exactly what toQP stops at
    const QByteArray utf8 = runToUtf8(utf16Bytes({0x00E9, 0x20AC, 0xD83D, 0xDE00, 0x0000}));
    QCOMPARE(utf8.left(11).toHex(' '), hex("c3a9 e282ac f09f9880 0000").toHex(' '));
    QByteArray out(64, char(kPoisonByte));
    toQP("=?UTF-8?Q?", reinterpret_cast<const unsigned char *>(utf8.constData()), out.data());
    QCOMPARE(QByteArray(out.constData()), QByteArray("=?UTF-8?Q?=C3=A9=E2=82=AC=F0=9F=98=80?="));
}

void TestTextRoutines::utf8ToUtf16Units_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");

    auto row = [](const char *name, const char *inputHex, const char *units) {
        QTest::newRow(name) << hex(inputHex) + '\0' << (QString::fromLatin1(units) + QStringLiteral(" 0000 0000")).trimmed();
    };
    row("empty", "", "");
    row("A", "41", "0041");
    row("U+0001", "01", "0001");
    row("U+007F", "7f", "007F");
    row("U+0080", "c280", "0080");
    row("e acute", "c3a9", "00E9");
    row("U+07FF", "dfbf", "07FF");
    row("U+0800", "e0a080", "0800");
    row("euro", "e282ac", "20AC");
    row("U+3042", "e38182", "3042");
    row("U+FFFF", "efbfbf", "FFFF");
    row("U+10000", "f0908080", "D800 DC00");
    row("U+1F600", "f09f9880", "D83D DE00");
    row("U+10FFFF", "f48fbfbf", "DBFF DFFF");
    row("mixed", "41 c3a9 e282ac f09f9880 42", "0041 00E9 20AC D83D DE00 0042");

    // Bytes that start nothing become U+FFFD, one each.
    row("stray 0x80", "80", "FFFD");
    row("stray 0xBF", "bf", "FFFD");
    row("stray bytes then A", "80 bf 41", "FFFD FFFD 0041");
    row("A stray B", "41 9f 42", "0041 FFFD 0042");
    row("0xF5", "f5", "FFFD");
    row("0xF5 with three continuation bytes", "f5 808080", "FFFD FFFD FFFD FFFD");
    row("0xF8", "f8 41", "FFFD 0041");
    row("0xFE", "fe", "FFFD");
    row("0xFF", "ff 41", "FFFD 0041");

    // A sequence cut short by the terminator is one U+FFFD.
    row("0xC3 at the end", "c3", "FFFD");
    row("A then 0xC3 at the end", "41 c3", "0041 FFFD");
    row("0xE2 at the end", "e2", "FFFD");
    row("0xE2 0x82 at the end", "e2 82", "FFFD");
    row("0xF0 at the end", "f0", "FFFD");
    row("0xF0 0x9F at the end", "f0 9f", "FFFD");
    row("0xF0 0x9F 0x98 at the end", "f0 9f 98", "FFFD");
    row("0xF4 0x8F 0xBF at the end", "f4 8f bf", "FFFD");
    row("euro then cut sequence", "e282ac e282", "20AC FFFD");

    // The bytes after a lead byte are taken as they are.
    row("letter as continuation", "c3 41", "00C1");
    row("letters as continuation", "e2 41 42", "2042");
    row("lead byte as continuation", "c3 e2 82 ac", "00E2 FFFD FFFD");
    row("lead byte as continuation, then cut", "e2 c3", "FFFD");
    row("two-byte zero", "c080 41", "0000 0041");
    row("three-byte surrogates", "eda0bd edb880", "D83D DE00");

    // Nothing after the first zero byte is read.
    row("terminator in the middle", "41 00 42", "0041");
    row("terminator after a lead byte", "e2 00 82 ac", "FFFD");
}

void TestTextRoutines::utf8ToUtf16Units()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);

    const qsizetype sourceBytes = qstrlen(input.constData());
    const qsizetype maxUnits = sourceBytes + 2;
    const QList<unsigned short> expectedUnits = parseUnits(expected);
    QVERIFY(expectedUnits.size() <= maxUnits);
    QStringList poison;
    for (qsizetype i = expectedUnits.size(); i < maxUnits; ++i)
        poison.append(QStringLiteral("A5A5"));
    const QString expectedBuffer = (QStringList{expected} + poison).join(QLatin1Char(' '));

    for (bool guarded : {true, false}) {
        GuardedBuffer out(maxUnits * qsizetype(sizeof(unsigned short)));
        QVERIFY(out.isValid());
        auto *units = reinterpret_cast<unsigned short *>(out.data());
        for (qsizetype i = 0; i < maxUnits; ++i)
            units[i] = kPoisonUnit;

        GuardedBuffer guardedInput(input.size());
        QVERIFY(guardedInput.isValid());
        guardedInput.fill(input);
        const QByteArray looseInput = QByteArray(1, '\xEE') + input + kUtf8Tail;

        if (guarded)
            utf8_toUtf16(guardedInput.data(), units);
        else
            utf8_toUtf16(reinterpret_cast<const unsigned char *>(looseInput.constData()) + 1, units);

        QCOMPARE(formatUnits(units, maxUnits), expectedBuffer);
    }
}

void TestTextRoutines::utf8ToUtf16EverySingleByte()
{
    // Each byte alone before the terminator: ASCII stays, anything else is
    // either a stray byte or a lead byte without its continuation bytes.
    for (unsigned b = 0x01; b <= 0xFF; ++b) {
        GuardedBuffer input(2);
        GuardedBuffer out(3 * sizeof(unsigned short));
        QVERIFY(input.isValid() && out.isValid());
        input.data()[0] = static_cast<unsigned char>(b);
        input.data()[1] = 0;
        auto *units = reinterpret_cast<unsigned short *>(out.data());
        units[0] = units[1] = units[2] = kPoisonUnit;
        utf8_toUtf16(input.data(), units);
        const QString expected = b < 0x80 ? QStringLiteral("%1 0000 0000").arg(b, 4, 16, QLatin1Char('0')).toUpper()
                                          : QStringLiteral("FFFD 0000 0000");
        if (formatUnits(units, 3) != expected)
            QFAIL(qPrintable(QStringLiteral("byte %1 gives %2").arg(b, 2, 16).arg(formatUnits(units, 3))));
    }
}

void TestTextRoutines::utf8ToUtf16EveryCodePoint()
{
    // Qt's own decoder is the reference for every valid code point.
    constexpr char32_t kChunk = 4096;
    for (char32_t first = 1; first <= 0x10FFFF; first += kChunk) {
        const QString text = validCodePoints(first, kChunk);
        const QByteArray utf8 = text.toUtf8();
        QList<unsigned short> out(utf8.size() + 2, kPoisonUnit);
        utf8_toUtf16(reinterpret_cast<const unsigned char *>(utf8.constData()), out.data());
        const QString decoded = QString(reinterpret_cast<const QChar *>(out.constData()), text.size());
        if (decoded != text || out.at(text.size()) != 0 || out.at(text.size() + 1) != 0)
            QFAIL(qPrintable(QStringLiteral("wrong UTF-16 in the block starting at U+%1").arg(uint(first), 0, 16)));
    }
}

void TestTextRoutines::exportedByName_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("mangledName");
    QTest::addColumn<void *>("address");

    QTest::newRow("toUtf8") << QByteArray("toUtf8") << QByteArray("_Z6toUtf8PKhPh")
                            << reinterpret_cast<void *>(&toUtf8);
    QTest::newRow("toQP") << QByteArray("toQP") << QByteArray("_Z4toQPPKcPKhPc") << reinterpret_cast<void *>(&toQP);
    QTest::newRow("utf8_toUtf16") << QByteArray("utf8_toUtf16") << QByteArray("_Z12utf8_toUtf16PKhPt")
                                  << reinterpret_cast<void *>(&utf8_toUtf16);
}

namespace {

// The module whose dynamic symbol table must carry the names: the shared
// library, or this program itself when the routines are built into it.
void *exportingModule()
{
#ifdef ORVELLE_TEXT_LIBRARY
    return dlopen(ORVELLE_TEXT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
#else
    return dlopen(nullptr, RTLD_NOW);
#endif
}

} // namespace

void TestTextRoutines::exportedByName()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, mangledName);
    QFETCH(void *, address);

    void *module = exportingModule();
    QVERIFY2(module, dlerror());
    dlerror();
    void *symbol = dlsym(module, name.constData());
    QVERIFY2(symbol, qPrintable(QStringLiteral("%1 is not exported: %2").arg(QString::fromLatin1(name), QString::fromLocal8Bit(dlerror()))));
    QCOMPARE(symbol, address);
    QVERIFY2(!dlsym(module, mangledName.constData()), "a C++-mangled name is exported as well");
    dlclose(module);
}

void TestTextRoutines::exportedRoutinesWork()
{
    void *module = exportingModule();
    QVERIFY2(module, dlerror());
    using ToUtf8 = void (*)(const unsigned char *, unsigned char *);
    using ToQP = void (*)(const char *, const unsigned char *, char *);
    using Utf8ToUtf16 = void (*)(const unsigned char *, unsigned short *);
    const auto loadedToUtf8 = reinterpret_cast<ToUtf8>(dlsym(module, "toUtf8"));
    const auto loadedToQP = reinterpret_cast<ToQP>(dlsym(module, "toQP"));
    const auto loadedUtf8ToUtf16 = reinterpret_cast<Utf8ToUtf16>(dlsym(module, "utf8_toUtf16"));
    QVERIFY(loadedToUtf8 && loadedToQP && loadedUtf8ToUtf16);

    const unsigned char units[] = {0xE9, 0x00, 0x00, 0x00};
    unsigned char utf8[8] = {};
    loadedToUtf8(units, utf8);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(utf8), 4).toHex(' '), QByteArray("c3 a9 00 00"));

    char qp[32] = {};
    loadedToQP("=?UTF-8?Q?", utf8, qp);
    QCOMPARE(QByteArray(qp), QByteArray("=?UTF-8?Q?=C3=A9?="));

    unsigned short back[4] = {kPoisonUnit, kPoisonUnit, kPoisonUnit, kPoisonUnit};
    loadedUtf8ToUtf16(utf8, back);
    QCOMPARE(formatUnits(back, 4), QStringLiteral("00E9 0000 0000 A5A5"));
    dlclose(module);
}

QTEST_GUILESS_MAIN(TestTextRoutines)
#include "tst_textroutines.moc"
