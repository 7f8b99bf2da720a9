#pragma once

// The program's message boxes, one look for every window: caption
// "Orvelle", OK, and "\r\n" line ends (as the texts of the string tables
// have them) shown as plain line breaks.

#include <QString>

class QWidget;

namespace MessageBox {

// A plain message, no icon.
void show(QWidget *parent, const QString &text);
// A Yes/No question; true for Yes. No is the default.
bool ask(QWidget *parent, const QString &text);

} // namespace MessageBox
