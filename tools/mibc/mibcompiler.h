#pragma once

// The compiler as a library: what orvelle-mibc's main() runs, so that the
// benchmark and tests can run it too.

#include "mibmodel.h"

#include <QString>
#include <QStringList>

struct MibcOptions
{
    QStringList inputs;     // module files, folders, *.facts files
    QStringList searchDirs; // -M
    QString output = QStringLiteral("MIBTable.xml");
    QStringList severityFiles;
    QStringList japaneseFiles;
    int defaultSeverity = 2;
    // When set, the facts of the input modules are written here instead of
    // MIBTable.xml (how the compiler's built-in modules are made).
    QString factsOutput;
};

struct MibcResult
{
    QStringList errors;        // every problem, one line each
    QStringList failedModules; // "MODULE (FILE)"
    int modules = 0;
    int objects = 0;
    int notifications = 0;
    bool written = false;
};

// The user's own MIB folder (~/.local/share/Halvorn/Orvelle/mibs).
QString userMibFolder();

// The usual MIB folders that exist on this machine, the user's own first.
QStringList defaultMibSearchPath();

// Compiles and writes options.output. The result lists what failed; the
// output is written whenever anything could be parsed.
MibcResult runMibCompiler(const MibcOptions &options, MibcDatabase *database = nullptr);
