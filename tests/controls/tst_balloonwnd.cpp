#include "balloonwnd.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>

#include <cstddef>
#include <new>

namespace {

// Short enough that a test never waits for long, long enough that a test can
// look at a shown tip before it goes.
constexpr int kTestShowDelayMs = 1;
constexpr int kTestDisplayTimeMs = 60000;

const QRect kRegisteredGeometry(100, 100, 200, 150);
const QRect kUnregisteredGeometry(400, 100, 200, 150);

QRect screenRect()
{
    return QGuiApplication::primaryScreen()->geometry();
}

// The font the balloon starts with, to measure what it should measure.
QFontMetrics defaultMetrics()
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(12);
    return QFontMetrics(font);
}

void relayMove(CBalloonWnd &balloon, const QPoint &globalPos)
{
    QCursor::setPos(globalPos);
    const QMouseEvent event(QEvent::MouseMove, QPointF(), QPointF(globalPos), Qt::NoButton, Qt::NoButton,
                            Qt::NoModifier);
    balloon.RelayEvent(&event);
}

// Two item views side by side, the left one registered with the balloon.
struct Scene
{
    QListWidget registered;
    QListWidget unregistered;
    CBalloonWnd balloon;

    Scene()
    {
        registered.setGeometry(kRegisteredGeometry);
        unregistered.setGeometry(kUnregisteredGeometry);
        registered.show();
        unregistered.show();
        balloon.Create(&registered);
        balloon.setShowDelay(kTestShowDelayMs);
        balloon.setDisplayTime(kTestDisplayTimeMs);
        balloon.AddTool(&registered, QStringLiteral("full cell text"));
    }
    bool exposed()
    {
        return QTest::qWaitForWindowExposed(&registered) && QTest::qWaitForWindowExposed(&unregistered);
    }
};

// Counts how often a widget is shown.
class ShowCounter : public QObject
{
public:
    int shows = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            ++shows;
        return false;
    }
};

} // namespace

class TestBalloonWnd : public QObject
{
    Q_OBJECT

private slots:
    void oneLineSize_data();
    void oneLineSize();
    void placement_data();
    void placement();
    void relayedMove_data();
    void relayedMove();
    void buttonPress_data();
    void buttonPress();
    void neverShown_data();
    void neverShown();
    void hiddenAfterDisplayTime();
    void updateTipText();
    void mnemonicUnderlined();
};

void TestBalloonWnd::oneLineSize_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("shown");

    QTest::newRow("plain") << QStringLiteral("Trap received from 192.0.2.1") << QStringLiteral("Trap received from 192.0.2.1");
    QTest::newRow("mnemonic") << QStringLiteral("Save &As") << QStringLiteral("Save As");
    QTest::newRow("literal ampersand") << QStringLiteral("R&&D") << QStringLiteral("R&D");
}

void TestBalloonWnd::oneLineSize()
{
    QFETCH(QString, body);
    QFETCH(QString, shown);

    CBalloonWnd balloon;
    balloon.Create(nullptr);
    balloon.setShowDelay(kTestShowDelayMs);
    balloon.ScheduleShow(body, QString(), QPoint(200, 300));
    QTRY_VERIFY(balloon.isVisible());

    const QSize painted = defaultMetrics().size(0, shown) + QSize(24, 20);
    QRegion region;
    QCOMPARE(balloon.ComputeShape(&region), painted + QSize(0, 20));
    QCOMPARE(region, QRegion(0, 0, painted.width(), painted.height()));
    QCOMPARE(balloon.size(), painted + QSize(0, 20));
    QCOMPARE(balloon.mask(), region);
}

void TestBalloonWnd::placement_data()
{
    QTest::addColumn<QPoint>("anchor");
    QTest::addColumn<bool>("pulledLeft");
    QTest::addColumn<bool>("pulledUp");

    const QRect screen = screenRect();
    const int right = screen.x() + screen.width();
    const int bottom = screen.y() + screen.height();
    QTest::newRow("inside") << QPoint(200, 300) << false << false;
    QTest::newRow("right edge") << QPoint(right - 10, 300) << true << false;
    QTest::newRow("bottom edge") << QPoint(200, bottom - 2) << false << true;
    QTest::newRow("bottom right corner") << QPoint(right - 1, bottom - 1) << true << true;
    // Above the screen: no correction at the top.
    QTest::newRow("top edge") << QPoint(200, screen.y() + 5) << false << false;
}

