#pragma once

#include "traprecord.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QPalette>
#include <QElapsedTimer>
#include <QTimer>

#include <ctime>
#include <deque>
#include <vector>

// The trap list: one header row per trap and one row per variable binding,
// in arrival order. Rows, not traps, are the unit of the row limit, so a
// trap's header row and its variable rows are separate entries.
//
// Incoming rows are buffered and flushed into the model in one insertion
// (and one removal of the oldest rows) per short interval, because what costs
// at 100,000 rows is the view reacting to every single change.
class TrapListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { ColDateTime, ColOidSeverity, ColAgentOid, ColSyntaxContext, ColValueDescription, ColumnCount };

    struct Row
    {
        bool header = false;
        quint32 code = 0;         // severity (header row) or syntax (variable row)
        std::time_t time = 0;     // header rows only
        QString first;            // agent | OID
        QString second;           // community | name
        QString third;            // description | value
        QString raw;              // variable rows: the value as it came, where shown otherwise
        bool earlier = false;     // header rows: restored from the journal, from an earlier run
    };

    // A trap after a quiet spell shows at once; while traps keep coming the
    // list takes them in a few times a second, so that a storm costs a
    // handful of repaints rather than one per trap.
    static constexpr int kFlushIntervalMs = 30;
    static constexpr int kBusyFlushIntervalMs = 250;

    explicit TrapListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Queues the header row and the variable rows of a trap; they appear at
    // the next flush.
    void appendTrap(const tagTRAPRECORD &record);
    // Applies everything queued now (the timer does it otherwise).
    void flush();
    // Deletes every row, queued ones included.
    void clear();
    // The traps as the rows hold them (variable rows whose header row the
    // limit has deleted are left out).
    std::vector<tagTRAPRECORD> records() const;

    void setMaxRows(quint32 maxRows);
    quint32 maxRows() const { return m_nMaxRows; }

    // Text of a cell exactly as the list shows it (export and cell tips use it).
    QString cellText(int row, int column) const;
    // What a cell shows: its text, a very long value cut to kMaxShownChars
    // with its full length said (the export and the action keep it whole).
    QString shownText(int row, int column) const;
    static constexpr qsizetype kMaxShownChars = kMaxShownTextChars;
    // What the cell tip shows: the cell's text, and for a Counter64 value
    // its hex form too.
    QString cellTip(int row, int column) const;

    static QString severityText(quint32 severity);
    static QString timeText(std::time_t time);
    // A header row's background for a severity, over `palette`'s base.
    static QColor severityBackground(quint32 severity, const QPalette &palette);

signals:
    // After a flush added rows; the view scrolls once per flush.
    void rowsFlushed();

private:
    void trimToLimit();

    std::deque<Row> m_rows;
    std::vector<Row> m_pending;
    quint32 m_nMaxRows = 50;
    QTimer m_flushTimer;
    QElapsedTimer m_sinceFlush;
};
