#pragma once

// COidTreeCtrl: the popup tree of COidComboBox, and OidTreeModel, the items
// it shows.
//
// The model reads the MIB document the way the database nests: elements
// below the top level are sub-identifiers of their parent element, while
// top-level elements carry full OIDs and are hung under the deepest item
// already in the tree whose OID is a prefix of theirs (components compared
// as text); a top-level element whose OID is already an item adds its
// children to that item. An element without a key or without a name makes
// no item, and neither do its descendants.
//
// Items are made lazily: an item remembers the document elements whose
// children it is to show and makes those children when it is first expanded
// (or searched by the prefix placement of a later top-level element, which
// keeps the order of children exactly as if everything had been made at
// once). A database of 100,000 objects thus opens with a few hundred items.
//
// The tree is a Qt::Popup window owned by the combo box's dialog: a press
// outside it hides it (a press on the combo box does not open it again),
// the hovered item is the selected one, a left click on an item (not on its
// expand arrow) or Enter picks, Escape hides without picking.

#include "oidcombobox.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QTreeView>

#include <deque>
#include <memory>
#include <vector>

class OidTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // One item; the record handed to the dialogs is its OidTreeItem part.
    struct Node final : OidTreeItem
    {
        struct ChildIndex;

        Node *parent = nullptr;
        int row = 0;
        bool expanded = false;
        std::vector<Node *> children;
        // Elements whose <oid> children are still to become items here.
        std::vector<pugi::xml_node> pending;
        // -1 unknown, else whether `pending` holds any element that makes an item
        mutable qint8 pendingHasItems = -1;
        // First child per OID text, built when the prefix placement first
        // searches this item's children.
        std::unique_ptr<ChildIndex> index;

        Node();
        ~Node() override;
    };

    explicit OidTreeModel(QObject *parent = nullptr);
    ~OidTreeModel() override;

    // Rebuilds the items from a document's first <oid> element (a null node:
    // no items).
    void build(pugi::xml_node firstOid);
    // The first item made (the one with image 0); null in an empty tree.
    Node *firstItem() const { return m_first; }
    // Items made so far (they grow as the tree is expanded).
    size_t itemCount() const { return m_nodes.size(); }

    QModelIndex indexOf(const Node *node) const;
    static Node *nodeOf(const QModelIndex &index);
    // Makes the item's children now if they are not made yet.
    void ensureChildren(Node *node);
    // The item shows its expanded image (nExpandedImage) or not (nImage).
    void setExpanded(const QModelIndex &index, bool expanded);

    // One pass over `parentNode`'s <oid> children (the document's top-level
    // elements when `parentItem` is null, which are placed by prefix).
    // Below the top level the children of the items made are left to
    // ensureChildren().
    void PopulateTree(pugi::xml_node parentNode, const QString &parentOid, Node *parentItem);
    // The deepest item whose OID is a leading part of `oid` (whole
    // components compared as text, ignoring case), searching the first
    // matching item of every level; null when no top-level item matches.
    Node *FindDeepestItem(const QString &oid);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    Node *nodeOrRoot(const QModelIndex &index) const;
    Node *newItem(pugi::xml_node element, const QString &oid, const QString &name, bool keyHadDot);
    void append(Node *parent, Node *child);
    Node *firstMatch(Node *level, const QString &oid, const std::vector<qsizetype> &dots, qsizetype components);
    bool pendingHasItems(const Node *node) const;

    Node m_root;
    std::deque<Node> m_nodes;
    Node *m_first = nullptr;
    // Inside build(): the model is being reset, rows are not announced.
    bool m_building = false;
};

class COidTreeCtrl : public QTreeView
{
    Q_OBJECT

public:
    // A hidden popup owned by `owner`'s window.
    explicit COidTreeCtrl(COidComboBox *owner);
    ~COidTreeCtrl() override;

    // Fills the tree from a document's first <oid> element; the first item
    // becomes the current item and is expanded.
    void PopulateTree(pugi::xml_node firstOid);

    OidTreeModel *oidModel() const { return m_model; }
    // The chosen item; null when none.
    OidTreeModel::Node *currentItem() const { return m_hCurrentItem; }
    // Steps the current (and selected) item to the next or previous item
    // visible in the tree and reports it; false, with nothing reported, when
    // there is none.
    bool SelectNextVisible(bool forward);
    // The item of a row as a record (null for an invalid index).
    static const OidTreeItem *itemAt(const QModelIndex &index);
    // Makes the item of exactly this OID the current one, its branches
    // opened, and reports it as a pick; false when the tree has no such item.
    bool selectOid(const QString &oid);

protected:
    bool event(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    friend class COidComboBox;
    bool onExpandArrow(const QModelIndex &index, const QPoint &pos) const;
    // Hides the tree and reports `item` as the pick (nothing when null).
    void pick(OidTreeModel::Node *item);
    void notifySelection();
    bool overOwner(const QPoint &globalPos) const;

    OidTreeModel *m_model;
    COidComboBox *m_pCombo;
    OidTreeModel::Node *m_hCurrentItem = nullptr;
};