void TestBalloonWnd::placement()
{
    QFETCH(QPoint, anchor);
    QFETCH(bool, pulledLeft);
    QFETCH(bool, pulledUp);

    CBalloonWnd balloon;
    balloon.Create(nullptr);
    balloon.setShowDelay(kTestShowDelayMs);
    balloon.ScheduleShow(QStringLiteral("1.3.6.1.4.1.8072.2.3.0.1 linkDown"), QString(), anchor);
    QTRY_VERIFY(balloon.isVisible());

    const QRect screen = screenRect();
    const QRect tip = balloon.geometry();
    if (pulledLeft)
        QCOMPARE(tip.x() + tip.width(), screen.x() + screen.width() - 4);
    else
        QCOMPARE(tip.x(), anchor.x() + 12);
    if (pulledUp)
        QCOMPARE(tip.y() + tip.height(), screen.y() + screen.height() - 4);
    else
        QCOMPARE(tip.y(), anchor.y() - tip.height() + 10);
}

void TestBalloonWnd::relayedMove_data()
{
    QTest::addColumn<QPoint>("target");
    QTest::addColumn<bool>("scheduled");

    QTest::newRow("another point of the host") << QPoint(160, 210) << true;
    // Covered by the shown tip (which starts 12 pixels right of its anchor
    // and ends 10 pixels below it), yet the host is under the cursor.
    QTest::newRow("host below the tip") << QPoint(170, 205) << true;
    QTest::newRow("unregistered view") << kUnregisteredGeometry.center() << false;
    QTest::newRow("no window") << QPoint(50, 50) << false;
}

// A tip shown for the registered view, then the cursor moves on.
void TestBalloonWnd::relayedMove()
{
    QFETCH(QPoint, target);
    QFETCH(bool, scheduled);

    Scene scene;
    QVERIFY(scene.exposed());
    relayMove(scene.balloon, QPoint(150, 200));
    QCOMPARE(scene.balloon.state(), 1);
    QTRY_VERIFY(scene.balloon.isVisible());
    QCOMPARE(scene.balloon.body(), QStringLiteral("full cell text"));

    relayMove(scene.balloon, target);
    QCOMPARE(scene.balloon.state(), scheduled ? 1 : 0);
    if (scheduled) {
        QCOMPARE(scene.balloon.anchor(), target);
        QTRY_COMPARE(scene.balloon.pos(), QPoint(target.x() + 12, target.y() - scene.balloon.height() + 10));
        QVERIFY(scene.balloon.isVisible());
    } else {
        QVERIFY(!scene.balloon.isVisible());
    }
}

void TestBalloonWnd::buttonPress_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("hides");

    QTest::newRow("left") << Qt::LeftButton << true;
    QTest::newRow("right") << Qt::RightButton << true;
    QTest::newRow("middle") << Qt::MiddleButton << true;
    QTest::newRow("back") << Qt::BackButton << false;
}

void TestBalloonWnd::buttonPress()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, hides);

    Scene scene;
    QVERIFY(scene.exposed());
    const QPoint at(150, 200);
    relayMove(scene.balloon, at);
    QTRY_VERIFY(scene.balloon.isVisible());

    const QMouseEvent press(QEvent::MouseButtonPress, QPointF(), QPointF(at), button, button, Qt::NoModifier);
    scene.balloon.RelayEvent(&press);
    QCOMPARE(scene.balloon.isVisible(), !hides);
    QCOMPARE(scene.balloon.state(), hides ? 0 : 1);
}

void TestBalloonWnd::neverShown_data()
{
    QTest::addColumn<QString>("situation");

    QTest::newRow("unregistered view") << QStringLiteral("unregistered");
    // Hosts register with an empty text until the cursor reaches a cell.
    QTest::newRow("empty tip") << QStringLiteral("empty");
    // A new view where a destroyed registered one was.
    QTest::newRow("destroyed host") << QStringLiteral("destroyed");
}

