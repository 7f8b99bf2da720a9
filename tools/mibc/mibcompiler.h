#pragma once

// The compiler as a library: what orvelle-mibc's main() runs, so that the
// benchmark and tests can run it too.

#include "mibmodel.h"

#include <QString>
#include <QStringList>

#include <functional>

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
    // A MIBTable.xml to merge into: the compiled modules replace its
    // definitions of the same modules and add to the rest; a module that
    // redefines one of its names or OIDs is refused, and nothing is
    // written unless every module compiled cleanly.
    QString baseFile;
    // Told before each module is compiled: (done, all, module).
    std::function<void(int, int, const QString &)> progress;
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

// The usual MIB folders that exist on this machine, the user's own first.
QStringList defaultMibSearchPath();

// Compiles and writes options.output. The result lists what failed; the
// output is written whenever anything could be parsed.
MibcResult runMibCompiler(const MibcOptions &options, MibcDatabase *database = nullptr);
