// The trap list model where only a model test reaches cheaply (real traps
// are listed end to end in tst_trapview).

#include "orvelleview.h"
#include "traplistmodel.h"

#include <QAbstractItemModelTester>
#include <QTest>

namespace {

// Trap "t<n>", whose variable values are "t<n>-v1", "t<n>-v2" ...
tagTRAPRECORD makeTrap(int n, int varbinds)
{
    tagTRAPRECORD record;
    record.strDescription = QStringLiteral("t%1").arg(n);
    for (int i = 1; i <= varbinds; ++i)
        record.lstVarbinds.push_back({4, QStringLiteral("1.3.6.1.2.1.1.%1.0").arg(i), QString(),
                                      QStringLiteral("t%1-v%2").arg(n).arg(i)});
    return record;
}

// Lists traps of these sizes under `limit`, flushing after every `batch` of
// them; the rows are "H:t<n>" for a header row, else the value.
QStringList listed(quint32 limit, const QList<int> &traps, int batch)
{
    TrapListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setMaxRows(limit);
    for (int i = 0; i < traps.size(); ++i) {
        model.appendTrap(makeTrap(i, traps[i]));
        if ((i + 1) % batch == 0)
            model.flush();
    }
    model.flush();
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        const bool header = !model.cellText(row, TrapListModel::ColDateTime).isEmpty();
        rows << (header ? QStringLiteral("H:") : QString()) + model.cellText(row, TrapListModel::ColValueDescription);
    }
    return rows;
}

} // namespace

class TestTrapListModel : public QObject
{
    Q_OBJECT

private slots:
    void trimming_data()
    {
        QTest::addColumn<quint32>("limit");
        QTest::addColumn<QList<int>>("traps"); // variable bindings per trap
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("exactly at the limit keeps everything")
            << 4u << QList<int>{1, 1} << QStringList{"H:t0", "t0-v1", "H:t1", "t1-v1"};
        QTest::newRow("one over the limit deletes row 0 only")
            << 4u << QList<int>{1, 2} << QStringList{"t0-v1", "H:t1", "t1-v1", "t1-v2"};
        QTest::newRow("over the limit by more than a trap keeps the newest rows")
            << 3u << QList<int>{2, 2, 1} << QStringList{"t1-v2", "H:t2", "t2-v1"};
        QTest::newRow("limit 0") << 0u << QList<int>{2, 1} << QStringList{};
    }

    // Trap by trap, and all in one batch.
    void trimming()
    {
        QFETCH(quint32, limit);
        QFETCH(QList<int>, traps);
        QTEST(listed(limit, traps, 1), "expected");
        QTEST(listed(limit, traps, int(traps.size())), "expected");
    }

    // A Counter64 reads in decimal; its tip adds the hex form.
    void counter64Tip()
    {
        TrapListModel model;
        tagTRAPRECORD record;
        record.lstVarbinds.push_back({0x46, QStringLiteral("1.3.6.1.2.1.31.1.1.1.6.1"), QString(),
                                      QStringLiteral("4294967551")});
        record.lstVarbinds.push_back({0x41, QStringLiteral("1.3.6.1.2.1.2.2.1.10.1"), QString(), QStringLiteral("7")});
        model.appendTrap(record);
        model.flush();
        QCOMPARE(model.cellTip(1, TrapListModel::ColValueDescription), QStringLiteral("4294967551 (0x00000001000000ff)"));
        QCOMPARE(model.cellTip(2, TrapListModel::ColValueDescription), QStringLiteral("7"));
    }

    void newClearsQueuedRowsToo()
    {
        COrvelleView view;
        view.OnTrapRecord(std::make_shared<tagTRAPRECORD>(makeTrap(0, 2)));
        view.trapModel()->flush();
        view.OnTrapRecord(std::make_shared<tagTRAPRECORD>(makeTrap(1, 1))); // still queued
        view.OnNew();
        // neither what was listed nor what was queued comes back with the next flush
        view.trapModel()->flush();
        QCOMPARE(view.trapModel()->rowCount(), 0);
    }
};

QTEST_MAIN(TestTrapListModel)
#include "tst_traplistmodel.moc"
