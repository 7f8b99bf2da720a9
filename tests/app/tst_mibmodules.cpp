// Tools > MIB Modules... as a user works it, in the running program: a
// module added through the dialog describes its traps, names its objects
// in the OID tree and in a walk at once, without a restart; a broken module
// is refused with its file and line and changes nothing; removing the
// module brings the earlier state back.

#include "mainframe.h"
#include "mibmodulesdlg.h"
#include "mibwalkdlg.h"
#include "oidcombobox.h"
#include "oidtreectrl.h"
#include "orvelleapp.h"
#include "orvelleview.h"
#include "reportlistctrl.h"
#include "snmpdpeer.h"
#include "testsupport.h"
#include "traplistmodel.h"
#include "userinput.h"
#include "datafolder.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

// Types `path` into the file dialog that the click opens, then Enter.
void pickInFileDialog(QPushButton *button, const QString &path)
{
    QTimer::singleShot(0, button, [path] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY2(dialog, "no file dialog opened");
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        // Qt's own dialog: the folder above set, the file's (or folder's) name typed
        dialog->setDirectory(QFileInfo(path).absolutePath());
        TestSupport::typeInto(name, QFileInfo(path).fileName());
        // the path completer's popup would take a Return
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QVERIFY(buttons && buttons->button(QDialogButtonBox::Open));
        QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
    });
    QTest::mouseClick(button, Qt::LeftButton);
}

// Whether the model under `parent` holds an item named `name`, at any depth.
// The tree fills a branch when it is opened: each is opened here.
bool holds(QAbstractItemModel *model, const QString &name, const QModelIndex &parent = {})
{
    while (model->canFetchMore(parent))
        model->fetchMore(parent);
    for (int r = 0; r < model->rowCount(parent); ++r) {
        const QModelIndex index = model->index(r, 0, parent);
        // items read "name(sub-identifier)"
        if (index.data().toString().startsWith(name + u'(') || holds(model, name, index))
            return true;
    }
    return false;
}

QStringList column(const QTreeWidget *list, int column)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(column);
    return out;
}

} // namespace

