#pragma once

// The IETF and IANA modules that vendor MIBs import, carried by the
// compiler itself as facts (names, numbers, types, ranges, enumerations
// and hints; no descriptions): Debian installs none of them. A module that
// is not on the search path is written out from these facts as SMI text
// for net-snmp's parser; a module file on the search path wins.

#include "mibmodel.h"

#include <QList>
#include <QString>
#include <QStringList>

class BuiltinMibModules
{
public:
    // Read once from the compiler's resources.
    static const BuiltinMibModules &instance();

    // In the order they are read; each imports only from those before it.
    QStringList moduleNames() const { return m_modules; }
    bool contains(const QString &module) const { return m_modules.contains(module); }

    // The module as SMI text (SMIv1 where the module is).
    QByteArray moduleText(const QString &module) const;

    // Writes MODULE.txt for every built-in module into `dir`.
    bool writeModules(const QString &dir, QStringList *errors) const;

    // Faults in the built-in facts themselves (a test keeps this empty).
    QStringList loadErrors() const { return m_errors; }

private:
    BuiltinMibModules();
    QString moduleOfName(const QString &name, const QString &preferred) const;

    // One database per module: RFC1213-MIB and IF-MIB define the same
    // OIDs, and each module's text needs its own definitions.
    std::map<QString, MibcDatabase> m_dbs;
    QList<MibcTc> m_tcs;
    QStringList m_modules;
    QStringList m_smiV1;
    QStringList m_errors;
};

// The facts of `modules` (every definition of theirs in `db`, and their
// conventions in `tcs`), as the facts reader reads them back.
QByteArray mibFactsText(const MibcDatabase &db, const QList<MibcTc> &tcs, const QStringList &modules,
                        const QStringList &smiV1Modules);
