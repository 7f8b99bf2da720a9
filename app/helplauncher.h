#pragma once

#include <QString>
#include <QUrl>

class QWidget;

// Opens the user guide and the product page with the desktop's handler for
// them, and says so when that fails.
namespace HelpLauncher {

// docs_<lang>/read1st.htm, found like the data folder; an empty URL when
// there is none.
QUrl userGuideUrl();
// The product page: for this build, the MIB database chapter of the guide
// (its summary in read1st.htm when the chapter page is missing).
QUrl productPageUrl();

// Both report a failure with "Unable to launch default browser. / or File is
// not existing."; the User Guide's box has the caption "Orvelle", the About
// box's "Error". They return whether the document was handed over.
bool openUserGuide(QWidget *owner);
bool openProductPage(QWidget *owner);

} // namespace HelpLauncher
