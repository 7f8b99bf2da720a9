#include "orvelleview.h"
#include "traplistmodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QHeaderView>
#include <QTest>

namespace {

std::shared_ptr<tagTRAPRECORD> makeTrap(int varbinds, quint32 severity = 1, const QString &tag = QString())
{
    auto record = std::make_shared<tagTRAPRECORD>();
    record->nSeverity = severity;
    record->nVarbindCount = varbinds;
    record->tmReceived = 1700000000;
    record->strAgent = QStringLiteral("192.0.2.1");
    record->strCommunity = QStringLiteral("public");
    record->strDescription = tag.isEmpty() ? QStringLiteral("trap") : tag;
    for (int i = 0; i < varbinds; ++i) {
        tagTRAPVARBIND vb;
        vb.nSyntax = 0x04;
        vb.strOid = QStringLiteral("1.3.6.1.2.1.1.%1.0").arg(i + 1);
        vb.strName = QStringLiteral("obj%1").arg(i + 1);
        vb.strValue = QStringLiteral("%1-v%2").arg(record->strDescription).arg(i + 1);
        record->lstVarbinds.push_back(vb);
    }
    return record;
}

} // namespace

class TestTrapListModel : public QObject
{
    Q_OBJECT

private slots:
    void rowsOfOneTrap();
    void rowLimit_data();
    void rowLimit();
    void batchEqualsOneByOne();
    void severityTexts_data();
    void severityTexts();
    void newClearsQueuedRowsToo();
    void headings();
};

void TestTrapListModel::rowsOfOneTrap()
{
    TrapListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.appendTrap(*makeTrap(3));
    model.flush();
    QCOMPARE(model.rowCount(), 4);
    QVERIFY(!model.cellText(0, TrapListModel::ColDateTime).isEmpty());
    QCOMPARE(model.cellText(0, TrapListModel::ColOidSeverity), QStringLiteral("Informational"));
    QCOMPARE(model.cellText(0, TrapListModel::ColAgentOid), QStringLiteral("192.0.2.1"));
    QCOMPARE(model.cellText(0, TrapListModel::ColSyntaxContext), QStringLiteral("public"));
    QCOMPARE(model.cellText(0, TrapListModel::ColValueDescription), QStringLiteral("trap"));
    for (int row = 1; row <= 3; ++row) {
        QVERIFY(model.cellText(row, TrapListModel::ColDateTime).isEmpty());
        QCOMPARE(model.cellText(row, TrapListModel::ColOidSeverity), QStringLiteral("1.3.6.1.2.1.1.%1.0").arg(row));
        QCOMPARE(model.cellText(row, TrapListModel::ColAgentOid), QStringLiteral("obj%1").arg(row));
        QCOMPARE(model.cellText(row, TrapListModel::ColSyntaxContext), QStringLiteral("(octets)"));
        QCOMPARE(model.cellText(row, TrapListModel::ColValueDescription), QStringLiteral("trap-v%1").arg(row));
    }
}

void TestTrapListModel::rowLimit_data()
{
    QTest::addColumn<quint32>("limit");
    QTest::addColumn<QList<int>>("traps");        // variable bindings per trap
    QTest::addColumn<bool>("flushEach");
    QTest::addColumn<QStringList>("firstColumnOfRows"); // "H:tag" or the value text

    QTest::newRow("limit 5, one trap of six rows loses its header")
        << 5u << QList<int>{5} << true
        << QStringList{"t0-v1", "t0-v2", "t0-v3", "t0-v4", "t0-v5"};
    QTest::newRow("limit 0 empties the list after every trap")
        << 0u << QList<int>{2, 0} << true << QStringList{};
    QTest::newRow("exactly at the limit keeps everything")
        << 4u << QList<int>{1, 1} << true << QStringList{"H:t0", "t0-v1", "H:t1", "t1-v1"};
    QTest::newRow("one over the limit deletes row 0 only")
        << 4u << QList<int>{1, 2} << true << QStringList{"t0-v1", "H:t1", "t1-v1", "t1-v2"};
    QTest::newRow("a batch over the limit keeps the newest rows")
        << 3u << QList<int>{2, 2, 1} << false << QStringList{"t1-v2", "H:t2", "t2-v1"};
    QTest::newRow("a batch within the limit")
        << 50u << QList<int>{0, 1} << false << QStringList{"H:t0", "H:t1", "t1-v1"};
}

