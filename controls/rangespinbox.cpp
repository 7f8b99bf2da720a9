#include "rangespinbox.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>

#include <algorithm>

namespace {

// An optional minus and digits only; empty too, as when the user erased the
// field to type anew.
bool isNumberText(QStringView text, bool minusAllowed)
{
    if (minusAllowed && text.startsWith(u'-'))
        text = text.mid(1);
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

std::optional<int> numberIn(QStringView text)
{
    bool ok = false;
    const int value = isNumberText(text, true) ? text.toInt(&ok) : 0;
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

RangeSpinBox::RangeSpinBox(QWidget *parent) : QSpinBox(parent) {}

std::optional<int> RangeSpinBox::typedValue() const
{
    return numberIn(cleanText());
}

bool RangeSpinBox::isInRange() const
{
    return inRange(typedValue());
}

bool RangeSpinBox::inRange(std::optional<int> number) const
{
    return number && *number >= minimum() && *number <= maximum();
}

bool RangeSpinBox::confirmInRange()
{
    if (isInRange())
        return true;
    QMessageBox::warning(window(), QGuiApplication::applicationDisplayName(),
                         tr("Please enter an integer between %1 and %2.").arg(minimum()).arg(maximum()));
    setFocus(Qt::OtherFocusReason);
    selectAll();
    return false;
}

QValidator::State RangeSpinBox::validate(QString &input, int &) const
{
    QStringView text(input);
    if (!prefix().isEmpty() && text.startsWith(prefix()))
        text = text.mid(prefix().size());
    if (!suffix().isEmpty() && text.endsWith(suffix()))
        text.chop(suffix().size());
    text = text.trimmed();
    if (!isNumberText(text, minimum() < 0))
        return QValidator::Invalid;
    return inRange(numberIn(text)) ? QValidator::Acceptable : QValidator::Intermediate;
}

void RangeSpinBox::fixup(QString &) const {}

void RangeSpinBox::stepBy(int steps)
{
    if (isInRange()) {
        QSpinBox::stepBy(steps);
        return;
    }
    // QSpinBox would go back to the last valid value instead of stepping
    const std::optional<int> typed = typedValue();
    setValue(typed && *typed > maximum() ? maximum() : minimum());
}

template <typename Handler>
void RangeSpinBox::keepTypedText(Handler &&handler)
{
    const bool outside = !isInRange();
    const QString typed = lineEdit()->text();
    handler();
    if (outside && lineEdit()->text() != typed)
        lineEdit()->setText(typed);
}

void RangeSpinBox::keyPressEvent(QKeyEvent *event)
{
    // Enter goes on to the dialog's default button, which asks confirmInRange()
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        keepTypedText([&] { QSpinBox::keyPressEvent(event); });
    else
        QSpinBox::keyPressEvent(event);
}

void RangeSpinBox::focusOutEvent(QFocusEvent *event)
{
    keepTypedText([&] { QSpinBox::focusOutEvent(event); });
}

void RangeSpinBox::hideEvent(QHideEvent *event)
{
    keepTypedText([&] { QSpinBox::hideEvent(event); });
}
