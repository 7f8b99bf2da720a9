#include "trapjournal.h"

#include "datafolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>

namespace {

constexpr int kSchemaVersion = 1;
// A trap deleted by retention costs a rebuild of its indexed text: they go
// in slices, so the writer is back to new traps soon.
constexpr int kRetentionSlice = 2000;
constexpr int kBusyTimeoutMs = 5000;

const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS trap("
    " id INTEGER PRIMARY KEY,"
    " received INTEGER NOT NULL,"
    " severity INTEGER NOT NULL,"
    " specific INTEGER NOT NULL,"
    " agent TEXT NOT NULL,"
    " community TEXT NOT NULL,"
    " enterprise TEXT NOT NULL,"
    " description TEXT NOT NULL,"
    " variables BLOB NOT NULL);"
    "CREATE INDEX IF NOT EXISTS trap_received ON trap(received);"
    "CREATE VIRTUAL TABLE IF NOT EXISTS trap_text USING fts5(text, content='', detail=none, tokenize='trigram');";

const char kColumns[] = "id, received, severity, specific, agent, community, enterprise, description, variables";

// A prepared statement that finalizes itself.
class Statement
{
public:
    Statement(sqlite3 *db, const char *sql) { sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr); }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    explicit operator bool() const { return m_stmt != nullptr; }
    sqlite3_stmt *get() const { return m_stmt; }
    void bind(int i, qint64 v) { sqlite3_bind_int64(m_stmt, i, v); }
    void bind(int i, const QByteArray &text) { sqlite3_bind_text(m_stmt, i, text.constData(), int(text.size()), SQLITE_TRANSIENT); }
    void bindBlob(int i, const QByteArray &b) { sqlite3_bind_blob(m_stmt, i, b.constData(), int(b.size()), SQLITE_TRANSIENT); }
    int step() { return sqlite3_step(m_stmt); }
    void reset() { sqlite3_reset(m_stmt); sqlite3_clear_bindings(m_stmt); }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

bool exec(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

qint64 pragmaNumber(sqlite3 *db, const char *sql)
{
    Statement s(db, sql);
    return s && s.step() == SQLITE_ROW ? sqlite3_column_int64(s.get(), 0) : -1;
}

// The variables of a trap as one blob: for each, its syntax, then OID,
// name, value and raw value, each a length and UTF-8 bytes. Lengths are
// LEB128, so a short text costs one byte of length.
void putLength(QByteArray &out, quint64 n)
{
    do {
        char byte = char(n & 0x7f);
        n >>= 7;
        if (n)
            byte = char(byte | 0x80);
        out.append(byte);
    } while (n);
}

bool takeLength(const char *&p, const char *end, quint64 *n)
{
    *n = 0;
    for (int shift = 0; p < end && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(*p++);
        *n |= quint64(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

void putText(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    putLength(out, quint64(utf8.size()));
    out.append(utf8);
}

bool takeText(const char *&p, const char *end, QString *text)
{
    quint64 n = 0;
    if (!takeLength(p, end, &n) || n > quint64(end - p))
        return false;
    *text = QString::fromUtf8(p, qsizetype(n));
    p += n;
    return true;
}

QByteArray encodeVariables(const std::list<tagTRAPVARBIND> &variables)
{
    QByteArray out;
    for (const tagTRAPVARBIND &vb : variables) {
        putLength(out, vb.nSyntax);
        putText(out, vb.strOid);
        putText(out, vb.strName);
        putText(out, vb.strValue);
        putText(out, vb.strRawValue);
    }
    return out;
}

void decodeVariables(const char *p, qsizetype size, std::list<tagTRAPVARBIND> *variables)
{
    // A damaged blob yields the variables before the damage.
    const char *end = p + size;
    while (p < end) {
        tagTRAPVARBIND vb;
        quint64 syntax = 0;
        if (!takeLength(p, end, &syntax) || !takeText(p, end, &vb.strOid) || !takeText(p, end, &vb.strName)
            || !takeText(p, end, &vb.strValue) || !takeText(p, end, &vb.strRawValue))
            return;
        vb.nSyntax = quint32(syntax);
        variables->push_back(std::move(vb));
    }
}

QString columnText(sqlite3_stmt *s, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, column)), sqlite3_column_bytes(s, column));
}

// A row of kColumns as a record.
tagTRAPRECORD recordAt(sqlite3_stmt *s, qint64 firstIdOfRun)
{
    tagTRAPRECORD r;
    r.tmReceived = std::time_t(sqlite3_column_int64(s, 1));
    r.nSeverity = quint32(sqlite3_column_int64(s, 2));
    r.nSpecific = qint32(sqlite3_column_int64(s, 3));
    r.strAgent = columnText(s, 4);
    r.strCommunity = columnText(s, 5);
    r.strEnterprise = columnText(s, 6);
    r.strDescription = columnText(s, 7);
    decodeVariables(static_cast<const char *>(sqlite3_column_blob(s, 8)), sqlite3_column_bytes(s, 8), &r.lstVarbinds);
    r.nVarbindCount = qint32(r.lstVarbinds.size());
    r.fromEarlierRun = sqlite3_column_int64(s, 0) < firstIdOfRun;
    return r;
}

// An FTS5 query that every text holding all the terms matches: the
// trigrams of each term of three characters or more. Shorter terms cannot
// narrow a trigram index; matches() checks them.
QByteArray trigramQuery(const QStringList &terms)
{
    QSet<QString> seen;
    QStringList parts;
    for (const QString &term : terms) {
        const QList<uint> points = term.toUcs4();
        for (qsizetype i = 0; i + 3 <= points.size(); ++i) {
            QString gram = QString::fromUcs4(reinterpret_cast<const char32_t *>(points.constData() + i), 3).toLower();
            if (seen.contains(gram))
                continue;
            seen.insert(gram);
            parts.append(u'"' + QString(gram).replace(u'"', QStringLiteral("\"\"")) + u'"');
        }
    }
    return parts.join(QStringLiteral(" AND ")).toUtf8();
}

int rowsOf(const tagTRAPRECORD &r)
{
    return 1 + int(r.lstVarbinds.size());
}

} // namespace

TrapJournal::TrapJournal(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<std::shared_ptr<const TrapRecords>>();
}

TrapJournal::~TrapJournal()
{
    close();
}

QString TrapJournal::defaultPath()
{
    return DataFolder::userFolder() + QStringLiteral("/traps.db");
}

QString TrapJournal::problem(sqlite3 *db, const QString &what) const
{
    const QString reason = db ? QString::fromUtf8(sqlite3_errmsg(db)) : tr("out of memory");
    return tr("Trap journal %1: %2: %3").arg(QDir::toNativeSeparators(m_options.path), what, reason);
}

bool TrapJournal::open(const Options &options, QString *error)
{
    close();
    m_options = options;
    auto fail = [&](sqlite3 *db, const QString &what) {
        if (error)
            *error = problem(db, what);
        sqlite3_close(m_writeDb);
        sqlite3_close(m_readDb);
        m_writeDb = m_readDb = nullptr;
        return false;
    };
    const QFileInfo info(options.path);
    if (!QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = tr("Trap journal %1: cannot create the folder %2")
                         .arg(QDir::toNativeSeparators(options.path), QDir::toNativeSeparators(info.absolutePath()));
        return false;
    }
    const QByteArray file = QFile::encodeName(options.path);
    if (sqlite3_open_v2(file.constData(), &m_writeDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        return fail(m_writeDb, tr("cannot open"));
    sqlite3_busy_timeout(m_writeDb, kBusyTimeoutMs);
    // The first statement reads the file: a file that is no database fails here.
    const qint64 version = pragmaNumber(m_writeDb, "PRAGMA user_version");
    if (version < 0)
        return fail(m_writeDb, tr("cannot read"));
    if (version > kSchemaVersion) {
        if (error)
            *error = tr("Trap journal %1: written by a newer version of Orvelle (format %2); this one reads format %3")
                         .arg(QDir::toNativeSeparators(options.path))
                         .arg(version)
                         .arg(kSchemaVersion);
        sqlite3_close(m_writeDb);
        m_writeDb = nullptr;
        return false;
    }
    // auto_vacuum only takes effect before the first table exists.
    if (!exec(m_writeDb, "PRAGMA auto_vacuum = INCREMENTAL") || !exec(m_writeDb, "PRAGMA journal_mode = WAL")
        || !exec(m_writeDb, "PRAGMA synchronous = NORMAL") || !exec(m_writeDb, "PRAGMA journal_size_limit = 67108864")
        || !exec(m_writeDb, kSchema) || !exec(m_writeDb, "PRAGMA user_version = 1"))
        return fail(m_writeDb, tr("cannot set up"));
    if (sqlite3_open_v2(file.constData(), &m_readDb, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
        return fail(m_readDb, tr("cannot open for reading"));
    sqlite3_busy_timeout(m_readDb, kBusyTimeoutMs);
    // Old traps go before the list reads the newest.
    QString retainError;
    if (!retain(&retainError)) {
        if (error)
            *error = retainError;
        sqlite3_close(m_readDb);
        sqlite3_close(m_writeDb);
        m_readDb = m_writeDb = nullptr;
        return false;
    }
    // What the file held before this run is from an earlier one.
    m_firstIdOfRun = pragmaNumber(m_writeDb, "SELECT coalesce(max(id), 0) + 1 FROM trap");
    {
        std::lock_guard lock(m_mutex);
        m_stop = false;
        m_pending.clear();
        m_queuedSeq = m_committedSeq = 0;
        m_retainRequests = m_retainsDone = 0;
    }
    m_writer = std::thread([this] { writerLoop(); });
    m_searcher = std::thread([this] { searchLoop(); });
    return true;
}

void TrapJournal::close()
{
    if (!m_writeDb)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_searchWake.notify_all();
    m_latestTicket = ~quint64(0);
    sqlite3_interrupt(m_readDb);
    if (m_writer.joinable())
        m_writer.join();
    if (m_searcher.joinable())
        m_searcher.join();
    sqlite3_close(m_readDb);
    sqlite3_close(m_writeDb);
    m_readDb = m_writeDb = nullptr;
}

void TrapJournal::append(std::shared_ptr<const tagTRAPRECORD> record)
{
    if (!m_writeDb || !record)
        return;
    {
        std::lock_guard lock(m_mutex);
        if (m_pending.size() >= kMaxPending) {
            ++m_dropped;
            return;
        }
        m_pending.push_back(std::move(record));
        ++m_queuedSeq;
    }
    m_wake.notify_one();
}

bool TrapJournal::sync(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    const quint64 target = m_queuedSeq;
    return m_done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_committedSeq >= target || !m_writeDb; });
}

bool TrapJournal::applyRetention(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    if (!m_writeDb)
        return false;
    const quint64 target = ++m_retainRequests;
    m_retainRequested = true;
    m_wake.notify_one();
    return m_done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_retainsDone >= target; });
}

void TrapJournal::writerLoop()
{
    using Clock = std::chrono::steady_clock;
    auto nextRetention = Clock::now() + std::chrono::milliseconds(kRetentionIntervalMs);
    quint64 sinceSizeCheck = 0;
    bool failing = false;
    std::vector<std::shared_ptr<const tagTRAPRECORD>> batch;
    for (;;) {
        bool retainNow = false;
        quint64 retainTarget = 0;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait_until(lock, nextRetention, [&] { return m_stop || !m_pending.empty() || m_retainRequested; });
            batch.swap(m_pending);
            retainNow = m_retainRequested || Clock::now() >= nextRetention;
            m_retainRequested = false;
            retainTarget = m_retainRequests;
            if (m_stop && batch.empty() && !retainNow)
                return;
        }
        QString error;
        bool ok = true;
        if (!batch.empty()) {
            ok = writeBatch(batch, &error);
            if (ok)
                m_written += batch.size();
            else
                m_dropped += batch.size();
            sinceSizeCheck += batch.size();
        }
        if (m_options.maxBytes > 0 && sinceSizeCheck >= kSizeCheckEvery)
            retainNow = true;
        if (ok && retainNow) {
            ok = retain(&error);
            sinceSizeCheck = 0;
            nextRetention = Clock::now() + std::chrono::milliseconds(kRetentionIntervalMs);
        }
        if (!ok && !failing)
            emit failed(error);
        failing = !ok;
        {
            std::lock_guard lock(m_mutex);
            m_committedSeq += batch.size();
            if (retainNow)
                m_retainsDone = std::max(m_retainsDone, retainTarget);
        }
        batch.clear();
        m_done.notify_all();
    }
}

bool TrapJournal::writeBatch(const std::vector<std::shared_ptr<const tagTRAPRECORD>> &batch, QString *error)
{
    sqlite3 *db = m_writeDb;
    Statement trap(db, "INSERT INTO trap(received, severity, specific, agent, community, enterprise, description, variables)"
                       " VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    Statement text(db, "INSERT INTO trap_text(rowid, text) VALUES(?, ?)");
    if (!trap || !text || !exec(db, "BEGIN")) {
        *error = problem(db, tr("cannot write"));
        return false;
    }
    for (const auto &record : batch) {
        const tagTRAPRECORD &r = *record;
        trap.bind(1, qint64(r.tmReceived));
        trap.bind(2, qint64(r.nSeverity));
        trap.bind(3, qint64(r.nSpecific));
        trap.bind(4, r.strAgent.toUtf8());
        trap.bind(5, r.strCommunity.toUtf8());
        trap.bind(6, r.strEnterprise.toUtf8());
        trap.bind(7, r.strDescription.toUtf8());
        trap.bindBlob(8, encodeVariables(r.lstVarbinds));
        const bool stored = trap.step() == SQLITE_DONE;
        trap.reset();
        if (stored) {
            text.bind(1, sqlite3_last_insert_rowid(db));
            text.bind(2, trapSearchText(r).toUtf8());
        }
        if (!stored || text.step() != SQLITE_DONE) {
            *error = problem(db, tr("cannot write"));
            exec(db, "ROLLBACK");
            return false;
        }
        text.reset();
    }
    if (!exec(db, "COMMIT")) {
        *error = problem(db, tr("cannot write"));
        exec(db, "ROLLBACK");
        return false;
    }
    return true;
}

bool TrapJournal::retain(QString *error)
{
    sqlite3 *db = m_writeDb;
    const qint64 pageSize = pragmaNumber(db, "PRAGMA page_size");
    auto usedBytes = [&] { return (pragmaNumber(db, "PRAGMA page_count") - pragmaNumber(db, "PRAGMA freelist_count")) * pageSize; };
    const qint64 cutoff = m_options.retentionDays > 0 ? qint64(std::time(nullptr)) - qint64(m_options.retentionDays) * 86400 : 0;
    // By age first; then, over the size limit, the oldest share of the traps
    // that brings the file to 90% of it. The index gives its share back only
    // when its segments are rewritten, so it is measured again after that.
    if (!deleteOldest(cutoff, 0, error))
        return false;
    for (int round = 0; round < 3 && m_options.maxBytes > 0; ++round) {
        const qint64 used = usedBytes();
        if (used <= qint64(m_options.maxBytes))
            break;
        const qint64 traps = pragmaNumber(db, "SELECT count(*) FROM trap");
        const double excess = double(used - qint64(m_options.maxBytes) * 9 / 10) / double(used);
        if (traps <= 0 || !deleteOldest(0, qMax<qint64>(1, qint64(double(traps) * excess + 0.5)), error))
            return traps <= 0;
        exec(db, "INSERT INTO trap_text(trap_text) VALUES('optimize')");
        exec(db, "PRAGMA incremental_vacuum");
    }
    return true;
}

bool TrapJournal::deleteOldest(qint64 olderThan, qint64 count, QString *error)
{
    sqlite3 *db = m_writeDb;
    Statement oldest(db, (QByteArrayLiteral("SELECT ") + kColumns + " FROM trap ORDER BY id LIMIT ?").constData());
    Statement unindex(db, "INSERT INTO trap_text(trap_text, rowid, text) VALUES('delete', ?, ?)");
    Statement remove(db, "DELETE FROM trap WHERE id <= ?");
    if (!oldest || !unindex || !remove) {
        *error = problem(db, tr("cannot delete old traps"));
        return false;
    }
    qint64 deleted = 0;
    for (;;) {
        if (!exec(db, "BEGIN")) {
            *error = problem(db, tr("cannot delete old traps"));
            return false;
        }
        qint64 last = -1;
        int slice = 0;
        oldest.bind(1, kRetentionSlice);
        while (oldest.step() == SQLITE_ROW) {
            if (deleted + slice >= count && sqlite3_column_int64(oldest.get(), 1) >= olderThan)
                break;
            const tagTRAPRECORD r = recordAt(oldest.get(), 0);
            last = sqlite3_column_int64(oldest.get(), 0);
            unindex.bind(1, last);
            unindex.bind(2, trapSearchText(r).toUtf8());
            unindex.step();
            unindex.reset();
            ++slice;
        }
        oldest.reset();
        if (last >= 0) {
            remove.bind(1, last);
            remove.step();
            remove.reset();
        }
        if (!exec(db, "COMMIT")) {
            *error = problem(db, tr("cannot delete old traps"));
            exec(db, "ROLLBACK");
            return false;
        }
        deleted += slice;
        if (slice < kRetentionSlice)
            break;
    }
    if (deleted > 0) {
        exec(db, "INSERT INTO trap_text(trap_text, rank) VALUES('merge', 500)");
        exec(db, "PRAGMA incremental_vacuum");
    }
    return true;
}

TrapRecords TrapJournal::newest(quint32 maxRows)
{
    TrapRecords out;
    if (!m_readDb || maxRows == 0)
        return out;
    std::lock_guard lock(m_readMutex);
    Statement s(m_readDb, (QByteArrayLiteral("SELECT ") + kColumns + " FROM trap ORDER BY id DESC").constData());
    qint64 rows = 0;
    while (s && rows < qint64(maxRows) && s.step() == SQLITE_ROW) {
        out.push_back(recordAt(s.get(), m_firstIdOfRun));
        rows += rowsOf(out.back());
    }
    std::reverse(out.begin(), out.end());
    return out;
}

quint64 TrapJournal::search(const TrapQuery &query, quint32 maxRows)
{
    std::lock_guard lock(m_mutex);
    const quint64 ticket = ++m_latestTicket;
    // the search before it sees the new ticket and stops
    m_searchRequest = SearchRequest{ticket, query, maxRows};
    m_searchWake.notify_one();
    return ticket;
}

void TrapJournal::searchLoop()
{
    for (;;) {
        SearchRequest request;
        {
            std::unique_lock lock(m_mutex);
            m_searchWake.wait(lock, [&] { return m_stop || m_searchRequest; });
            if (m_stop)
                return;
            request = std::move(*m_searchRequest);
            m_searchRequest.reset();
        }
        auto matches = std::make_shared<TrapRecords>();
        bool truncated = false;
        if (runSearch(request.ticket, request.query, request.maxRows, matches.get(), &truncated))
            emit searchFinished(request.ticket, std::move(matches), truncated);
    }
}

bool TrapJournal::runSearch(quint64 ticket, const TrapQuery &query, quint32 maxRows, TrapRecords *out, bool *truncated)
{
    std::lock_guard lock(m_readMutex);
    QStringList narrowing = query.terms;
    if (!query.agent.isEmpty())
        narrowing.append(query.agent);
    const QByteArray match = trigramQuery(narrowing);
    QByteArray where;
    if (query.from)
        where += " AND received >= " + QByteArray::number(qint64(*query.from));
    if (query.to)
        where += " AND received <= " + QByteArray::number(qint64(*query.to));
    // With trigrams the index hands out candidates newest first and each
    // is fetched by its id; without, the table is read newest first.
    const QByteArray select = QByteArrayLiteral("SELECT ") + kColumns + " FROM trap WHERE ";
    Statement candidates(m_readDb, match.isEmpty() ? (select + "1" + where + " ORDER BY id DESC").constData()
                                                   : "SELECT rowid FROM trap_text WHERE trap_text MATCH ? ORDER BY rowid DESC");
    Statement byId(m_readDb, (select + "id = ?" + where).constData());
    if (!candidates || !byId)
        return false;
    if (!match.isEmpty())
        candidates.bind(1, match);
    qint64 rows = 0;
    int steps = 0;
    for (;;) {
        if ((++steps & 63) == 0 && m_latestTicket != ticket)
            return false;
        const int rc = candidates.step();
        if (rc != SQLITE_ROW) {
            if (rc != SQLITE_DONE && rc != SQLITE_INTERRUPT)
                qWarning("trap journal search: %s", sqlite3_errmsg(m_readDb));
            if (rc != SQLITE_DONE)
                return false;
            break;
        }
        sqlite3_stmt *row = candidates.get();
        if (!match.isEmpty()) {
            byId.bind(1, sqlite3_column_int64(candidates.get(), 0));
            if (byId.step() != SQLITE_ROW) {
                byId.reset();
                continue;
            }
            row = byId.get();
        }
        tagTRAPRECORD record = recordAt(row, m_firstIdOfRun);
        if (!match.isEmpty())
            byId.reset();
        if (!query.matches(record))
            continue;
        if (rows + rowsOf(record) > qint64(maxRows) && !out->empty()) {
            *truncated = true;
            break;
        }
        rows += rowsOf(record);
        out->push_back(std::move(record));
    }
    std::reverse(out->begin(), out->end());
    return m_latestTicket == ticket;
}