void TestTrapListModel::rowLimit()
{
    QFETCH(quint32, limit);
    QFETCH(QList<int>, traps);
    QFETCH(bool, flushEach);
    QFETCH(QStringList, firstColumnOfRows);

    TrapListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setMaxRows(limit);
    for (int i = 0; i < traps.size(); ++i) {
        model.appendTrap(*makeTrap(traps[i], 1, QStringLiteral("t%1").arg(i)));
        if (flushEach)
            model.flush();
    }
    model.flush();
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        const bool header = !model.cellText(row, TrapListModel::ColDateTime).isEmpty();
        rows << (header ? QStringLiteral("H:") + model.cellText(row, TrapListModel::ColValueDescription)
                        : model.cellText(row, TrapListModel::ColValueDescription));
    }
    QCOMPARE(rows, firstColumnOfRows);
}

void TestTrapListModel::batchEqualsOneByOne()
{
    // Batching is an optimisation only: the rows must be those that adding
    // and trimming trap by trap gives.
    TrapListModel oneByOne, batched;
    QAbstractItemModelTester tester(&batched, QAbstractItemModelTester::FailureReportingMode::QtTest);
    oneByOne.setMaxRows(37);
    batched.setMaxRows(37);
    for (int i = 0; i < 200; ++i) {
        const auto trap = makeTrap(i % 7, 1, QStringLiteral("t%1").arg(i));
        oneByOne.appendTrap(*trap);
        oneByOne.flush();
        batched.appendTrap(*trap);
        if (i % 13 == 0)
            batched.flush();
    }
    batched.flush();
    QCOMPARE(batched.rowCount(), oneByOne.rowCount());
    for (int row = 0; row < batched.rowCount(); ++row)
        for (int column = 0; column < TrapListModel::ColumnCount; ++column)
            QCOMPARE(batched.cellText(row, column), oneByOne.cellText(row, column));
}

void TestTrapListModel::severityTexts_data()
{
    QTest::addColumn<quint32>("severity");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0u << "Unknown";
    QTest::newRow("1") << 1u << "Informational";
    QTest::newRow("2") << 2u << "Minor";
    QTest::newRow("3") << 3u << "Major";
    QTest::newRow("4") << 4u << "Unknown";
    QTest::newRow("max") << 0xFFFFFFFFu << "Unknown";
}

void TestTrapListModel::severityTexts()
{
    QFETCH(quint32, severity);
    QFETCH(QString, text);
    TrapListModel model;
    model.appendTrap(*makeTrap(0, severity));
    model.flush();
    QCOMPARE(model.cellText(0, TrapListModel::ColOidSeverity), text);
}

void TestTrapListModel::newClearsQueuedRowsToo()
{
    COrvelleView view;
    view.OnTrapRecord(makeTrap(2));
    view.trapModel()->flush();
    view.OnTrapRecord(makeTrap(1)); // still queued
    view.OnNew();
    QCOMPARE(view.trapModel()->rowCount(), 0);
    QTest::qWait(TrapListModel::kBusyFlushIntervalMs * 2);
    QCOMPARE(view.trapModel()->rowCount(), 0);
}

void TestTrapListModel::headings()
{
    COrvelleView view;
    const QStringList expected{"Date/Time", "oid / Severity", "Source Agent/OID", "Syntax/Context", "Value/Description"};
    const int widths[] = {120, 180, 120, 98, 620};
    const qreal scale = view.logicalDpiX() / 96.0;
    for (int column = 0; column < expected.size(); ++column) {
        QCOMPARE(view.model()->headerData(column, Qt::Horizontal).toString(), expected[column]);
        // a heading wider than its column gets the room it needs
        QCOMPARE(view.columnWidth(column),
                 qMax(qRound(widths[column] * scale), view.horizontalHeader()->sectionSizeHint(column)));
    }
    QVERIFY(!view.isSortingEnabled());
    QCOMPARE(view.selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(view.showGrid());
}

QTEST_MAIN(TestTrapListModel)
#include "tst_traplistmodel.moc"
