// The report list and its cell tips: where a tip shows as the pointer moves
// over a real list, the model behind the list, and the tip window forgetting
// a host that is destroyed.

#include "balloonwnd.h"
#include "reportlistctrl.h"

#include <QAbstractItemModelTester>
#include <QCursor>
#include <QHeaderView>
#include <QListWidget>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTest>

#include <cstddef>
#include <new>

namespace {

// Geometry of the test lists, so that cells and borders sit where the
// tables below say.
constexpr int kRowHeight = 20;
constexpr int kColumnWidth = 100;
const QRect kListGeometry(100, 100, 330, 200);

// One line far wider than any screen: its tip must wrap.
const QString kLongText = QStringLiteral("1.3.6.1.2.1.1.1.0 a value far too long for its column to show in full ") + QString(4000, u'w');

// Centre of a cell, in content coordinates (before horizontal scrolling).
constexpr QPoint centre(int row, int column)
{
    return QPoint(column * kColumnWidth + kColumnWidth / 2, row * kRowHeight + kRowHeight / 2);
}

// A list of fixed row height and `columns` columns of kColumnWidth.
void setUp(CReportListCtrl &list, int columns)
{
    list.verticalHeader()->setDefaultSectionSize(kRowHeight);
    for (int column = 0; column < columns; ++column)
        list.InsertColumn(column, QStringLiteral("column %1").arg(column), Qt::AlignLeft, kColumnWidth);
    list.setGeometry(kListGeometry);
}

// A balloon that shows at once and stays while a test looks at it.
struct Balloon : CBalloonWnd
{
    Balloon()
    {
        Create(nullptr);
        setShowDelay(1);
        setDisplayTime(60000);
    }
};

// A shown list with cell tips on, registered with its balloon:
//   row 0: "alpha" | (empty) | kLongText | "a3"
//   row 1: "beta"  | "b1"    | (empty)   | "b3"
struct TipScene
{
    CReportListCtrl list;
    Balloon balloon;

    bool setUp()
    {
        ::setUp(list, 4);
        list.InsertItem(0, QStringLiteral("alpha"));
        list.SetItem(0, 2, kLongText);
        list.SetItem(0, 3, QStringLiteral("a3"));
        list.InsertItem(1, QStringLiteral("beta"));
        list.SetItem(1, 1, QStringLiteral("b1"));
        list.SetItem(1, 3, QStringLiteral("b3"));
        balloon.Create(&list);
        balloon.AddTool(&list, QString());
        list.SetBalloon(&balloon);
        list.EnableCellTips(nullptr, 0);
        list.show();
        return QTest::qWaitForWindowExposed(&list);
    }

    // A move of the pointer over the viewport, `at` in content coordinates.
    QPoint moveTo(const QPoint &at)
    {
        const QPoint inViewport(at.x() - list.horizontalScrollBar()->value(), at.y());
        const QPoint global = list.viewport()->mapToGlobal(inViewport);
        QCursor::setPos(global);
        QMouseEvent event(QEvent::MouseMove, QPointF(inViewport), QPointF(global), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(list.viewport(), &event);
        return global;
    }
};

} // namespace

class TestReportListCtrl : public QObject
{
    Q_OBJECT

private slots:
    void cellTip_data()
    {
        // Every case starts with the tip of cell (0, 0) shown, "alpha".
        QTest::addColumn<int>("scroll");           // horizontal scroll before the second move
        QTest::addColumn<bool>("deleteFirstRow");  // between the two moves
        QTest::addColumn<QPoint>("target");        // content coordinates of the second move
        QTest::addColumn<bool>("stillShown");      // the tip shown right after the move
        QTest::addColumn<bool>("relayed");         // the move reached the balloon
        QTest::addColumn<int>("state");
        QTest::addColumn<QPoint>("hot");           // (row, column)
        QTest::addColumn<QString>("body");

        const QPoint none(-1, -1);
        const QPoint border(kColumnWidth, centre(0, 0).y());
        QTest::newRow("to another cell: its full text") << 0 << false << centre(0, 2) << false << true << 1 << QPoint(0, 2) << kLongText;
        QTest::newRow("to an empty cell") << 0 << false << centre(0, 1) << false << false << 0 << QPoint(0, 0) << "alpha";
        QTest::newRow("on a column border") << 0 << false << border << true << false << 1 << none << "alpha";
        QTest::newRow("on a column border, scrolled") << 30 << false << border << true << false << 1 << none << "alpha";
        QTest::newRow("off the rows") << 0 << false << centre(3, 0) << false << false << 0 << none << "alpha";
        // the row under the pointer is another one now
        QTest::newRow("rows above deleted") << 0 << true << centre(0, 0) + QPoint(7, 3) << false << true << 1 << QPoint(0, 0) << "beta";
    }

