#pragma once

// COidComboBox: the editable OID field of the MIB walk and SNMP SET
// dialogs, whose drop-down is not a list but a popup tree (COidTreeCtrl) of
// every object of the MIB database. The user types an OID or picks an
// object; a pick (click or Enter in the tree, or Down/Up stepping in the
// closed field) is reported by the signal oidSelected(item), and the dialog
// writes what it needs into the field. The field never holds list entries.
//
// The tree is filled from the document the way the database nests (top-level
// elements with full OIDs nest by prefix, equal OIDs merge); items below the
// first level are created lazily when their parent is first expanded or
// stepped into, so that a database of 100,000 objects opens at once.

#include <QComboBox>
#include <QIcon>
#include <QString>

#include <memory>

#include <pugixml.hpp>

class COidTreeCtrl;
class MibDocument;
class MibNameIndex;
class QCompleter;
class QStandardItemModel;

// One item of the tree: images of its kind (collapsed, expanded), the text
// shown ("name(last sub-identifier)") and the full dotted OID.
struct OidTreeItem
{
    virtual ~OidTreeItem() = default;
    int nImage = 0;
    int nExpandedImage = 1;
    QString strText;
    QString strOid;
};

// Images, in pairs collapsed/expanded.
enum OidTreeImage : int {
    OidImageFirst = 0,     // the very first item of the tree
    OidImageBranch = 2,    // a node with children
    OidImageEntry = 4,     // a table entry (has "sequence")
    OidImageReadOnly = 6,  // an object that cannot be written
    OidImageWritable = 8,  // a writable object
    OidImageCount = 10,
};

class COidComboBox : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int kIconWidth = 16; // m_nIconWidth
    explicit COidComboBox(QWidget *parent = nullptr);
    ~COidComboBox() override;

    // Builds the popup tree from the document (may be null: an empty tree).
    // Width 0: the field's width; height 0: 100 pixels.
    void CreateDropDown(int width, int height, const MibDocument *document);
    // The same from a document's first <oid> element ("mib_table/oid"),
    // walked as it stands: elements without a key or a name (which the
    // MibDocument loader refuses) make no item. The document must outlive
    // the combo box. A null node gives an empty tree.
    void CreateDropDown(int width, int height, pugi::xml_node firstOid);

    // The drop-down tree (tests and the dialogs' layout).
    COidTreeCtrl *tree() const { return m_tree; }
    // What typing part of a name or OID offers ("ifHCInOctets (IF-MIB)");
    // picking one selects its object in the tree.
    QCompleter *finder() const { return m_finder; }
    bool isDropDownVisible() const;
    void showDropDown();
    void hideDropDown();
    // The chosen item; null when none.
    const OidTreeItem *currentItem() const;

    // The ten images, drawn by the program (no bitmap file).
    static QIcon image(int index);

signals:
    void oidSelected(const OidTreeItem *item);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showPopup() override;

private:
    friend class COidTreeCtrl;
    static constexpr int kDefaultDropHeight = 100; // pixels, when CreateDropDown is given none
    // Reports the tree's current item to the dialog and takes the focus back.
    void notifySelection();
    void showCurrentIcon();

    COidTreeCtrl *m_tree = nullptr;
    // 0: as wide as the field when the tree is shown (the dialog's layout
    // may still resize the field after CreateDropDown).
    int m_nDropWidth = 0;
    int m_nDropHeight = kDefaultDropHeight;
    // The current item's image at the edit's leading edge; hidden while the
    // user edits the text.
    QAction *m_iconAction = nullptr;
    // Suggestions while typing: the database's names, indexed the first
    // time they are asked for.
    void offerMatches(const QString &typed);
    const MibDocument *m_document = nullptr;
    std::unique_ptr<MibNameIndex> m_names;
    QCompleter *m_finder = nullptr;
    QStandardItemModel *m_matches = nullptr;
};
