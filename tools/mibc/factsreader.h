#pragma once

// Reads the compact facts format (*.facts): one definition per line with
// its attributes, descriptions and enumerations on indented lines below.
// The bundled database is written in it; the format is described in
// DATA/src/README.md and in the user guide.

#include "mibmodel.h"

#include <QHash>
#include <QString>
#include <QStringList>

class FactsReader
{
public:
    // Adds the file's definitions to the database. Errors ("FILE:LINE:
    // what") go to `errors`; definitions before and after a faulty line are
    // still read. False when the file had errors.
    bool read(const QString &path, MibcDatabase &db, QStringList *errors);

    // The conventions read so far, in the order they were defined.
    const QList<MibcTc> &textualConventions() const { return m_tcs; }
    // The modules read so far that are written in SMIv1 ("module NAME smi=v1").
    const QStringList &smiV1Modules() const { return m_smiV1; }
    // Every module named by a "module" line, in the order first named.
    const QStringList &modules() const { return m_modules; }

private:
    // "NAME" (the current module's, else the one defined last) or
    // "MODULE::NAME"; -1 when unknown.
    qsizetype findTc(const QString &ref, const QString &module) const;

    QHash<QString, SnmpOid> m_names;
    QList<MibcTc> m_tcs;
    QHash<QString, qsizetype> m_tcIndex; // "MODULE::NAME" and "NAME" (the last)
    QStringList m_smiV1;
    QStringList m_modules;
};
