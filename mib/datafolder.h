#pragma once

#include <QString>

// Where the program's data lives. The MIB database and the configuration
// always come from one folder, never one file from here and one from there.
namespace DataFolder {

// The folder holding MIBTable.xml and Config.xml, with forward slashes.
// $ORVELLE_DATA_DIR names it outright; otherwise the first base folder whose
// DATA folder holds Config.xml (a user folder that holds only the user's
// own MIB database is not a data folder): the current directory, the user's data folder
// (~/.local/share/Halvorn/Orvelle), the installed data folder
// (<prefix>/share/orvelle), share/orvelle beside the executable's bin
// folder (an installation moved to another prefix), then beside the
// executable. Empty when none has.
QString dataDir();

// The user guide's start page for a language code ("en" or "ja"):
// docs_<lang>/read1st.htm in the same base folders (beside the DATA folder
// when $ORVELLE_DATA_DIR is set). Empty when it is nowhere.
QString userGuide(const QString &language);

// The base folders searched, in order (for messages and the user guide).
QStringList baseFolders();

// The user's own data folder (~/.local/share/Halvorn/Orvelle); what the
// program writes for the user lives below it.
QString userFolder();
// The bundled MIB database with the modules the user added, and the
// folder that keeps those modules' files.
QString userMibDatabase();
QString userMibFolder();

} // namespace DataFolder
