#pragma once

// RangeSpinBox: a number field with a range that never puts another number
// in place of the one the user typed. QSpinBox refuses keys that would leave
// its range (361 in a field of 1 to 360 stops at 36) and puts the last valid
// value back, without a word, when Enter is pressed or the focus leaves the
// field, so a dialog would go on with a number nobody typed. This field
// keeps whatever digits were typed; the dialog asks confirmInRange() when
// the user confirms, which tells the range and leaves the field ready for a
// correction.
//
//     auto *interval = new RangeSpinBox(this);
//     interval->setRange(1, 360);
//     ...OK pressed: if (!interval->confirmInRange()) return; // the dialog stays
//     use(interval->value());
//
// value() follows the text while it is in range. From a number outside it
// the arrow keys and buttons go to the nearest end of the range, in sight.

#include <QSpinBox>

#include <optional>

class RangeSpinBox : public QSpinBox
{
    Q_OBJECT

public:
    explicit RangeSpinBox(QWidget *parent = nullptr);

    // The typed number; none when the field holds no digits or more than an
    // int holds.
    std::optional<int> typedValue() const;
    // The typed number lies between minimum() and maximum().
    bool isInRange() const;
    // True when in range. Otherwise shows "Please enter an integer between
    // %1 and %2." over the field's window, gives the field the focus with
    // its text selected, and gives false.
    bool confirmInRange();

    // Digits, as many as typed: Acceptable in range, Intermediate outside.
    QValidator::State validate(QString &input, int &pos) const override;
    // Nothing is put in the place of what was typed.
    void fixup(QString &input) const override;
    void stepBy(int steps) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool inRange(std::optional<int> number) const;
    // QSpinBox's own handling of Enter, focus-out and hiding ends with the
    // last valid value in the field: the typed text goes back after it.
    template <typename Handler>
    void keepTypedText(Handler &&handler);
};
