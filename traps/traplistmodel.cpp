#include "traplistmodel.h"

#include "i18n.h"

#include "snmprender.h"

#include <QBrush>
#include <QCoreApplication>
#include <QDateTime>
#include <QFont>
#include <QGuiApplication>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

TrapListModel::TrapListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
    m_flushTimer.setSingleShot(true);
    connect(&m_flushTimer, &QTimer::timeout, this, &TrapListModel::flush);
}

int TrapListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TrapListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString TrapListModel::severityText(quint32 severity)
{
    switch (severity) {
    case 1: return tr("Informational");
    case 2: return tr("Minor");
    case 3: return tr("Major");
    default: return tr("Unknown");
    }
}

QString TrapListModel::timeText(std::time_t time)
{
    // the whole time stamp, seconds included, as the user's locale writes it
    const QLocale locale;
    static const QRegularExpression zone(QStringLiteral("\\s*t+"));
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(zone);
    return locale.toString(QDateTime::fromSecsSinceEpoch(time), locale.dateFormat(QLocale::ShortFormat) + u' ' + timeFormat);
}

QColor TrapListModel::severityBackground(quint32 severity, const QPalette &palette)
{
    // A tint of the severity's hue over the list's own background: in a
    // light and in a dark theme the text keeps its contrast.
    QColor hue;
    switch (severity) {
    case 1: hue = QColor(0x2e, 0x8b, 0x57); break; // informational: green
    case 2: hue = QColor(0xe0, 0xa0, 0x00); break; // minor: amber
    case 3: hue = QColor(0xd0, 0x30, 0x30); break; // major: red
    default: hue = QColor(0x80, 0x80, 0x80); break; // unknown: grey
    }
    const QColor base = palette.color(QPalette::Base);
    constexpr qreal kTint = 0.22;
    return QColor::fromRgbF(base.redF() + (hue.redF() - base.redF()) * kTint, base.greenF() + (hue.greenF() - base.greenF()) * kTint,
                            base.blueF() + (hue.blueF() - base.blueF()) * kTint);
}

QString TrapListModel::cellText(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return {};
    const Row &r = m_rows[static_cast<size_t>(row)];
    switch (column) {
    case ColDateTime: return r.header ? timeText(r.time) : QString();
    case ColOidSeverity: return r.header ? severityText(r.code) : r.first;
    case ColAgentOid: return r.header ? r.first : r.second;
    case ColSyntaxContext: return r.header ? r.second : SyntaxLabel(r.code);
    case ColValueDescription: return r.third;
    default: return {};
    }
}

QString TrapListModel::shownText(int row, int column) const
{
    QString text = cellText(row, column);
    // A repaint measures the whole text: 60,000 characters took a second.
    if (text.size() > kMaxShownChars)
        text = text.left(kMaxShownChars) + tr("\u2026 (%n characters)", nullptr, int(cellText(row, column).size()));
    return text;
}

QString TrapListModel::cellTip(int row, int column) const
{
    const QString text = shownText(row, column);
    const Row &r = m_rows[static_cast<size_t>(row)];
    if (column == ColDateTime && r.header && r.earlier)
        return tr("%1 (from an earlier run)").arg(text);
    if (column != ColValueDescription || text.isEmpty())
        return text;
    if (!r.header && !r.raw.isEmpty())
        return QStringLiteral("%1 (%2)").arg(text, r.raw.left(kMaxShownChars));
    bool ok = false;
    const quint64 value = r.third.toULongLong(&ok);
    if (r.header || r.code != SNMP_SYNTAX_CNTR64 || !ok)
        return text;
    return QStringLiteral("%1 (%2)").arg(text, Counter64HexText(value));
}

QVariant TrapListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    // the view's balloon shows a cell's full text, not Qt's own tooltip
    if (role == Qt::DisplayRole)
        return shownText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    // a trap's header row stands apart from its variable rows
    const Row &r = m_rows[static_cast<size_t>(index.row())];
    if (!r.header)
        return {};
    if (role == Qt::FontRole) {
        QFont bold = QGuiApplication::font();
        bold.setBold(true);
        // what the journal brought back from before this start
        bold.setItalic(r.earlier);
        return bold;
    }
    if (role == Qt::BackgroundRole)
        return QBrush(severityBackground(r.code, QGuiApplication::palette()));
    return {};
}

