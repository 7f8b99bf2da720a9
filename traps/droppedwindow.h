#pragma once

// Why datagrams on the trap port were not listed: one line per reason with
// its count and the last sender, opened from the status bar's Dropped
// count. Also what the journal and the forwarding could not keep up with,
// since those are traps lost from somewhere too.

#include "snmpsession.h"

#include <QDialog>

class QLabel;
class QTreeWidget;

class DroppedWindow : public QDialog
{
    Q_OBJECT
public:
    explicit DroppedWindow(QWidget *parent = nullptr);

    void setStatistics(const SnmpTrapStatistics &stats, quint64 journalDropped, quint64 forwardDropped);
    // Where the journal and the forwarding stand, in a line each (empty: off).
    void setStates(const QString &journal, const QString &forwarding);
    static QString reasonText(SnmpDropReason reason);

private:
    QTreeWidget *m_list = nullptr;
    QLabel *m_states = nullptr;
};
