// The MIB language code follows the user's UI language.

#include "appsettings.h"

#include <QTest>

class TestAppSettings : public QObject
{
    Q_OBJECT
private slots:
    void languageFollowsLocale()
    {
        const QString expected = qEnvironmentVariable("EXPECTED_LANGUAGE");
        QVERIFY2(!expected.isEmpty(), "run through CTest, which sets LANG and EXPECTED_LANGUAGE");
        CAppSettings settings;
        QCOMPARE(settings.strLanguage, expected);
        // Defaults before Config.xml is read.
        QCOMPARE(settings.config.nTrapPort, quint16(162));
        QVERIFY(settings.config.strActionProgram.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_appsettings.moc"