QVariant TrapListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColDateTime: return tr("Date/Time");
    case ColOidSeverity: return tr("oid / Severity");
    case ColAgentOid: return tr("Source Agent/OID");
    case ColSyntaxContext: return tr("Syntax/Context");
    case ColValueDescription: return tr("Value/Description");
    default: return {};
    }
}

void TrapListModel::appendTrap(const tagTRAPRECORD &record)
{
    Row header;
    header.header = true;
    header.code = record.nSeverity;
    header.time = record.tmReceived;
    header.first = record.strAgent;
    header.second = record.strCommunity;
    header.third = record.strDescription;
    header.earlier = record.fromEarlierRun;
    m_pending.push_back(std::move(header));
    for (const tagTRAPVARBIND &vb : record.lstVarbinds) {
        Row row;
        row.code = vb.nSyntax;
        row.first = vb.strOid;
        row.second = vb.strName;
        row.third = vb.strValue;
        row.raw = vb.strRawValue;
        m_pending.push_back(std::move(row));
    }
    if (!m_flushTimer.isActive()) {
        const qint64 since = m_sinceFlush.isValid() ? m_sinceFlush.elapsed() : kBusyFlushIntervalMs;
        m_flushTimer.start(static_cast<int>(qMax<qint64>(kFlushIntervalMs, kBusyFlushIntervalMs - since)));
    }
}

void TrapListModel::flush()
{
    m_flushTimer.stop();
    if (m_pending.empty())
        return;
    m_sinceFlush.start();

    // Rows that the limit would delete again within this batch never enter
    // the model: the result equals adding them one trap at a time.
    size_t skip = 0;
    if (m_pending.size() > m_nMaxRows)
        skip = m_pending.size() - m_nMaxRows;
    const size_t adding = m_pending.size() - skip;
    if (adding > 0) {
        const int first = rowCount();
        beginInsertRows({}, first, first + static_cast<int>(adding) - 1);
        std::move(m_pending.begin() + static_cast<std::ptrdiff_t>(skip), m_pending.end(), std::back_inserter(m_rows));
        endInsertRows();
    }
    m_pending.clear();
    trimToLimit();
    emit rowsFlushed();
}

void TrapListModel::trimToLimit()
{
    if (m_rows.size() <= m_nMaxRows)
        return;
    // the oldest trap may lose its header row while its variable rows stay:
    // rows, not traps, are counted
    const size_t excess = m_rows.size() - m_nMaxRows;
    beginRemoveRows({}, 0, static_cast<int>(excess) - 1);
    m_rows.erase(m_rows.begin(), m_rows.begin() + static_cast<std::ptrdiff_t>(excess));
    endRemoveRows();
}

void TrapListModel::clear()
{
    m_flushTimer.stop();
    m_pending.clear();
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

std::vector<tagTRAPRECORD> TrapListModel::records() const
{
    std::vector<tagTRAPRECORD> out;
    auto take = [&out](const Row &r) {
        if (r.header) {
            tagTRAPRECORD record;
            record.nSeverity = r.code;
            record.tmReceived = r.time;
            record.strAgent = r.first;
            record.strCommunity = r.second;
            record.strDescription = r.third;
            record.fromEarlierRun = r.earlier;
            out.push_back(std::move(record));
        } else if (!out.empty()) {
            out.back().lstVarbinds.push_back({r.code, r.first, r.second, r.third, r.raw});
            out.back().nVarbindCount = qint32(out.back().lstVarbinds.size());
        }
    };
    for (const Row &r : m_rows)
        take(r);
    for (const Row &r : m_pending)
        take(r);
    return out;
}

void TrapListModel::setMaxRows(quint32 maxRows)
{
    m_nMaxRows = maxRows;
    flush();
    trimToLimit();
}
