#include "oidcombobox.h"

#include "mibnameindex.h"

#include "mibdocument.h"
#include "oidtreectrl.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QStandardItemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <array>

namespace {

constexpr int kImageSide = 16; // pixels

// Colours of the images: an outline, a fill, and a lighter fill for the
// expanded form.
struct Palette
{
    QColor line;
    QColor fill;
    QColor open;
};

const Palette kGlobe{QColor(0x1a, 0x3a, 0x78), QColor(0x2a, 0x66, 0xc8), QColor(0x6c, 0xac, 0xf4)};
const Palette kFolder{QColor(0x8a, 0x62, 0x10), QColor(0xe0, 0xb0, 0x30), QColor(0xf8, 0xdc, 0x70)};
const Palette kTable{QColor(0x1e, 0x64, 0x3c), QColor(0x2e, 0x8b, 0x57), QColor(0x78, 0xd0, 0x98)};
const Palette kPage{QColor(0x46, 0x5a, 0x70), QColor(0xd8, 0xe0, 0xea), QColor(0xff, 0xff, 0xff)};
const Palette kPencil{QColor(0x90, 0x40, 0x10), QColor(0xe0, 0x70, 0x20), QColor(0xf8, 0xc0, 0x40)};

// The first item: a globe; expanded, lit and with golden meridians.
void drawGlobe(QPainter &p, bool expanded)
{
    const QRectF ball(1.5, 1.5, 13, 13);
    p.setPen(QPen(kGlobe.line, 1));
    p.setBrush(expanded ? kGlobe.open : kGlobe.fill);
    p.drawEllipse(ball);
    p.setPen(QPen(expanded ? QColor(0xff, 0xd0, 0x40) : QColor(Qt::white), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(5, 1.5, 6, 13));
    p.drawLine(QPointF(2, 8), QPointF(14, 8));
}

// A branch: a folder, closed or open.
void drawFolder(QPainter &p, bool expanded)
{
    p.setPen(QPen(kFolder.line, 1));
    p.setBrush(kFolder.fill);
    QPainterPath back;
    back.moveTo(1.5, 13.5);
    back.lineTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(14.5, 5);
    back.lineTo(14.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    if (expanded) {
        p.setBrush(kFolder.open);
        p.drawPolygon(QPolygonF({QPointF(1.5, 13.5), QPointF(4, 7.5), QPointF(15.5, 7.5), QPointF(13, 13.5)}));
    } else {
        p.drawLine(QPointF(1.5, 6.5), QPointF(14.5, 6.5));
    }
}

// A table entry: a grid with a header row.
void drawTable(QPainter &p, bool expanded)
{
    const QRectF frame(1.5, 2.5, 13, 11);
    p.setPen(Qt::NoPen);
    p.setBrush(expanded ? QColor(0xe6, 0xf8, 0xec) : QColor(Qt::white));
    p.drawRect(frame);
    p.setBrush(expanded ? kTable.open : kTable.fill);
    p.drawRect(QRectF(1.5, 2.5, 13, 3.5));
    if (expanded)
        p.fillRect(QRectF(2, 6, 12, 2.5), QColor(0xb8, 0xe8, 0xc8));
    p.setPen(QPen(kTable.line, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
    p.drawLine(QPointF(6, 6), QPointF(6, 13.5));
    p.drawLine(QPointF(10.5, 6), QPointF(10.5, 13.5));
    p.drawLine(QPointF(1.5, 8.5), QPointF(14.5, 8.5));
    p.drawLine(QPointF(1.5, 11), QPointF(14.5, 11));
}

// An object: a page with a folded corner and lines of text.
void drawPage(QPainter &p, bool expanded, const QColor &paper, const QColor &ink)
{
    p.setPen(QPen(kPage.line, 1));
    p.setBrush(paper);
    p.drawPolygon(QPolygonF({QPointF(2.5, 1.5), QPointF(9.5, 1.5), QPointF(12.5, 4.5), QPointF(12.5, 14.5),
                             QPointF(2.5, 14.5)}));
    p.drawPolyline(QPolygonF({QPointF(9.5, 1.5), QPointF(9.5, 4.5), QPointF(12.5, 4.5)}));
    p.setPen(QPen(ink, 1));
    const int lines = expanded ? 4 : 3;
    for (int i = 0; i < lines; ++i)
        p.drawLine(QPointF(4.5, 6.5 + 2 * i), QPointF(10.5, 6.5 + 2 * i));
}

// A writable object: the page with a pencil across it.
void drawWritable(QPainter &p, bool expanded)
{
    drawPage(p, expanded, expanded ? QColor(0xff, 0xf4, 0xe8) : QColor(0xf8, 0xe0, 0xcc), kPencil.line);
    p.setPen(QPen(kPencil.line, 4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(15, 6), QPointF(8, 13));
    p.setPen(QPen(expanded ? kPencil.open : kPencil.fill, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(15, 6), QPointF(8, 13));
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(8.5, 12.5), QPointF(7, 14));
}

QPixmap drawImage(int index)
{
    QPixmap pixmap(kImageSide, kImageSide);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const bool expanded = index % 2 != 0;
    switch (index - index % 2) {
    case OidImageFirst:
        drawGlobe(p, expanded);
        break;
    case OidImageBranch:
        drawFolder(p, expanded);
        break;
    case OidImageEntry:
        drawTable(p, expanded);
        break;
    case OidImageReadOnly:
        drawPage(p, expanded, expanded ? kPage.open : kPage.fill, kPage.line);
        break;
    case OidImageWritable:
        drawWritable(p, expanded);
        break;
    }
    return pixmap;
}

} // namespace

COidComboBox::COidComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    // Enter in the field must not add the typed OID as a list entry.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    m_iconAction = new QAction(this);
    m_iconAction->setVisible(false);
    lineEdit()->addAction(m_iconAction, QLineEdit::LeadingPosition);
    connect(lineEdit(), &QLineEdit::textEdited, m_iconAction, [this] { m_iconAction->setVisible(false); });

    m_matches = new QStandardItemModel(this);
    m_finder = new QCompleter(m_matches, this);
    // the index has chosen and ordered the matches already
    m_finder->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_finder->setCompletionRole(Qt::UserRole);
    m_finder->setWidget(lineEdit());
    connect(lineEdit(), &QLineEdit::textEdited, this, &COidComboBox::offerMatches);
    connect(m_finder, qOverload<const QModelIndex &>(&QCompleter::activated), this, [this](const QModelIndex &index) {
        const QString oid = index.data(Qt::UserRole).toString();
        if (!m_tree || !m_tree->selectOid(oid))
            setEditText(oid);
    });
}

void COidComboBox::offerMatches(const QString &typed)
{
    // a word of two letters, or a dotted OID, before anything is offered
    if (!m_document || typed.trimmed().size() < 2) {
        m_finder->popup()->hide();
        return;
    }
    if (!m_names) {
        m_names = std::make_unique<MibNameIndex>();
        m_names->build(*m_document);
    }
    m_matches->clear();
    for (const MibNameIndex::Match &m : m_names->find(typed, 50)) {
        auto *item = new QStandardItem(QStringLiteral("%1 (%2)  %3").arg(m.name, m.module, m.oid));
        item->setData(m.oid, Qt::UserRole);
        m_matches->appendRow(item);
    }
    if (m_matches->rowCount() == 0) {
        m_finder->popup()->hide();
        return;
    }
    // wide enough for name, module and OID, even beside a narrow field
    QAbstractItemView *popup = m_finder->popup();
    popup->setMinimumWidth(std::max(width(), popup->sizeHintForColumn(0) + 24));
    m_finder->complete();
}

COidComboBox::~COidComboBox()
{
    if (m_tree) {
        m_tree->m_pCombo = nullptr;
        delete m_tree;
    }
}

void COidComboBox::CreateDropDown(int width, int height, const MibDocument *document)
{
    m_document = document;
    m_names.reset();
    CreateDropDown(width, height, document ? document->firstOid() : pugi::xml_node());
}

void COidComboBox::CreateDropDown(int width, int height, pugi::xml_node firstOid)
{
    if (!m_tree)
        m_tree = new COidTreeCtrl(this);
    m_tree->PopulateTree(firstOid);
    m_nDropWidth = width > 0 ? width : 0;
    m_nDropHeight = height > 0 ? height : kDefaultDropHeight;
    showCurrentIcon();
}

bool COidComboBox::isDropDownVisible() const
{
    return m_tree && m_tree->isVisible();
}

void COidComboBox::showDropDown()
{
    if (!m_tree)
        return;
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    // One pixel below the field, as wide as the field unless told otherwise.
    m_tree->setGeometry(topLeft.x(), topLeft.y() + this->height() + 1, m_nDropWidth > 0 ? m_nDropWidth : width(),
                        m_nDropHeight);
    m_tree->show();
    if (m_tree->currentIndex().isValid())
        m_tree->scrollTo(m_tree->currentIndex());
    m_tree->setFocus(Qt::PopupFocusReason);
}

void COidComboBox::hideDropDown()
{
    if (m_tree)
        m_tree->hide();
}

const OidTreeItem *COidComboBox::currentItem() const
{
    return m_tree ? m_tree->currentItem() : nullptr;
}

QIcon COidComboBox::image(int index)
{
    static const std::array<QIcon, OidImageCount> images = [] {
        std::array<QIcon, OidImageCount> made;
        for (int i = 0; i < OidImageCount; ++i)
            made[static_cast<size_t>(i)] = QIcon(drawImage(i));
        return made;
    }();
    if (index < 0 || index >= OidImageCount)
        return QIcon();
    return images[static_cast<size_t>(index)];
}

void COidComboBox::notifySelection()
{
    showCurrentIcon();
    emit oidSelected(currentItem());
    setFocus();
}

void COidComboBox::showCurrentIcon()
{
    const OidTreeItem *item = currentItem();
    if (item)
        m_iconAction->setIcon(image(item->nImage));
    m_iconAction->setVisible(item != nullptr);
}

void COidComboBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The own list never drops: a click toggles the tree instead.
    event->accept();
    if (isDropDownVisible())
        hideDropDown();
    else
        showDropDown();
}

void COidComboBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second click of a double click toggles once more.
    mousePressEvent(event);
}

void COidComboBox::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (event->modifiers() & Qt::AltModifier) {
        if (key == Qt::Key_Down) {
            event->accept();
            showDropDown();
            return;
        }
        QComboBox::keyPressEvent(event);
        return;
    }
    // The arrows step through the tree without opening it; the field shows
    // each step at once (the dialog writes the OID).
    switch (key) {
    case Qt::Key_Down:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Left:
        event->accept();
        if (m_tree)
            m_tree->SelectNextVisible(key == Qt::Key_Down || key == Qt::Key_Right);
        update();
        return;
    default:
        QComboBox::keyPressEvent(event);
    }
}

void COidComboBox::paintEvent(QPaintEvent *event)
{
    // The edit line shows the text and, at its leading edge, the current
    // item's image; the frame and the arrow are the combo box's own.
    QComboBox::paintEvent(event);
}

void COidComboBox::showPopup()
{
    // F4 and every other way the combo box would drop its own (empty) list.
    showDropDown();
}
