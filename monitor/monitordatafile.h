#pragma once

// CMonitorDataFile: a monitor window's samples as comma-separated text, for
// a spreadsheet or a script. Line 1 is the device as the user typed it, line
// 2 "sampling time" and the OIDs, then one line per answer that carried
// numbers: its time and the raw values, each in its own signedness. Lines
// end in CR LF and are written in the locale's encoding (LocaleCodec).
//
// Every line is flushed at once, so the file is complete up to the last
// sample even if the program ends abruptly. The first write that fails
// closes the file and is reported by WriteLine's result, so the window can
// say once that saving stopped instead of losing samples silently.
//
// A file is written by one window at a time: it is locked while open
// (flock, advisory, taken before the file is emptied), so a second monitor
// window, or another copy of the program, that names the same file is
// refused it and the first one's samples stay whole.

#include "monitorhistory.h"

#include <QString>
#include <QStringList>

#include <ctime>
#include <memory>
#include <vector>

class QFile;

class CMonitorDataFile
{
public:
    CMonitorDataFile();
    ~CMonitorDataFile();
    CMonitorDataFile(const CMonitorDataFile &) = delete;
    CMonitorDataFile &operator=(const CMonitorDataFile &) = delete;

    // Creates the file or empties an existing one. False when it cannot be
    // opened or another window or program is writing it (errorString() says
    // why); the file is left as it was then.
    bool Open(const QString &path);
    void Close();
    bool isOpen() const { return m_file != nullptr; }
    QString fileName() const { return m_fileName; }
    QString errorString() const { return m_error; }

    // Writes `text` and CR LF and flushes. Nothing without an open file.
    // False when the write failed; the file is closed then.
    bool WriteLine(const QString &text);

    // "sampling time, OID1, OID2"
    static QString headerLine(const QStringList &oids);
    // "12/05/2026 07:10:32,1234,5678": local time, then each value.
    static QString dataLine(std::time_t time, const std::vector<MonitorValue> &values);

private:
    std::unique_ptr<QFile> m_file;
    QString m_fileName;
    QString m_error;
};
