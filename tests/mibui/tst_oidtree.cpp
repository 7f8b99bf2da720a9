// The OID tree drop-down: the tree built from small databases (nesting of
// top-level OIDs by prefix, merged OIDs, elements without a name, images by
// kind), and stepping through it from the closed field. Picks from the
// shown tree are handled by the dialogs (tst_snmpsetdlg).

#include "mibdocument.h"
#include "oidcombobox.h"
#include "oidtreectrl.h"
#include "testsupport.h"
#include "userinput.h"

#include <QAbstractItemView>
#include <QCompleter>

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int kDropHeight = 300;

// The database of the stepping and popup tests. Shown at first: internet
// (expanded), mgmt (collapsed), private, ieee.
const QByteArray kSmall = "<oid key=\"1.3.6.1.\"><name>internet</name>"
                          " <oid key=\"2\"><name>mgmt</name><oid key=\"1\"><name>mib-2</name></oid></oid>"
                          " <oid key=\"4\"><name>private</name></oid>"
                          "</oid>"
                          "<oid key=\"1.0.8802\"><name>ieee</name></oid>";

// A combo box in a shown window, its drop-down made from `body` (the
// content of <mib_table>), or from the database in `file`. `raw`: the
// document is read by pugixml alone, so that elements the MIB loader
// refuses reach the tree.
struct Field
{
    MibDocument document;
    pugi::xml_document rawDocument;
    QWidget window;
    COidComboBox *combo = new COidComboBox(&window);
    QStringList picked; // strText of every oidSelected, as the dialogs see them

    bool create(const QByteArray &body, bool raw = false, const QString &file = {})
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(combo);
        layout->addStretch();
        window.setGeometry(100, 100, 320, 400);
        QObject::connect(combo, &COidComboBox::oidSelected, combo, [this](const OidTreeItem *item) {
            QVERIFY(item);
            QCOMPARE(item, combo->currentItem());
            picked << item->strText;
            combo->setEditText(item->strOid);
        });
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return false;
        const QByteArray xml = "<mib_table>" + body + "</mib_table>";
        if (raw) {
            if (!rawDocument.load_buffer(xml.constData(), size_t(xml.size()),
                                         pugi::parse_default | pugi::parse_embed_pcdata))
                return false;
            combo->CreateDropDown(0, kDropHeight, rawDocument.child("mib_table").child("oid"));
        } else {
            QString reason;
            int line = 0;
            if (!(file.isEmpty() ? document.loadFromData(xml, &reason, &line) : document.load(file, &reason, &line))) {
                qWarning("%s (line %d)", qPrintable(reason), line);
                return false;
            }
            combo->CreateDropDown(0, kDropHeight, &document);
        }
        return true;
    }

    COidTreeCtrl *tree() const { return combo->tree(); }
    OidTreeModel *model() const { return tree()->oidModel(); }

    QModelIndex find(const QString &text) const
    {
        return model()->match(model()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly | Qt::MatchRecursive).value(0);
    }

    // The whole tree, every item's children made: "text oid image", two
    // spaces of indent per level.
    QStringList dump(const QModelIndex &parent = QModelIndex(), int depth = 0) const
    {
        QStringList lines;
        if (model()->canFetchMore(parent))
            model()->fetchMore(parent);
        for (int row = 0; row < model()->rowCount(parent); ++row) {
            const QModelIndex index = model()->index(row, 0, parent);
            const OidTreeItem *item = COidTreeCtrl::itemAt(index);
            lines << QString(2 * depth, u' ') + QStringLiteral("%1 %2 %3").arg(item->strText, item->strOid).arg(item->nImage);
            lines += dump(index, depth + 1);
        }
        return lines;
    }

};

} // namespace

class TestOidTree : public QObject
{
    Q_OBJECT

private slots:
    void tree_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("raw");
        QTest::addColumn<QStringList>("expected");

        // mib-2 goes under internet, cisco under the deeper private; 1.3.6.10
        // and 1.3.6.01.5 are not below 1.3.6.1 (whole components, as text).
        QTest::newRow("top-level OIDs nest by prefix")
            << QByteArray("<oid key=\"1.3.6.1.\"><name>internet</name><oid key=\"4\"><name>private</name></oid></oid>"
                          "<oid key=\"1.3.6.1.2.1\"><name>mib-2</name><oid key=\"1\"><name>system</name></oid></oid>"
                          "<oid key=\"1.3.6.1.4.1.9\"><name>cisco</name></oid>"
                          "<oid key=\"1.3.6.10\"><name>ten</name></oid>"
                          "<oid key=\"1.3.6.01.5\"><name>padded</name></oid>")
            << false
            << QStringList{"internet(1) 1.3.6.1 0", "  private(4) 1.3.6.1.4 6", "    cisco(9) 1.3.6.1.4.1.9 6",
                              "  mib-2(1) 1.3.6.1.2.1 2", "    system(1) 1.3.6.1.2.1.1 6", "ten(10) 1.3.6.10 6",
                              "padded(5) 1.3.6.01.5 6"};

        // A repeated OID makes no item of its own; its children follow what the
        // item already holds, also for an item below the top level.
        QTest::newRow("equal OIDs merge")
            << QByteArray("<oid key=\"1.3.6.1.\"><name>internet</name><oid key=\"2\"><name>mgmt</name></oid></oid>"
                          "<oid key=\"1.3.6.1.4.1.9\"><name>cisco</name></oid>"
                          "<oid key=\"1.3.6.1.\"><name>internet again</name><oid key=\"4\"><name>private</name></oid></oid>"
                          "<oid key=\"1.3.6.1.2\"><name>mgmt again</name><oid key=\"1\"><name>mib-2</name></oid></oid>")
            << false
            << QStringList{"internet(1) 1.3.6.1 0", "  mgmt(2) 1.3.6.1.2 6", "    mib-2(1) 1.3.6.1.2.1 6",
                              "  cisco(9) 1.3.6.1.4.1.9 6", "  private(4) 1.3.6.1.4 6"};

