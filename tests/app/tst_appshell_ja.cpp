// Under a Japanese locale the menus, the program's texts and Qt's own
// buttons are Japanese.

#include "i18n.h"
#include "mainframe.h"
#include "orvelleview.h"
#include "testsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

class TestAppShellJapanese : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void languageCode();
    void menusAreJapanese();
    void everyMenuTextTranslated();
    void qtButtonsAreJapanese();

private:
    QTemporaryDir m_data;
};

void TestAppShellJapanese::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // the bundled MIB database and a trap port of our own on loopback
    const QString data = m_data.path() + QStringLiteral("/DATA");
    QDir().mkpath(data);
    QVERIFY(QFile::copy(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml"), data + QStringLiteral("/MIBTable.xml")));
    QFile config(data + QStringLiteral("/Config.xml"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<config><trap_port>%1</trap_port></config>").arg(TestSupport::freeUdpPort()).toUtf8());
    config.close();
    qputenv("ORVELLE_DATA_DIR", QFile::encodeName(data));
    qputenv("ORVELLE_TRAP_ADDRESSES", "127.0.0.1");
    QCOMPARE(QLocale::system().language(), QLocale::Japanese);
    QVERIFY(Orvelle::installTranslations(qApp));
}

void TestAppShellJapanese::languageCode()
{
    QCOMPARE(Orvelle::languageCode(), QStringLiteral("ja"));
    QCOMPARE(Orvelle::languageCode(QLocale(QLocale::English, QLocale::UnitedStates)), QStringLiteral("en"));
}

void TestAppShellJapanese::menusAreJapanese()
{
    CMainFrame frame;
    QVERIFY(frame.create());
    frame.view()->OnInitialUpdate(false);
    QStringList titles;
    for (QAction *action : frame.menuBar()->actions())
        titles << action->text();
    QCOMPARE(titles, (QStringList{QStringLiteral("ファイル(&F)"), QStringLiteral("表示(&V)"),
                                  QStringLiteral("ツール(&T)"), QStringLiteral("ヘルプ(&H)")}));
    QCOMPARE(frame.startStopAction()->text(), QStringLiteral("開始(&S)"));
    frame.startStopAction()->trigger();
    QCOMPARE(frame.startStopAction()->text(), QStringLiteral("停止(&S)"));
    QVERIFY(frame.windowTitle().contains(QStringLiteral("トラップ受信サービス")));
}

void TestAppShellJapanese::everyMenuTextTranslated()
{
    // No English text may remain in any menu (separators aside): every item
    // differs from the same item built without the catalogues.
    auto allTexts = [] {
        CMainFrame frame;
        QList<QMenu *> menus{frame.trayMenu()};
        QStringList texts;
        for (QAction *action : frame.menuBar()->actions()) {
            texts << action->text();
            menus << action->menu();
        }
        for (QMenu *menu : menus)
            for (QAction *action : menu->actions())
                if (!action->isSeparator())
                    texts << action->text() << action->data().toString();
        return texts;
    };
    const QStringList japanese = allTexts();
    const QList<QTranslator *> translators = qApp->findChildren<QTranslator *>();
    for (QTranslator *translator : translators)
        QCoreApplication::removeTranslator(translator);
    const QStringList english = allTexts();
    for (QTranslator *translator : translators)
        QCoreApplication::installTranslator(translator);
    QCOMPARE(japanese.size(), english.size());
    for (qsizetype i = 0; i < english.size(); ++i) {
        if (english[i].isEmpty())
            continue; // items without a prompt
        QVERIFY2(japanese[i] != english[i], qPrintable(english[i]));
    }
}

void TestAppShellJapanese::qtButtonsAreJapanese()
{
    QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
}

QTEST_MAIN(TestAppShellJapanese)
#include "tst_appshell_ja.moc"
