#include "oidtreectrl.h"

#include "mibdocument.h"
#include "xmlread.h"

#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kImageSide = 16; // pixels, the images drawn by COidComboBox::image()

qsizetype componentCount(const QString &oid)
{
    return oid.count(u'.') + 1;
}

} // namespace

// The first child of every distinct OID text among an item's children, and
// the distinct component counts of those OIDs: the first child whose OID is
// a leading part of a wanted one is then one lookup per count instead of a
// scan of the children, which matters when a database lists thousands of
// top-level elements under one parent.
struct OidTreeModel::Node::ChildIndex
{
    QHash<QString, int> firstRow; // lower-case OID -> row
    std::vector<qsizetype> counts;

    void add(const Node *child)
    {
        QString key = child->strOid.toLower();
        if (firstRow.contains(key))
            return; // the earlier child is the one found
        firstRow.insert(std::move(key), child->row);
        const qsizetype n = componentCount(child->strOid);
        if (std::find(counts.begin(), counts.end(), n) == counts.end())
            counts.push_back(n);
    }
};

OidTreeModel::Node::Node() = default;
OidTreeModel::Node::~Node() = default;

OidTreeModel::OidTreeModel(QObject *parent) : QAbstractItemModel(parent) {}

OidTreeModel::~OidTreeModel() = default;

void OidTreeModel::build(pugi::xml_node firstOid)
{
    beginResetModel();
    m_building = true;
    m_root.children.clear();
    m_root.pending.clear();
    m_root.index.reset();
    m_nodes.clear();
    m_first = nullptr;
    PopulateTree(firstOid, QString(), nullptr);
    m_building = false;
    endResetModel();
}

OidTreeModel::Node *OidTreeModel::newItem(pugi::xml_node element, const QString &oid, const QString &name,
                                          bool keyHadDot)
{
    Node &node = m_nodes.emplace_back();
    if (!m_first) {
        node.nImage = OidImageFirst;
    } else if (CXMLRead::getKey(element, MibXml::kSequence, nullptr)) {
        node.nImage = OidImageEntry;
    } else if (element.child(MibXml::kOid) || keyHadDot) {
        node.nImage = OidImageBranch;
    } else if (element.child(MibXml::kWrite)) {
        node.nImage = OidImageWritable;
    } else {
        node.nImage = OidImageReadOnly;
    }
    node.nExpandedImage = node.nImage + 1;
    // "name(last sub-identifier)"; an OID without a dot is its own last one
    node.strText = QStringLiteral("%1(%2)").arg(name, oid.mid(oid.lastIndexOf(u'.') + 1));
    node.strOid = oid;
    node.pending.push_back(element);
    if (!m_first)
        m_first = &node;
    return &node;
}

void OidTreeModel::append(Node *parent, Node *child)
{
    child->parent = parent;
    child->row = static_cast<int>(parent->children.size());
    parent->children.push_back(child);
    if (parent->index)
        parent->index->add(child);
}

void OidTreeModel::PopulateTree(pugi::xml_node firstNode, const QString &parentOid, Node *parentItem)
{
    std::vector<Node *> made;
    for (pugi::xml_node node = firstNode; node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element || std::strcmp(node.name(), MibXml::kOid) != 0)
            continue;
        QString key;
        if (!CXMLRead::getKey(node, MibXml::kKey, &key))
            continue;
        const bool keyHadDot = key.endsWith(u'.');
        if (keyHadDot)
            key.chop(1);
        const QString oid = parentOid.isEmpty() ? key : parentOid + u'.' + key;
        const QString name = MibDocument::childText(node, MibXml::kName);
        if (name.isEmpty())
            continue; // and so are its descendants

        if (parentItem) {
            made.push_back(newItem(node, oid, name, keyHadDot));
            continue;
        }
        // A top-level element: under the deepest item that leads its OID,
        // or merged into an item of the same OID.
        Node *found = FindDeepestItem(oid);
        if (found && found->strOid.compare(oid, Qt::CaseInsensitive) == 0) {
            found->pending.push_back(node);
            found->pendingHasItems = -1;
            continue;
        }
        append(found ? found : &m_root, newItem(node, oid, name, keyHadDot));
    }
    if (!parentItem || made.empty())
        return;
    const int first = static_cast<int>(parentItem->children.size());
    if (!m_building)
        beginInsertRows(indexOf(parentItem), first, first + static_cast<int>(made.size()) - 1);
    parentItem->children.reserve(parentItem->children.size() + made.size());
    for (Node *child : made)
        append(parentItem, child);
    if (!m_building)
        endInsertRows();
}

void OidTreeModel::ensureChildren(Node *node)
{
    if (!node || node->pending.empty())
        return;
    // The elements are taken first: a pass must never see itself pending.
    const std::vector<pugi::xml_node> sources = std::move(node->pending);
    node->pending.clear();
    node->pendingHasItems = 0;
    for (pugi::xml_node source : sources)
        PopulateTree(source.first_child(), node->strOid, node);
}

