// The tip window on its own: where it shows near the screen edges, and that
// a destroyed host is forgotten. Moves and presses over real lists are
// covered through them (tst_reportlistctrl, tst_trapview).

#include "balloonwnd.h"

#include <QCursor>
#include <QFontMetrics>
#include <QListWidget>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>

#include <cstddef>
#include <new>

namespace {

const QRect kRegisteredGeometry(100, 100, 200, 150);

// The font the balloon starts with, to measure what it should measure.
QFontMetrics defaultMetrics()
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(12);
    return QFontMetrics(font);
}

void moveTo(CBalloonWnd &balloon, const QPoint &globalPos)
{
    QCursor::setPos(globalPos);
    const QMouseEvent event(QEvent::MouseMove, QPointF(), QPointF(globalPos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    balloon.RelayEvent(&event);
}

// A balloon of its own, not yet shown. Its delay is short enough that a test
// never waits for long, its display time long enough to look at a shown tip.
struct Balloon : CBalloonWnd
{
    static constexpr int kShowDelayMs = 1;
    static constexpr int kDisplayTimeMs = 60000;
    Balloon()
    {
        Create(nullptr);
        setShowDelay(kShowDelayMs);
        setDisplayTime(kDisplayTimeMs);
    }
};

} // namespace

class TestBalloonWnd : public QObject
{
    Q_OBJECT

private slots:
    void shownTip_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QPoint>("anchor");
        QTest::addColumn<QRect>("geometry");

        // Above and to the right of the anchor, pulled in at the right and the
        // bottom screen edge (4 pixels off); text and margins are painted, and
        // the window reaches 20 pixels further down.
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const auto tip = [screen](const QString &painted, QPoint anchor, bool pulledLeft, bool pulledUp) {
            const QSize size = defaultMetrics().size(0, painted) + QSize(24, 40);
            return QRect(pulledLeft ? screen.x() + screen.width() - 4 - size.width() : anchor.x() + 12,
                         pulledUp ? screen.y() + screen.height() - 4 - size.height() : anchor.y() - size.height() + 10,
                         size.width(), size.height());
        };
        const QString oid = QStringLiteral("1.3.6.1.4.1.8072.2.3.0.1 linkDown");
        const QPoint inside(200, 300), right(screen.x() + screen.width() - 10, 300),
            bottom(200, screen.y() + screen.height() - 2), top(200, screen.y() + 5);
        QTest::newRow("plain") << oid << inside << tip(oid, inside, false, false);
        QTest::newRow("mnemonic") << "Save &As" << inside << tip("Save As", inside, false, false);
        QTest::newRow("right edge") << oid << right << tip(oid, right, true, false);
        QTest::newRow("bottom edge") << oid << bottom << tip(oid, bottom, false, true);
        // Above the screen: no correction at the top.
        QTest::newRow("top edge") << oid << top << tip(oid, top, false, false);
    }

    void shownTip()
    {
        QFETCH(QString, body);
        QFETCH(QPoint, anchor);
        QFETCH(QRect, geometry);
        Balloon balloon;
        balloon.ScheduleShow(body, QString(), anchor);
        QTRY_VERIFY(balloon.isVisible());
        QCOMPARE(balloon.geometry(), geometry);
        // what reaches below the painted part is cut off
        QCOMPARE(balloon.mask(), QRegion(0, 0, geometry.width(), geometry.height() - 20));
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
        host->setGeometry(kRegisteredGeometry);
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host));
        moveTo(balloon, kRegisteredGeometry.center());
        QTRY_COMPARE(balloon.state(), 0);
        QVERIFY(!balloon.isVisible());
    }
};

QTEST_MAIN(TestBalloonWnd)
#include "tst_balloonwnd.moc"
