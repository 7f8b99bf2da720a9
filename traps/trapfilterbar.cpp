#include "trapfilterbar.h"

#include "traplistmodel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

TrapFilterBar::TrapFilterBar(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);

    auto *textLabel = new QLabel(tr("&Find:"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("filterText"));
    m_text->setClearButtonEnabled(true);
    m_text->setPlaceholderText(tr("Agent, community, description, OID, name or value"));
    // room for a typed address or trap name beside the other fields
    m_text->setMinimumWidth(m_text->fontMetrics().averageCharWidth() * 20);
    m_text->setToolTip(tr("Every word must appear; \"quotes\" keep words together. The search covers the trap journal, "
                          "so it finds traps the list no longer holds."));
    textLabel->setBuddy(m_text);

    auto *severityLabel = new QLabel(tr("Se&verity:"), this);
    m_severity = new QComboBox(this);
    m_severity->setObjectName(QStringLiteral("filterSeverity"));
    m_severity->addItem(tr("All"), 0u);
    for (quint32 severity : {1u, 2u, 3u, 0u})
        m_severity->addItem(TrapListModel::severityText(severity), TrapQuery::severityBit(severity));
    severityLabel->setBuddy(m_severity);

    auto *agentLabel = new QLabel(tr("A&gent:"), this);
    m_agent = new QLineEdit(this);
    m_agent->setObjectName(QStringLiteral("filterAgent"));
    m_agent->setClearButtonEnabled(true);
    m_agent->setPlaceholderText(tr("Address"));
    m_agent->setMinimumWidth(m_agent->fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")));
    agentLabel->setBuddy(m_agent);

    const QDateTime now = QDateTime::currentDateTime();
    m_fromOn = new QCheckBox(tr("F&rom"), this);
    m_fromOn->setObjectName(QStringLiteral("filterFromOn"));
    m_from = new QDateTimeEdit(now.addDays(-1), this);
    m_from->setObjectName(QStringLiteral("filterFrom"));
    m_fromOn->setToolTip(tr("Only traps received at or after this time"));
    m_toOn = new QCheckBox(tr("&To"), this);
    m_toOn->setObjectName(QStringLiteral("filterToOn"));
    m_to = new QDateTimeEdit(now, this);
    m_to->setObjectName(QStringLiteral("filterTo"));
    m_toOn->setToolTip(tr("Only traps received at or before this time"));
    for (QDateTimeEdit *edit : {m_from, m_to}) {
        edit->setCalendarPopup(true);
        // minutes: the query counts whole minutes
        edit->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat) + QStringLiteral(" HH:mm"));
        // shown once its box is checked: the bar stays one short row
        edit->setVisible(false);
    }

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("filterStatus"));
    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("filterClose"));
    close->setAutoRaise(true);
    close->setText(QStringLiteral("\u2715"));
    close->setToolTip(tr("Close the filter bar and show every trap again (Esc)"));

    layout->addWidget(textLabel);
    layout->addWidget(m_text, 1);
    layout->addWidget(severityLabel);
    layout->addWidget(m_severity);
    layout->addWidget(agentLabel);
    layout->addWidget(m_agent);
    layout->addWidget(m_fromOn);
    layout->addWidget(m_from);
    layout->addWidget(m_toOn);
    layout->addWidget(m_to);
    layout->addWidget(m_status);
    layout->addWidget(close);

    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] { emit queryChanged(query()); });
    connect(m_text, &QLineEdit::textChanged, this, &TrapFilterBar::changed);
    connect(m_agent, &QLineEdit::textChanged, this, &TrapFilterBar::changed);
    connect(m_severity, &QComboBox::currentIndexChanged, this, &TrapFilterBar::changed);
    connect(m_from, &QDateTimeEdit::dateTimeChanged, this, &TrapFilterBar::changed);
    connect(m_to, &QDateTimeEdit::dateTimeChanged, this, &TrapFilterBar::changed);
    connect(m_fromOn, &QCheckBox::toggled, m_from, &QWidget::setVisible);
    connect(m_toOn, &QCheckBox::toggled, m_to, &QWidget::setVisible);
    connect(m_fromOn, &QCheckBox::toggled, this, &TrapFilterBar::changed);
    connect(m_toOn, &QCheckBox::toggled, this, &TrapFilterBar::changed);
    connect(close, &QToolButton::clicked, this, &TrapFilterBar::closeBar);
    hide();
}

TrapQuery TrapFilterBar::query() const
{
    TrapQuery q;
    q.terms = TrapQuery::termsOf(m_text->text());
    q.severities = m_severity->currentData().toUInt();
    q.agent = m_agent->text().trimmed();
    // The edits show minutes: from the start of the first to the end of the last.
    auto minute = [](const QDateTimeEdit *edit, int second) {
        QDateTime t = edit->dateTime();
        t.setTime(QTime(t.time().hour(), t.time().minute(), second));
        return std::time_t(t.toSecsSinceEpoch());
    };
    if (m_fromOn->isChecked())
        q.from = minute(m_from, 0);
    if (m_toOn->isChecked())
        q.to = minute(m_to, 59);
    return q;
}

void TrapFilterBar::open()
{
    // an unchecked range starts from now, not from when the program started
    const QDateTime now = QDateTime::currentDateTime();
    if (!m_fromOn->isChecked())
        m_from->setDateTime(now.addDays(-1));
    if (!m_toOn->isChecked())
        m_to->setDateTime(now);
    show();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

void TrapFilterBar::setStatus(const QString &text)
{
    m_status->setText(text);
}

void TrapFilterBar::closeBar()
{
    hide();
    m_settle.stop();
    emit closed();
}

void TrapFilterBar::changed()
{
    m_settle.start();
}

void TrapFilterBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        closeBar();
        return;
    }
    QWidget::keyPressEvent(event);
}
