// The tip window on its own: a destroyed host is forgotten. Where tips show
// and what moves and presses over real lists do is covered through those
// lists (tst_reportlistctrl, tst_trapview).

#include "balloonwnd.h"

#include <QCursor>
#include <QListWidget>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QTest>

#include <cstddef>
#include <new>

namespace {

const QRect kRegisteredGeometry(100, 100, 200, 150);

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
