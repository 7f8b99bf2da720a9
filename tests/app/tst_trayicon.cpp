// The tray icon in a real freedesktop tray: the program under Xvfb beside
// trayer, the tray's corner of the screen captured with ImageMagick's
// import. The icon must be drawn, and differ between the stopped and the
// running service. Skips where Xvfb, trayer or import are not installed.

#include "testsupport.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>


namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kTrayWidth = 160, kTrayHeight = 32;

} // namespace

class TestTrayIcon : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        for (const char *tool : {"Xvfb", "trayer", "import"}) {
            if (TestSupport::findProgram(QLatin1String(tool)).isEmpty())
                QSKIP(qPrintable(QStringLiteral("%1 is not installed (packages xvfb, trayer, imagemagick)").arg(QLatin1String(tool))));
        }
        m_program = qEnvironmentVariable("ORVELLE_EXECUTABLE");
        QVERIFY2(QFileInfo(m_program).isExecutable(), "ORVELLE_EXECUTABLE does not name the program");
        QVERIFY(m_root.isValid());
        // a display number nobody holds
        for (m_display = 200 + int(QCoreApplication::applicationPid() % 500);
             QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(m_display)); ++m_display) {
        }
        m_env = TestSupport::isolatedEnvironment(m_root.path());
        m_env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(m_display));
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        m_env.insert(QStringLiteral("ORVELLE_DATA_DIR"), TestSupport::sourceDir() + QStringLiteral("/DATA"));
        m_xvfb.start(QStringLiteral("Xvfb"), QStringLiteral(":%1 -screen 0 %2x%3x24 -nolisten tcp").arg(m_display).arg(kWidth).arg(kHeight).split(u' '));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(m_display)), 10000);
        m_tray.setProcessEnvironment(m_env);
        m_tray.start(QStringLiteral("trayer"), QStringLiteral("--edge top --align right --widthtype pixel --width %1 --height %2")
                                                   .arg(kTrayWidth).arg(kTrayHeight).split(u' '));
        QVERIFY(m_tray.waitForStarted());
        QTest::qWait(1000);
        m_empty = trayCorner();
        QVERIFY(!m_empty.isNull());
    }

    // Stopped and, with -service, running: drawn, and not the same picture.
    void iconShowsTheServiceState()
    {
        QImage shown[2];
        for (int running = 0; running < 2; ++running) {
            QProcess orvelle;
            orvelle.setProcessEnvironment(m_env);
            orvelle.start(m_program, running ? QStringList{QStringLiteral("-service")} : QStringList());
            QVERIFY(orvelle.waitForStarted());
            // the icon is in place once the tray's corner changes and settles
            QImage now;
            QTRY_VERIFY_WITH_TIMEOUT((now = trayCorner(), differing(now, m_empty) > 40), 15000);
            QTest::qWait(500);
            shown[running] = trayCorner();
            orvelle.terminate();
            QVERIFY(orvelle.waitForFinished(10000));
            QTRY_VERIFY_WITH_TIMEOUT(differing(trayCorner(), m_empty) == 0, 10000);
        }
        QVERIFY2(differing(shown[0], shown[1]) > 10, "the icon does not change with the service state");
    }

private:
    // The tray's strip at the top right of the screen, as import sees it.
    QImage trayCorner()
    {
        QProcess import;
        import.setProcessEnvironment(m_env);
        import.start(QStringLiteral("import"), QStringList{"-window", "root", "png:-"});
        import.waitForFinished(15000);
        const QImage screen = QImage::fromData(import.readAllStandardOutput(), "PNG");
        return screen.isNull() ? screen : screen.copy(kWidth - kTrayWidth, 0, kTrayWidth, kTrayHeight).convertToFormat(QImage::Format_RGB32);
    }

    static int differing(const QImage &a, const QImage &b)
    {
        if (a.size() != b.size())
            return a.width() * a.height();
        int n = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                n += a.pixel(x, y) != b.pixel(x, y);
        return n;
    }

    QTemporaryDir m_root;
    QString m_program;
    QProcessEnvironment m_env;
    QProcess m_xvfb;
    QProcess m_tray;
    QImage m_empty;
    int m_display = 0;
};

QTEST_GUILESS_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
