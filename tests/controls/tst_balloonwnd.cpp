#include "balloonwnd.h"

#include <QApplication>
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
const QRect kUnregisteredGeometry(400, 100, 200, 150);
const QPoint kFirstPoint(150, 200); // inside the registered view

// The font the balloon starts with, to measure what it should measure.
QFontMetrics defaultMetrics()
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(12);
    return QFontMetrics(font);
}

void relay(CBalloonWnd &balloon, const QPoint &globalPos, Qt::MouseButton button = Qt::NoButton)
{
    QCursor::setPos(globalPos);
    const QMouseEvent event(button == Qt::NoButton ? QEvent::MouseMove : QEvent::MouseButtonPress, QPointF(),
                            QPointF(globalPos), button, button, Qt::NoModifier);
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

// Two item views side by side, the left one registered with the balloon,
// whose tip is shown for it at kFirstPoint.
struct Scene
{
    QListWidget registered;
    QListWidget unregistered;
    Balloon balloon;

    bool showTip()
    {
        registered.setGeometry(kRegisteredGeometry);
        unregistered.setGeometry(kUnregisteredGeometry);
        registered.show();
        unregistered.show();
        balloon.Create(&registered);
        balloon.AddTool(&registered, QStringLiteral("full cell text"));
        if (!QTest::qWaitForWindowExposed(&registered) || !QTest::qWaitForWindowExposed(&unregistered))
            return false;
        relay(balloon, kFirstPoint);
        return QTest::qWaitFor([this] { return balloon.isVisible(); }) && balloon.body() == QLatin1String("full cell text");
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

    void eventWhileShown_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<Qt::MouseButton>("button"); // NoButton: a move to `at`
        QTest::addColumn<bool>("stays");

        QTest::newRow("move within the host") << QPoint(160, 210) << Qt::NoButton << true;
        // Covered by the shown tip (which starts 12 pixels right of its anchor
        // and ends 10 pixels below it), yet the host is under the cursor.
        QTest::newRow("move to the host below the tip") << QPoint(170, 205) << Qt::NoButton << true;
        QTest::newRow("move to an unregistered view") << kUnregisteredGeometry.center() << Qt::NoButton << false;
        QTest::newRow("left press") << kFirstPoint << Qt::LeftButton << false;
        QTest::newRow("back press") << kFirstPoint << Qt::BackButton << true;
    }

    void eventWhileShown()
    {
        QFETCH(QPoint, at);
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, stays);

        Scene scene;
        QVERIFY(scene.showTip());
        relay(scene.balloon, at, button);
        QCOMPARE(scene.balloon.state(), stays ? 1 : 0);
        QCOMPARE(scene.balloon.isVisible(), stays);
        if (stays && button == Qt::NoButton) {
            // shown again at the new point
            QCOMPARE(scene.balloon.anchor(), at);
            QTRY_COMPARE(scene.balloon.pos(), QPoint(at.x() + 12, at.y() - scene.balloon.height() + 10));
        }
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
        relay(balloon, kRegisteredGeometry.center());
        QTRY_COMPARE(balloon.state(), 0);
        QVERIFY(!balloon.isVisible());
    }
};

QTEST_MAIN(TestBalloonWnd)
#include "tst_balloonwnd.moc"
