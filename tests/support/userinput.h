#pragma once

// Input as a user gives it, for the GUI suites. Header only, like
// messagecatcher.h: suites without widgets never include it.

#include <QTest>
#include <QWidget>

namespace TestSupport {

// A click into the field (the focus goes there, so leaving it later is a
// real focus change), Ctrl+A, then the keys of `text`; an empty text erases
// what the field held.
inline void typeInto(QWidget *field, const QString &text)
{
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, text);
}

} // namespace TestSupport