class TestMibModules : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (TestSupport::findProgram(QStringLiteral("snmptrap")).isEmpty())
            QSKIP("net-snmp's snmptrap is not installed (Debian package snmp)");
        QVERIFY2(!qEnvironmentVariable("ORVELLE_MIBC").isEmpty(), "ORVELLE_MIBC names orvelle-mibc (set by CTest)");
        // what an earlier run of this suite added is gone
        QDir(DataFolder::userFolder()).removeRecursively();
        m_port = TestSupport::freeUdpPort();
        qputenv("ORVELLE_TRAP_ADDRESSES", "127.0.0.1");
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("DATA")) && QDir(m_dir.path()).mkpath(QStringLiteral("modules")));
        QVERIFY(QFile::copy(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml"), m_dir.filePath(QStringLiteral("DATA/MIBTable.xml"))));
        QVERIFY(TestSupport::writeFile(m_dir.filePath(QStringLiteral("DATA/Config.xml")),
                                       QStringLiteral("<config><trap_port>%1</trap_port></config>").arg(m_port).toUtf8()));
        qputenv("ORVELLE_DATA_DIR", QFile::encodeName(m_dir.filePath(QStringLiteral("DATA"))));
        for (const QString module : {"GOOD-MIB.txt", "BROKEN-MIB.txt"})
            QVERIFY(QFile::copy(TestSupport::sourceDir() + "/tests/mibc/data/" + module, m_dir.filePath("modules/" + module)));
        // an agent that serves GOOD-MIB's two scalars
        const QString why = m_agent.start(m_dir.path(), TestSupport::freeUdpPort(), false,
                                          "override .1.3.6.1.4.1.99991.1.0 integer 2\n"
                                          "override .1.3.6.1.4.1.99991.2.0 unsigned 7\n");
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
    }

    void addedModuleInUseAtOnce()
    {
        CMainFrame frame;
        QVERIFY(frame.create());
        COrvelleView *view = frame.view();
        view->OnInitialUpdate(false);
        view->OnStartStop();
        QVERIFY(view->isRunning());
        const QString goodAlarm = QStringLiteral("The test value crossed its limit.");

        QCOMPARE(trapDescription(view), QStringLiteral("1.3.6.1.4.1.99991.0.1")); // unknown: its OID

        // Add GOOD-MIB, then try BROKEN-MIB, in one visit to the dialog.
        QString addedSource;
        QStringList brokenProblem;
        QStringList modulesAfterBroken;
        QTimer::singleShot(0, &frame, [&] {
            auto *dialog = qobject_cast<MibModulesDialog *>(QApplication::activeModalWidget());
            QVERIFY2(dialog, "Tools > MIB Modules... opened no dialog");
            QSignalSpy finished(dialog->store(), &MibModuleStore::finished);
            pickInFileDialog(dialog->addButton(), m_dir.filePath(QStringLiteral("modules/GOOD-MIB.txt")));
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
            QVERIFY(finished.first().first().toBool());
            const QStringList names = column(dialog->moduleList(), 0);
            addedSource = column(dialog->moduleList(), 4).value(names.indexOf(QStringLiteral("GOOD-MIB")));

            pickInFileDialog(dialog->addButton(), m_dir.filePath(QStringLiteral("modules/BROKEN-MIB.txt")));
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 60000);
            QVERIFY(!finished.last().first().toBool());
            QTreeWidget *problems = dialog->problemList();
            QVERIFY(problems->isVisible() && problems->topLevelItemCount() > 0);
            brokenProblem = {problems->topLevelItem(0)->text(0), problems->topLevelItem(0)->text(1)};
            modulesAfterBroken = column(dialog->moduleList(), 0);
            dialog->reject();
        });
        frame.mibModulesAction()->trigger();
        QCOMPARE(addedSource, QStringLiteral("user"));
        QCOMPARE(brokenProblem.value(0), QStringLiteral("BROKEN-MIB.txt"));
        QVERIFY2(brokenProblem.value(1).toInt() > 0, qPrintable(brokenProblem.join(u' ')));
        QVERIFY(modulesAfterBroken.contains(QStringLiteral("GOOD-MIB")) && !modulesAfterBroken.contains(QStringLiteral("BROKEN-MIB")));

        // the trap is described and rated by the module now
        QCOMPARE(trapDescription(view), goodAlarm);
        QCOMPARE(view->trapModel()->cellText(m_header, TrapListModel::ColOidSeverity), QStringLiteral("Major"));

        // the walk dialog's OID tree and its walk name the module's objects
        CMibWalkDlg *walk = view->mibWalkDialog();
        walk->show();
        QVERIFY(holds(walk->oidField()->tree()->model(), QStringLiteral("goodMIB")));
        TestSupport::typeInto(walk->deviceCombo()->lineEdit(), m_agent.address());
        TestSupport::typeInto(walk->communityEdit(), QStringLiteral("public"));
        TestSupport::typeInto(walk->oidField()->lineEdit(), QStringLiteral("1.3.6.1.4.1.99991"));
        QTest::mouseClick(walk->getNextButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(walk->resultList()->GetItemCount(), 2, 20000);
        QCOMPARE(walk->resultList()->GetItemText(0, 1), QStringLiteral("goodValue.0"));
        QCOMPARE(walk->resultList()->GetItemText(0, 3), QStringLiteral("high(2)"));
        QCOMPARE(walk->resultList()->GetItemText(1, 1), QStringLiteral("goodLimit.0"));

        // Remove takes it out again: the bundled database alone
        bool removed = false;
        QTimer::singleShot(0, &frame, [&] {
            auto *dialog = qobject_cast<MibModulesDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTreeWidget *list = dialog->moduleList();
            QTreeWidgetItem *item = list->topLevelItem(int(column(list, 0).indexOf(QStringLiteral("GOOD-MIB"))));
            QVERIFY(item);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
            QVERIFY(dialog->removeButton()->isEnabled());
            QSignalSpy finished(dialog->store(), &MibModuleStore::finished);
            QTimer::singleShot(0, dialog, [] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QVERIFY(box);
                QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
            });
            QTest::mouseClick(dialog->removeButton(), Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
            removed = finished.first().first().toBool() && !column(dialog->moduleList(), 0).contains(QStringLiteral("GOOD-MIB"));
            dialog->reject();
        });
        frame.mibModulesAction()->trigger();
        QVERIFY(removed);
        QVERIFY(!QFile::exists(DataFolder::userMibDatabase()));
        QCOMPARE(trapDescription(view), QStringLiteral("1.3.6.1.4.1.99991.0.1"));
        QVERIFY(!holds(walk->oidField()->tree()->model(), QStringLiteral("goodMIB")));
    }

    // A module that another kept module imports cannot be removed: the
    // compile without it fails and names it, and its file stays. Where the
    // user's own data folder is the data folder, its database is theirs:
    // removing the last module brings it back byte for byte.
    void removalKeepsWhatOthersNeed()
    {
        QDir(DataFolder::userFolder()).removeRecursively();
        const QString own = DataFolder::userFolder() + QStringLiteral("/DATA");
        QVERIFY(QDir().mkpath(own));
        QVERIFY(QFile::copy(m_dir.filePath(QStringLiteral("DATA/MIBTable.xml")), own + QStringLiteral("/MIBTable.xml")));
        QVERIFY(QFile::copy(m_dir.filePath(QStringLiteral("DATA/Config.xml")), own + QStringLiteral("/Config.xml")));
        const QByteArray ownBytes = TestSupport::readFile(own + QStringLiteral("/MIBTable.xml"));
        const QString importer = m_dir.filePath(QStringLiteral("modules/USER-MIB.txt"));
        QVERIFY(TestSupport::writeFile(importer, "USER-MIB DEFINITIONS ::= BEGIN\nIMPORTS goodMIB FROM GOOD-MIB;\n"
                                                 "userNode OBJECT IDENTIFIER ::= { goodMIB 9 }\nEND\n"));
        MibModuleStore store(own + QStringLiteral("/MIBTable.xml"));
        QSignalSpy finished(&store, &MibModuleStore::finished);
        QVERIFY(store.add({m_dir.filePath(QStringLiteral("modules/GOOD-MIB.txt")), importer}));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
        QVERIFY(finished.last().first().toBool());
        QCOMPARE(store.userModuleFiles().size(), 2);

        QVERIFY(store.remove(QStringLiteral("GOOD-MIB")));
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 60000);
        QVERIFY(!finished.last().first().toBool());
        const auto problems = finished.last().last().value<QList<MibModuleStore::Problem>>();
        QVERIFY(!problems.isEmpty() && problems.first().text.contains(QLatin1String("GOOD-MIB")));
        QVERIFY(store.userModuleFiles().contains(QStringLiteral("GOOD-MIB")));

        for (const char *module : {"USER-MIB", "GOOD-MIB"}) {
            QVERIFY(store.remove(QLatin1String(module)));
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), module[0] == 'U' ? 3 : 4, 60000);
            QVERIFY(finished.last().first().toBool());
        }
        QCOMPARE(TestSupport::readFile(own + QStringLiteral("/MIBTable.xml")), ownBytes);
        QDir(DataFolder::userFolder()).removeRecursively();
    }

private:
    // Sends GOOD-MIB's goodAlarm and gives the description of the newest trap.
    QString trapDescription(COrvelleView *view)
    {
        const int before = view->trapModel()->rowCount();
        const auto r = TestSupport::runSnmpTool(QStringLiteral("snmptrap"),
                                                {"-v", "2c", "-c", "public", QStringLiteral("127.0.0.1:%1").arg(m_port), "",
                                                 "1.3.6.1.4.1.99991.0.1"},
                                                m_dir.path());
        if (!r.started || r.exitCode != 0)
            return r.output;
        for (int i = 0; i < 500 && view->trapModel()->rowCount() == before; ++i) {
            QTest::qWait(20);
            view->trapModel()->flush();
        }
        // the new trap's header row follows the rows that were there
        m_header = before;
        return view->trapModel()->cellText(before, TrapListModel::ColValueDescription);
    }

    QTemporaryDir m_dir;
    TestSupport::Snmpd m_agent;
    quint16 m_port = 0;
    int m_header = 0; // the row of the newest trap's header
};

int main(int argc, char *argv[])
{
    COrvelleApp app(argc, argv, false);
    TestMibModules test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mibmodules.moc"