        // The first item made, not the first element, gets the first image.
        QTest::newRow("elements without name or key are skipped with their descendants")
            << QByteArray("<oid key=\"0\"><name/><oid key=\"1\"><name>zero-child</name></oid></oid>"
                          "<oid key=\"1.3.6.1.\"><name>internet</name>"
                          " <oid key=\"1\"><oid key=\"1\"><name>orphan</name></oid></oid>"
                          " <oid><name>keyless</name></oid>"
                          " <oid key=\"4\"><name>private</name></oid>"
                          "</oid>"
                          "<oid key=\"1.3.6.1.4.1\"><oid key=\"9\"><name>lost</name></oid></oid>")
            << true
            << QStringList{"internet(1) 1.3.6.1 0", "  private(4) 1.3.6.1.4 6"};
    }

    void tree()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, raw);
        Field field;
        QVERIFY(field.create(body, raw));

        // The first item is the current one, and open.
        const QModelIndex first = field.model()->index(0, 0);
        QCOMPARE(COidTreeCtrl::itemAt(first), field.combo->currentItem());
        QVERIFY(field.tree()->isExpanded(first));
        QCOMPARE(field.model()->data(first, Qt::DecorationRole).value<QIcon>().cacheKey(),
                 COidComboBox::image(OidImageFirst + 1).cacheKey());

        QTEST(field.dump(), "expected");
        QVERIFY(field.picked.isEmpty());
    }

    void stepping_data()
    {
        QTest::addColumn<QString>("toggle"); // expanded or collapsed in the tree first
        QTest::addColumn<QString>("keys");   // D(own) R(ight) U(p) L(eft)
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("down to the last item and no further") << "" << "DDDD" << QStringList{"mgmt(2)", "private(4)", "ieee(8802)"};
        QTest::newRow("up at the first item does nothing") << "" << "UL" << QStringList();
        QTest::newRow("down and back up") << "" << "DDUL" << QStringList{"mgmt(2)", "private(4)", "mgmt(2)", "internet(1)"};
        QTest::newRow("into a branch opened in the tree") << "mgmt(2)" << "DDD" << QStringList{"mgmt(2)", "mib-2(1)", "private(4)"};
        QTest::newRow("past the closed first item") << "internet(1)" << "DD" << QStringList{"ieee(8802)"};
    }

    // Part of a name, or of an OID, typed into the field offers the
    // matching objects with their module; choosing one picks it in the tree.
    void finder_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("offered"); // the first suggestion; empty: none
        QTest::addColumn<QString>("picked");
        QTest::newRow("start of a name") << "ifHCIn" << "ifHCInOctets (IF-MIB)  1.3.6.1.2.1.31.1.1.1.6" << "ifHCInOctets(6)";
        QTest::newRow("the whole name first") << "sysName" << "sysName (SNMPv2-MIB)  1.3.6.1.2.1.1.5" << "sysName(5)";
        QTest::newRow("an OID") << "1.3.6.1.2.1.2.2.1.8" << "ifOperStatus (IF-MIB)  1.3.6.1.2.1.2.2.1.8" << "ifOperStatus(8)";
        QTest::newRow("nothing like it") << "zzqx" << "" << "";
    }
    void finder()
    {
        QFETCH(QString, typed);
        QFETCH(QString, offered);
        QFETCH(QString, picked);
        Field field;
        QVERIFY(field.create({}, false, TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml")));
        TestSupport::typeInto(field.combo->lineEdit(), typed);
        QAbstractItemView *popup = field.combo->finder()->popup();
        if (offered.isEmpty()) {
            QVERIFY(!popup->isVisible());
            return;
        }
        QVERIFY(popup->isVisible());
        QCOMPARE(popup->model()->index(0, 0).data().toString(), offered);
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
        QCOMPARE(field.picked, QStringList{picked});
        QCOMPARE(field.combo->currentText(), offered.section(u' ', -1));
    }

    void stepping()
    {
        QFETCH(QString, toggle);
        QFETCH(QString, keys);
        QFETCH(QStringList, expected);
        Field field;
        QVERIFY(field.create(kSmall));
        if (!toggle.isEmpty()) {
            const QModelIndex index = field.find(toggle);
            QVERIFY(index.isValid());
            field.tree()->setExpanded(index, !field.tree()->isExpanded(index));
        }

        for (const QChar key : keys) {
            const int code = key == u'D' ? Qt::Key_Down : key == u'R' ? Qt::Key_Right : key == u'U' ? Qt::Key_Up : Qt::Key_Left;
            QTest::keyClick(field.combo, Qt::Key(code));
            QVERIFY(!field.combo->isDropDownVisible());
        }
        QCOMPARE(field.picked, expected);
        const QString last = expected.isEmpty() ? QStringLiteral("internet(1)") : expected.last();
        QCOMPARE(field.combo->currentItem()->strText, last);
        // the tree shows the same item selected when it opens
        QCOMPARE(COidTreeCtrl::itemAt(field.tree()->currentIndex()), field.combo->currentItem());
        if (!expected.isEmpty())
            QCOMPARE(field.combo->currentText(), field.combo->currentItem()->strOid);
    }
};

QTEST_MAIN(TestOidTree)
#include "tst_oidtree.moc"
