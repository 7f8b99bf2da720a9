#pragma once

// Reads SMI MIB modules (SMIv1 and SMIv2) through net-snmp's MIB parser.
// net-snmp keeps one global MIB tree, so one SmiReader per process.

#include "mibmodel.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

struct SmiModuleFile
{
    QString module; // name before DEFINITIONS ::= BEGIN
    QString path;
    bool smiV2 = true;
    QHash<QString, int> severities; // --#SEVERITY hints by definition name
    QList<MibcTc> tcs;              // its textual conventions, in file order
    QHash<QString, QString> importedFrom; // imported name -> module
    QHash<QString, int> lines;            // definition name -> line of the file
    QString revision;                     // LAST-UPDATED of its MODULE-IDENTITY
};

class SmiReader
{
public:
    // What a file says about itself, read without net-snmp: the module name
    // (empty when the file is no MIB module), SMI version, severity hints.
    static SmiModuleFile scanFile(const QString &path);
    // The TEXTUAL-CONVENTIONs and type assignments of comment-free module
    // text (net-snmp keeps only a convention's name where the compiler
    // needs its base type, hint, enumerations and ranges too).
    static QList<MibcTc> scanTextualConventions(const QString &text);

    // The base module every SMIv2 module leans on.
    static QString baseModuleName() { return QStringLiteral("SNMPv2-SMI"); }

    // Loads the modules (search path: `searchDirs`, plus the folders of the
    // files) and adds every node of net-snmp's tree to the database.
    // `defaultSeverity` goes to notifications without a hint. Messages name
    // module, file and line; failed modules are listed.
    void compile(const QList<SmiModuleFile> &files, const QStringList &searchDirs, int defaultSeverity,
                 MibcDatabase &db);

    // Called before each module is read: (modules read so far, all, name).
    std::function<void(int, int, const QString &)> progress;

    QStringList messages() const { return m_messages; }
    QStringList failedModules() const { return m_failed; }

private:
    QStringList m_messages;
    QStringList m_failed;
};