    void cellTip()
    {
        QFETCH(int, scroll);
        QFETCH(bool, deleteFirstRow);
        QFETCH(QPoint, target);
        QFETCH(bool, relayed);
        QFETCH(int, state);
        QFETCH(QString, body);

        TipScene scene;
        QVERIFY(scene.setUp());
        const QPoint first = scene.moveTo(centre(0, 0));
        QTRY_VERIFY(scene.balloon.isVisible());
        QCOMPARE(scene.balloon.body(), QStringLiteral("alpha"));

        if (scroll) {
            scene.list.horizontalScrollBar()->setValue(scroll);
            QCOMPARE(scene.list.horizontalScrollBar()->value(), scroll);
        }
        if (deleteFirstRow)
            QVERIFY(scene.list.DeleteItem(0));
        const QPoint second = scene.moveTo(target);

        QTEST(scene.balloon.isVisible(), "stillShown");
        QCOMPARE(scene.balloon.anchor(), relayed ? second : first);
        QCOMPARE(scene.balloon.state(), state);
        QTEST(QPoint(scene.list.hotRow(), scene.list.hotColumn()), "hot");
        QCOMPARE(scene.balloon.body(), body);
        if (state == 1) {
            QTRY_VERIFY(scene.balloon.isVisible());
            QVERIFY2(scene.balloon.width() <= QGuiApplication::primaryScreen()->geometry().width(), qPrintable(QString::number(scene.balloon.width())));
        }
    }

    void modelConsistent()
    {
        CReportListCtrl list;
        QAbstractItemModelTester tester(list.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        setUp(list, 2);

        QCOMPARE(list.InsertItem(0, QStringLiteral("b")), 0);
        QCOMPARE(list.InsertItem(0, QStringLiteral("a")), 0);
        QCOMPARE(list.InsertItem(99, QStringLiteral("d")), 2);
        QCOMPARE(list.InsertItem(2, QStringLiteral("c")), 2);
        QCOMPARE(list.InsertItem(-1, QStringLiteral("x")), -1);
        QVERIFY(list.SetItem(3, 1, QStringLiteral("d1")));
        QVERIFY(!list.SetItem(4, 0, QStringLiteral("x")));
        QVERIFY(!list.SetItem(0, 2, QStringLiteral("x")));
        QVERIFY(list.SetRowStyle(1, CReportListCtrl::RowBold | CReportListCtrl::RowBackground, true));
        QVERIFY(list.SetRowBackground(1, QColor(240, 240, 240), true));
        QVERIFY(!list.SetRowStyle(4, CReportListCtrl::RowBold, true));
        QCOMPARE(list.GetRowStyle(1), quint32(CReportListCtrl::RowBold | CReportListCtrl::RowBackground));

        // a column put in front takes the texts' places with it
        QCOMPARE(list.InsertColumn(0, QStringLiteral("new"), Qt::AlignHCenter), 0);
        QCOMPARE(list.GetItemText(3, 0), QString());
        QCOMPARE(list.GetItemText(3, 1), QStringLiteral("d"));
        QCOMPARE(list.GetItemText(3, 2), QStringLiteral("d1"));

        QVERIFY(list.DeleteItem(1));
        QVERIFY(!list.DeleteItem(list.GetItemCount()));
        QCOMPARE(list.GetItemText(1, 1), QStringLiteral("c"));
        QCOMPARE(list.GetRowStyle(1), 0u); // the style went with its row
        // keeping the newest rows and emptying the list as the walk list
        // does: tst_mibwalkdlg
    }

    void destroyedHostForgotten()
    {
        // A new view is built where a destroyed registered one was, so that a
        // stale entry would be found under its address.
        Balloon balloon;
        alignas(QListWidget) std::byte storage[sizeof(QListWidget)];
        auto *gone = new (storage) QListWidget;
        balloon.AddTool(gone, QStringLiteral("gone"));
        gone->~QListWidget();
        auto *host = new (storage) QListWidget;
        const auto destroyHost = qScopeGuard([host] { host->~QListWidget(); });
        host->setGeometry(kListGeometry);
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host));
        const QPoint centre = kListGeometry.center();
        QCursor::setPos(centre);
        const QMouseEvent move(QEvent::MouseMove, QPointF(), QPointF(centre), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        balloon.RelayEvent(&move);
        QTRY_COMPARE(balloon.state(), 0);
        QVERIFY(!balloon.isVisible());
    }
};

QTEST_MAIN(TestReportListCtrl)
#include "tst_reportlistctrl.moc"