OidTreeModel::Node *OidTreeModel::firstMatch(Node *level, const QString &oid, const std::vector<qsizetype> &dots,
                                            qsizetype components)
{
    if (level->children.empty())
        return nullptr;
    if (!level->index) {
        level->index = std::make_unique<Node::ChildIndex>();
        level->index->firstRow.reserve(static_cast<qsizetype>(level->children.size()));
        for (const Node *child : level->children)
            level->index->add(child);
    }
    int best = -1;
    for (const qsizetype count : level->index->counts) {
        // A child of more components than the OID never equals it.
        if (count > components)
            continue;
        const QString prefix = count == components ? oid : oid.left(dots[static_cast<size_t>(count - 1)]);
        const auto it = level->index->firstRow.constFind(prefix);
        if (it != level->index->firstRow.constEnd() && (best < 0 || *it < best))
            best = *it;
    }
    return best >= 0 ? level->children[static_cast<size_t>(best)] : nullptr;
}

OidTreeModel::Node *OidTreeModel::FindDeepestItem(const QString &oid)
{
    const QString text = oid.toLower();
    std::vector<qsizetype> dots;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'.')
            dots.push_back(i);
    }
    const auto components = static_cast<qsizetype>(dots.size()) + 1;
    Node *found = nullptr;
    Node *level = &m_root;
    for (;;) {
        Node *hit = firstMatch(level, text, dots, components);
        if (!hit)
            return found;
        found = hit;
        // Children still to be made are made now, so that a later element
        // lands after them, where it would have landed had they been there.
        ensureChildren(hit);
        if (hit->children.empty())
            return hit;
        level = hit;
    }
}

bool OidTreeModel::pendingHasItems(const Node *node) const
{
    if (node->pendingHasItems < 0) {
        node->pendingHasItems = 0;
        for (pugi::xml_node source : node->pending) {
            for (pugi::xml_node c = source.child(MibXml::kOid); c; c = c.next_sibling(MibXml::kOid)) {
                if (c.attribute(MibXml::kKey) && *c.child(MibXml::kName).child_value()) {
                    node->pendingHasItems = 1;
                    return true;
                }
            }
        }
    }
    return node->pendingHasItems > 0;
}

QModelIndex OidTreeModel::indexOf(const Node *node) const
{
    if (!node || node == &m_root)
        return QModelIndex();
    return createIndex(node->row, 0, const_cast<Node *>(node));
}

OidTreeModel::Node *OidTreeModel::nodeOf(const QModelIndex &index)
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : nullptr;
}

OidTreeModel::Node *OidTreeModel::nodeOrRoot(const QModelIndex &index) const
{
    return index.isValid() ? nodeOf(index) : const_cast<Node *>(&m_root);
}

void OidTreeModel::setExpanded(const QModelIndex &index, bool expanded)
{
    Node *node = nodeOf(index);
    if (!node || node->expanded == expanded)
        return;
    node->expanded = expanded;
    emit dataChanged(index, index, {Qt::DecorationRole});
}

QModelIndex OidTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    const Node *node = nodeOrRoot(parent);
    if (column != 0 || row < 0 || static_cast<size_t>(row) >= node->children.size())
        return QModelIndex();
    return createIndex(row, 0, node->children[static_cast<size_t>(row)]);
}

QModelIndex OidTreeModel::parent(const QModelIndex &child) const
{
    const Node *node = nodeOf(child);
    return node ? indexOf(node->parent) : QModelIndex();
}

int OidTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(nodeOrRoot(parent)->children.size());
}

int OidTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool OidTreeModel::hasChildren(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return false;
    const Node *node = nodeOrRoot(parent);
    return !node->children.empty() || pendingHasItems(node);
}

bool OidTreeModel::canFetchMore(const QModelIndex &parent) const
{
    return parent.isValid() && !nodeOf(parent)->pending.empty();
}

void OidTreeModel::fetchMore(const QModelIndex &parent)
{
    ensureChildren(nodeOf(parent));
}

QVariant OidTreeModel::data(const QModelIndex &index, int role) const
{
    const Node *node = nodeOf(index);
    if (!node)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return node->strText;
    case Qt::DecorationRole:
        return COidComboBox::image(node->expanded ? node->nExpandedImage : node->nImage);
    default:
        return QVariant();
    }
}

COidTreeCtrl::COidTreeCtrl(COidComboBox *owner)
    : QTreeView(owner->window()), m_model(new OidTreeModel(this)), m_pCombo(owner)
{
    // A popup rather than a plain window: the dialog keeps its active caption
    // and the tree gets the keyboard and the mouse while it is shown.
    setWindowFlags(Qt::Popup);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setAllColumnsShowFocus(true);
    setMouseTracking(true);
    setIconSize(QSize(kImageSide, kImageSide));
    // Long names scroll sideways instead of being cut, as in a tree control.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setModel(m_model);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        m_model->ensureChildren(OidTreeModel::nodeOf(index));
        m_model->setExpanded(index, true);
    });
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex &index) { m_model->setExpanded(index, false); });
    hide();
}