void TestBalloonWnd::neverShown()
{
    QFETCH(QString, situation);

    CBalloonWnd balloon;
    balloon.Create(nullptr);
    balloon.setShowDelay(kTestShowDelayMs);
    ShowCounter counter;
    balloon.installEventFilter(&counter);

    // The new view is built where the destroyed one was, so that a stale
    // entry would be found under its address.
    alignas(QListWidget) std::byte storage[sizeof(QListWidget)];
    auto *host = new (storage) QListWidget;
    if (situation == QLatin1String("empty")) {
        balloon.AddTool(host, QString());
    } else if (situation == QLatin1String("destroyed")) {
        balloon.AddTool(host, QStringLiteral("gone"));
        host->~QListWidget();
        host = new (storage) QListWidget;
    }
    const auto destroyHost = qScopeGuard([host] { host->~QListWidget(); });
    host->setGeometry(kRegisteredGeometry);
    host->show();
    QVERIFY(QTest::qWaitForWindowExposed(host));

    relayMove(balloon, kRegisteredGeometry.center());
    QTRY_COMPARE(balloon.state(), 0);
    QCOMPARE(counter.shows, 0);
}

void TestBalloonWnd::hiddenAfterDisplayTime()
{
    Scene scene;
    QVERIFY(scene.exposed());
    scene.balloon.setDisplayTime(50);
    relayMove(scene.balloon, QPoint(150, 200));
    QTRY_VERIFY(scene.balloon.isVisible());
    QTRY_VERIFY(!scene.balloon.isVisible());
    QCOMPARE(scene.balloon.state(), 0);
}

void TestBalloonWnd::updateTipText()
{
    Scene scene;
    QVERIFY(scene.exposed());
    relayMove(scene.balloon, QPoint(150, 200));
    QTRY_VERIFY(scene.balloon.isVisible());

    // Not registered: ignored, the tip stays and the view stays without one.
    scene.balloon.UpdateTipText(&scene.unregistered, QString(), QStringLiteral("other view"));
    QVERIFY(scene.balloon.isVisible());
    relayMove(scene.balloon, kUnregisteredGeometry.center());
    QCOMPARE(scene.balloon.state(), 0);

    relayMove(scene.balloon, QPoint(155, 205));
    QTRY_VERIFY(scene.balloon.isVisible());
    scene.balloon.UpdateTipText(&scene.registered, QStringLiteral("sysUpTime"), QStringLiteral("next cell"));
    QVERIFY(!scene.balloon.isVisible());
    QCOMPARE(scene.balloon.state(), 0);

    relayMove(scene.balloon, QPoint(160, 210));
    QTRY_VERIFY(scene.balloon.isVisible());
    QCOMPARE(scene.balloon.title(), QStringLiteral("sysUpTime"));
    QCOMPARE(scene.balloon.body(), QStringLiteral("next cell"));
}

// "&W" paints what "W" paints, plus an underline below the glyph's baseline.
void TestBalloonWnd::mnemonicUnderlined()
{
    const auto render = [](const QString &body) {
        CBalloonWnd balloon;
        balloon.ScheduleShow(body, QString(), QPoint(200, 300));
        balloon.HideTip();
        balloon.resize(balloon.ComputeShape());
        return balloon.grab().toImage();
    };
    const QImage plain = render(QStringLiteral("W"));
    const QImage marked = render(QStringLiteral("&W"));
    QCOMPARE(marked.size(), plain.size());

    const int baseline = 10 + defaultMetrics().ascent();
    int underlinePixels = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            if (marked.pixel(x, y) == plain.pixel(x, y))
                continue;
            QVERIFY2(y >= baseline - 1, qPrintable(QStringLiteral("difference above the baseline at %1,%2").arg(x).arg(y)));
            ++underlinePixels;
        }
    }
    QVERIFY(underlinePixels > 0);
}

QTEST_MAIN(TestBalloonWnd)
#include "tst_balloonwnd.moc"
