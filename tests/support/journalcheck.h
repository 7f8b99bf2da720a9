#pragma once

// The trap journal's file as SQLite itself checks it, for the suites that
// write one and the one that kills the program while it writes.

#include <QFile>
#include <QString>

#include <sqlite3.h>

// PRAGMA integrity_check and the text index's own check, on a connection of the test's.
inline QString journalIntegrity(const QString &path)
{
    sqlite3 *db = nullptr;
    QString result = QStringLiteral("cannot open");
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr);
        result = sqlite3_step(s) == SQLITE_ROW ? QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0))) : QStringLiteral("no answer");
        sqlite3_finalize(s);
        if (sqlite3_exec(db, "INSERT INTO trap_text(trap_text) VALUES('integrity-check')", nullptr, nullptr, nullptr) != SQLITE_OK)
            result += QStringLiteral(", index: ") + QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_close(db);
    return result;
}
