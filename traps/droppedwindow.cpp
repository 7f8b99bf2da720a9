#include "droppedwindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>

DroppedWindow::DroppedWindow(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Dropped Datagrams"));
    auto *layout = new QVBoxLayout(this);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("droppedReasons"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({tr("Reason"), tr("Count"), tr("Last sender")});
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    for (int i = 0; i < int(SnmpDropReason::Count); ++i)
        new QTreeWidgetItem(m_list, {reasonText(SnmpDropReason(i)), QStringLiteral("0"), QString()});
    new QTreeWidgetItem(m_list, {tr("Trap journal could not keep up (not stored)"), QStringLiteral("0"), QString()});
    new QTreeWidgetItem(m_list, {tr("Not forwarded (collector queue full, or refused)"), QStringLiteral("0"), QString()});
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        m_list->topLevelItem(i)->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(m_list);
    m_states = new QLabel(this);
    m_states->setObjectName(QStringLiteral("droppedStates"));
    m_states->setWordWrap(true);
    m_states->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_states);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(620, 330);
}

QString DroppedWindow::reasonText(SnmpDropReason reason)
{
    switch (reason) {
    case SnmpDropReason::NotSnmp: return tr("Not SNMP");
    case SnmpDropReason::BadBer: return tr("Bad BER encoding");
    case SnmpDropReason::UnsupportedVersion: return tr("Unsupported SNMP version");
    case SnmpDropReason::UnknownUser: return tr("Unknown SNMPv3 user or engine ID");
    case SnmpDropReason::AuthenticationFailure: return tr("Authentication failure (wrong digest)");
    case SnmpDropReason::DecryptionFailure: return tr("Decryption failure");
    case SnmpDropReason::NotInTimeWindow: return tr("Not in time window, or replayed");
    case SnmpDropReason::KernelOverflow: return tr("Socket buffer overflow in the kernel");
    case SnmpDropReason::QueueOverflow: return tr("Queue overflow (reading could not keep up)");
    case SnmpDropReason::Count: break;
    }
    return {};
}

void DroppedWindow::setStatistics(const SnmpTrapStatistics &stats, quint64 journalDropped, quint64 forwardDropped)
{
    const QLocale locale;
    for (int i = 0; i < int(SnmpDropReason::Count); ++i) {
        QTreeWidgetItem *item = m_list->topLevelItem(i);
        item->setText(1, locale.toString(stats.drops[size_t(i)].count));
        item->setText(2, stats.drops[size_t(i)].lastSender);
    }
    m_list->topLevelItem(int(SnmpDropReason::Count))->setText(1, locale.toString(journalDropped));
    m_list->topLevelItem(int(SnmpDropReason::Count) + 1)->setText(1, locale.toString(forwardDropped));
}

void DroppedWindow::setStates(const QString &journal, const QString &forwarding)
{
    QStringList lines;
    if (!journal.isEmpty())
        lines << journal;
    if (!forwarding.isEmpty())
        lines << forwarding;
    m_states->setText(lines.join(u'\n'));
    m_states->setVisible(!lines.isEmpty());
}
