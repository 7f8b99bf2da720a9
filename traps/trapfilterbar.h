#pragma once

// The filter bar over the trap list (Ctrl+F): text, severity, agent and a
// time range. It only gathers what the user asks for; the view runs the
// search and says here how it went.

#include "trapquery.h"

#include <QTimer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;

class TrapFilterBar : public QWidget
{
    Q_OBJECT
public:
    // Typing pauses this long before the search starts.
    static constexpr int kSettleMs = 250;

    explicit TrapFilterBar(QWidget *parent = nullptr);

    TrapQuery query() const;
    // Shows the bar with the cursor in the text field.
    void open();
    void setStatus(const QString &text);

signals:
    void queryChanged(const TrapQuery &query);
    // Closed by its button or Esc: the list shows every trap again.
    void closed();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void changed();
    void closeBar();

    QLineEdit *m_text = nullptr;
    QComboBox *m_severity = nullptr;
    QLineEdit *m_agent = nullptr;
    QCheckBox *m_fromOn = nullptr;
    QDateTimeEdit *m_from = nullptr;
    QCheckBox *m_toOn = nullptr;
    QDateTimeEdit *m_to = nullptr;
    QLabel *m_status = nullptr;
    QTimer m_settle;
};
