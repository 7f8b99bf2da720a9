// Under a Japanese locale the menus and the program's texts are Japanese.

#include "i18n.h"
#include "mainframe.h"
#include "orvelleview.h"

#include <QApplication>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

namespace {

// Every menu title (the menu bar's first), item text and item prompt.
QStringList menuTexts(const CMainFrame &frame)
{
    QList<QMenu *> menus{frame.trayMenu()};
    QStringList texts;
    for (QAction *title : frame.menuBar()->actions()) {
        texts << title->text();
        menus << title->menu();
    }
    for (QMenu *menu : menus)
        for (QAction *action : menu->actions())
            if (!action->isSeparator())
                texts << action->text() << action->data().toString();
    return texts;
}

} // namespace

class TestAppShellJapanese : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCOMPARE(QLocale::system().language(), QLocale::Japanese);
        QVERIFY(Orvelle::installTranslations(qApp));
        // the user guide in Japanese too
        QCOMPARE(Orvelle::languageCode(), QStringLiteral("ja"));
    }

    void textsAreJapanese()
    {
        CMainFrame frame;
        frame.view()->OnInitialUpdate(false);
        const QStringList japanese = menuTexts(frame);
        QCOMPARE(japanese.mid(0, 4), (QStringList{QStringLiteral("ファイル(&F)"), QStringLiteral("表示(&V)"),
                                                  QStringLiteral("ツール(&T)"), QStringLiteral("ヘルプ(&H)")}));
        QVERIFY2(frame.windowTitle().contains(QStringLiteral("トラップ受信サービス停止中")), qPrintable(frame.windowTitle()));
        QCOMPARE(frame.startStopAction()->text(), QStringLiteral("開始(&S)"));
        frame.SetServiceState(true);
        QCOMPARE(frame.startStopAction()->text(), QStringLiteral("停止(&S)"));
        QVERIFY2(frame.trayToolTip().contains(QStringLiteral("トラップ受信サービス実行中")), qPrintable(frame.trayToolTip()));

        // No English text may remain in any menu: every text differs from the
        // same one built without the catalogues.
        const QList<QTranslator *> translators = qApp->findChildren<QTranslator *>();
        for (QTranslator *translator : translators)
            QCoreApplication::removeTranslator(translator);
        const QStringList english = menuTexts(CMainFrame());
        for (QTranslator *translator : translators)
            QCoreApplication::installTranslator(translator);
        QCOMPARE(japanese.size(), english.size());
        for (qsizetype i = 0; i < english.size(); ++i)
            QVERIFY2(english[i].isEmpty() || japanese[i] != english[i], qPrintable(english[i])); // empty: no prompt
    }
};

QTEST_MAIN(TestAppShellJapanese)
#include "tst_appshell_ja.moc"