COidTreeCtrl::~COidTreeCtrl()
{
    if (m_pCombo)
        m_pCombo->m_tree = nullptr;
}

void COidTreeCtrl::PopulateTree(pugi::xml_node firstOid)
{
    m_hCurrentItem = nullptr;
    m_model->build(firstOid);
    m_hCurrentItem = m_model->firstItem();
    if (m_hCurrentItem) {
        const QModelIndex index = m_model->indexOf(m_hCurrentItem);
        setCurrentIndex(index);
        expand(index);
    }
}

const OidTreeItem *COidTreeCtrl::itemAt(const QModelIndex &index)
{
    return OidTreeModel::nodeOf(index);
}

bool COidTreeCtrl::SelectNextVisible(bool forward)
{
    if (!m_hCurrentItem)
        return false;
    const QModelIndex from = m_model->indexOf(m_hCurrentItem);
    const QModelIndex to = forward ? indexBelow(from) : indexAbove(from);
    if (!to.isValid())
        return false;
    m_hCurrentItem = OidTreeModel::nodeOf(to);
    setCurrentIndex(to);
    scrollTo(to);
    notifySelection();
    return true;
}

void COidTreeCtrl::notifySelection()
{
    if (m_pCombo)
        m_pCombo->notifySelection();
}

void COidTreeCtrl::pick(OidTreeModel::Node *item)
{
    hide();
    // A click below the last item with nothing selected picks nothing; the
    // dialog keeps what its field holds.
    if (!item)
        return;
    m_hCurrentItem = item;
    setCurrentIndex(m_model->indexOf(item));
    notifySelection();
}

bool COidTreeCtrl::selectOid(const QString &oid)
{
    OidTreeModel::Node *item = m_model->FindDeepestItem(oid);
    if (!item || item->strOid.compare(oid, Qt::CaseInsensitive) != 0)
        return false;
    for (OidTreeModel::Node *p = item->parent; p && p->parent; p = p->parent)
        expand(m_model->indexOf(p));
    m_hCurrentItem = item;
    setCurrentIndex(m_model->indexOf(item));
    scrollTo(currentIndex());
    notifySelection();
    return true;
}

bool COidTreeCtrl::overOwner(const QPoint &globalPos) const
{
    return m_pCombo && m_pCombo->isVisible() && m_pCombo->rect().contains(m_pCombo->mapFromGlobal(globalPos));
}

bool COidTreeCtrl::onExpandArrow(const QModelIndex &index, const QPoint &pos) const
{
    if (!m_model->hasChildren(index))
        return false;
    // The arrow takes the last indentation step before the item's text.
    const QRect item = visualRect(index);
    if (isRightToLeft())
        return pos.x() > item.right() && pos.x() <= item.right() + indentation();
    return pos.x() < item.left() && pos.x() >= item.left() - indentation();
}

bool COidTreeCtrl::event(QEvent *event)
{
    // While the popup is shown every press comes here; one outside it is a
    // click elsewhere, which hides the tree and goes on to where it was
    // aimed. A press on the owner field would open the tree again there, so
    // that one stops here: the field toggles.
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) && isVisible()) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!rect().contains(mouse->position().toPoint())) {
            setAttribute(Qt::WA_NoMouseReplay, overOwner(mouse->globalPosition().toPoint()));
            hide();
            return true;
        }
    }
    return QTreeView::event(event);
}

void COidTreeCtrl::mouseMoveEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index != currentIndex())
        setCurrentIndex(index);
    QTreeView::mouseMoveEvent(event);
}

void COidTreeCtrl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QTreeView::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (index.isValid() && onExpandArrow(index, pos)) {
        QTreeView::mousePressEvent(event);
        return;
    }
    event->accept();
    pick(OidTreeModel::nodeOf(index.isValid() ? index : currentIndex()));
}

void COidTreeCtrl::keyPressEvent(QKeyEvent *event)
{
    // Alt+Down opened the tree from the field; here it closes it again.
    if (event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier)) {
        event->accept();
        hide();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        hide();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        pick(OidTreeModel::nodeOf(currentIndex()));
        return;
    default:
        QTreeView::keyPressEvent(event);
    }
}

void COidTreeCtrl::focusOutEvent(QFocusEvent *event)
{
    // Focus taken away while shown (another window activated): hide, unless
    // the cursor is on the field, whose own click decides.
    if (isVisible() && event->reason() != Qt::PopupFocusReason && !overOwner(QCursor::pos()))
        hide();
    QTreeView::focusOutEvent(event);
}
