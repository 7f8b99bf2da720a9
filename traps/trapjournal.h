#pragma once

// TrapJournal: every listed trap, kept on disk with all its variables, so
// that the list comes back after a restart and a search finds traps the
// list has long trimmed.
//
// An SQLite file in WAL mode. The GUI thread only queues records; a writer
// thread of its own commits them in batches (a storm costs one transaction
// per batch, and a killed program loses at most the last fraction of a
// second). Searches run in a third thread on a connection of their own, so
// neither typing in the filter bar nor a storm waits for the other.
//
// A row holds a group of traps (those of one write, up to 64), and the text
// index holds each distinct text of a group once: an FTS5 trigram index
// without positions and without a copy of the text. It only narrows the
// candidates, with each trap's trigram bits after it; TrapQuery::matches()
// decides. Deleting a group from such an index needs the text it was
// indexed with, which is made again from the stored records.
//
// Retention deletes the oldest traps by age and while the used size exceeds
// the limit; freed pages go back to the file system (incremental vacuum).

#include "trapquery.h"
#include "traprecord.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

struct sqlite3;

using TrapRecords = std::vector<tagTRAPRECORD>;

class TrapJournal : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString path;
        quint32 retentionDays = 30; // 0: no limit by age
        quint64 maxBytes = 0;       // 0: no limit by size
    };
    // Records queued for the writer at most; a disk that cannot keep up
    // loses the newest beyond this, counted.
    static constexpr size_t kMaxPending = 200000;
    // Retention runs at open, every so often, and after this many new traps
    // when the size is limited.
    static constexpr int kRetentionIntervalMs = 10 * 60 * 1000;
    static constexpr quint64 kSizeCheckEvery = 5000;
    // Commits are this far apart at least: a killed program loses no more.
    static constexpr int kCommitIntervalMs = 200;

    explicit TrapJournal(QObject *parent = nullptr);
    ~TrapJournal() override; // commits what is queued first

    // traps.db in the user's data folder.
    static QString defaultPath();

    // Opens (or creates) the file and starts the threads; false with a
    // message that names the file and the reason.
    bool open(const Options &options, QString *error);
    void close();
    bool isOpen() const { return m_writeDb != nullptr; }
    QString path() const { return m_options.path; }

    // The newest traps that fill at most `maxRows` list rows (a header row
    // and one per variable), oldest first.
    TrapRecords newest(quint32 maxRows);

    // Queues a trap for the writer; never blocks on the disk.
    void append(std::shared_ptr<const tagTRAPRECORD> record);
    // Waits until everything queued so far is committed; false on timeout.
    bool sync(int timeoutMs = 10000);

    // Starts a search for the newest matches filling at most `maxRows`
    // rows; searchFinished() follows with the same ticket. A newer search
    // cancels the older one.
    quint64 search(const TrapQuery &query, quint32 maxRows);

    quint64 written() const { return m_written; }
    quint64 dropped() const { return m_dropped; }

signals:
    // Matches oldest first; `truncated` when more matched than fit.
    void searchFinished(quint64 ticket, std::shared_ptr<const TrapRecords> matches, bool truncated);
    // A write failed (full disk, a file gone bad); said once until writing
    // works again.
    void failed(const QString &message);

private:
    void writerLoop();
    void searchLoop();
    bool writeBatch(const std::vector<std::shared_ptr<const tagTRAPRECORD>> &batch, QString *error);
    bool retain(QString *error);
    // The oldest traps received before `olderThan`, and at least `count` of them.
    bool deleteOldest(qint64 olderThan, qint64 count, QString *error);
    bool runSearch(quint64 ticket, const TrapQuery &query, quint32 maxRows, TrapRecords *out, bool *truncated);
    QString problem(sqlite3 *db, const QString &what) const;

    Options m_options;
    qint64 m_firstIdOfRun = 1;
    sqlite3 *m_writeDb = nullptr;
    sqlite3 *m_readDb = nullptr;
    std::mutex m_readMutex; // m_readDb: the search thread and newest()

    std::thread m_writer;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::vector<std::shared_ptr<const tagTRAPRECORD>> m_pending;
    quint64 m_queuedSeq = 0;    // records queued so far
    quint64 m_committedSeq = 0; // of those, handled by the writer
    bool m_syncRequested = false;
    bool m_stop = false;

    std::thread m_searcher;
    std::condition_variable m_searchWake;
    struct SearchRequest
    {
        quint64 ticket = 0;
        TrapQuery query;
        quint32 maxRows = 0;
    };
    std::optional<SearchRequest> m_searchRequest;
    std::atomic<quint64> m_latestTicket{0};

    std::atomic<quint64> m_written{0};
    std::atomic<quint64> m_dropped{0};
};

Q_DECLARE_METATYPE(std::shared_ptr<const TrapRecords>)
