#include "trapjournal.h"

#include "datafolder.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

namespace {

constexpr int kSchemaVersion = 1;
// A trap deleted by retention costs a rebuild of its indexed text: they go
// in slices, so the writer is back to new traps soon.
constexpr int kRetentionSlice = 2000;
constexpr int kBusyTimeoutMs = 5000;

// Traps are stored in groups: one row for the traps that one write took
// in (up to kTrapsPerRow), one index entry for the distinct texts of the
// group. A storm repeats the same agent, community, names and descriptions
// trap after trap, and each of them costs the index once per group instead
// of once per trap.
const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS trap_group("
    " id INTEGER PRIMARY KEY,"
    " first_received INTEGER NOT NULL,"
    " last_received INTEGER NOT NULL,"
    " traps INTEGER NOT NULL,"
    " blooms BLOB NOT NULL,"
    " records BLOB NOT NULL);"
    "CREATE INDEX IF NOT EXISTS trap_group_last ON trap_group(last_received);"
    "CREATE VIRTUAL TABLE IF NOT EXISTS trap_text USING fts5(text, content='', detail=none, tokenize='trigram');";

const char kColumns[] = "id, first_received, last_received, traps, records";
constexpr int kRecordsColumn = 4;
constexpr int kTrapsPerRow = 64;

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

// A group's records as one blob: for each trap its time, severity,
// specific number and texts, then each variable's syntax, OID, name, value
// and raw value; texts are a length and UTF-8 bytes. Lengths are LEB128,
// so a short text costs one byte of length.
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

void putSigned(QByteArray &out, qint64 n)
{
    putLength(out, (quint64(n) << 1) ^ quint64(n >> 63)); // zigzag: small negatives stay short
}

bool takeSigned(const char *&p, const char *end, qint64 *n)
{
    quint64 u = 0;
    if (!takeLength(p, end, &u))
        return false;
    *n = qint64(u >> 1) ^ -qint64(u & 1);
    return true;
}

void encodeRecord(QByteArray &out, const tagTRAPRECORD &r)
{
    putSigned(out, qint64(r.tmReceived));
    putLength(out, r.nSeverity);
    putSigned(out, r.nSpecific);
    putText(out, r.strAgent);
    putText(out, r.strCommunity);
    putText(out, r.strEnterprise);
    putText(out, r.strDescription);
    putLength(out, r.lstVarbinds.size());
    for (const tagTRAPVARBIND &vb : r.lstVarbinds) {
        putLength(out, vb.nSyntax);
        putText(out, vb.strOid);
        putText(out, vb.strName);
        putText(out, vb.strValue);
        putText(out, vb.strRawValue);
    }
}

// The records of a group, oldest first; a damaged blob yields those before the damage.
TrapRecords decodeRecords(const char *p, qsizetype size, bool earlier)
{
    TrapRecords out;
    const char *end = p + size;
    while (p < end) {
        tagTRAPRECORD r;
        qint64 time = 0, specific = 0;
        quint64 severity = 0, count = 0;
        if (!takeSigned(p, end, &time) || !takeLength(p, end, &severity) || !takeSigned(p, end, &specific)
            || !takeText(p, end, &r.strAgent) || !takeText(p, end, &r.strCommunity) || !takeText(p, end, &r.strEnterprise)
            || !takeText(p, end, &r.strDescription) || !takeLength(p, end, &count))
            break;
        bool whole = true;
        for (quint64 i = 0; i < count && whole; ++i) {
            tagTRAPVARBIND vb;
            quint64 syntax = 0;
            whole = takeLength(p, end, &syntax) && takeText(p, end, &vb.strOid) && takeText(p, end, &vb.strName)
                && takeText(p, end, &vb.strValue) && takeText(p, end, &vb.strRawValue);
            vb.nSyntax = quint32(syntax);
            if (whole)
                r.lstVarbinds.push_back(std::move(vb));
        }
        if (!whole)
            break;
        r.tmReceived = std::time_t(time);
        r.nSeverity = quint32(severity);
        r.nSpecific = qint32(specific);
        r.nVarbindCount = qint32(r.lstVarbinds.size());
        r.fromEarlierRun = earlier;
        out.push_back(std::move(r));
    }
    return out;
}

// A row of kColumns: its records.
TrapRecords groupAt(sqlite3_stmt *s, qint64 firstIdOfRun)
{
    return decodeRecords(static_cast<const char *>(sqlite3_column_blob(s, kRecordsColumn)), sqlite3_column_bytes(s, kRecordsColumn),
                         sqlite3_column_int64(s, 0) < firstIdOfRun);
}

// A trap's trigrams as 256 bits: a candidate group's traps are tested
// against the query's bits before any of them is decoded. About half the
// bits of a trap are set, so a term of a few letters passes a trap that
// lacks it by chance once in a few hundred.
using TrapBloom = std::array<quint64, 4>;
constexpr qsizetype kBloomBytes = sizeof(TrapBloom);

void addTrigrams(TrapBloom &bloom, const QString &text)
{
    // UTF-16 units, folded one by one: the same function makes the query's
    // bits, so it only has to agree with itself, and it runs for every new
    // text of a storm
    const qsizetype n = text.size();
    if (n < 3)
        return;
    const QChar *p = text.constData();
    auto fold = [](QChar c) -> quint32 {
        const char16_t u = c.unicode();
        if (u < 0x80)
            return u >= 'A' && u <= 'Z' ? u + 32u : u;
        return c.toCaseFolded().unicode();
    };
    quint32 a = fold(p[0]), b = fold(p[1]);
    for (qsizetype i = 2; i < n; ++i) {
        const quint32 c = fold(p[i]);
        const quint32 h = (a * 0x9E3779B1u) ^ (b * 0x85EBCA77u) ^ (c * 0xC2B2AE3Du);
        const quint32 bit = (h ^ (h >> 15)) & 255;
        bloom[bit >> 6] |= quint64(1) << (bit & 63);
        a = b;
        b = c;
    }
}

bool covers(const TrapBloom &trap, const TrapBloom &query)
{
    for (size_t i = 0; i < trap.size(); ++i)
        if ((trap[i] & query[i]) != query[i])
            return false;
    return true;
}

// What the index holds for a group: each distinct text of its traps once,
// on a line of its own (matches() decides for each trap; the index only
// has to hold every trigram any of them holds); and each trap's bits.
struct GroupIndex
{
    QByteArray text;
    QByteArray blooms;
};

GroupIndex indexGroup(const std::vector<const tagTRAPRECORD *> &records)
{
    QHash<QString, TrapBloom> seen;
    QString text;
    GroupIndex index;
    auto add = [&](TrapBloom &bloom, const QString &part) {
        if (part.isEmpty())
            return;
        auto known = seen.constFind(part);
        if (known == seen.cend()) {
            TrapBloom own{};
            addTrigrams(own, part);
            known = seen.insert(part, own);
            text += part;
            text += u'\n';
        }
        for (size_t i = 0; i < bloom.size(); ++i)
            bloom[i] |= (*known)[i];
    };
    for (const tagTRAPRECORD *r : records) {
        TrapBloom bloom{};
        forEachSearchedText(*r, [&](const QString &part) { add(bloom, part); });
        index.blooms.append(reinterpret_cast<const char *>(bloom.data()), kBloomBytes);
    }
    index.text = text.toUtf8();
    return index;
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
    m_firstIdOfRun = pragmaNumber(m_writeDb, "SELECT coalesce(max(id), 0) + 1 FROM trap_group");
    {
        std::lock_guard lock(m_mutex);
        m_stop = false;
        m_pending.clear();
        m_queuedSeq = m_committedSeq = 0;
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
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_pending.size() >= kMaxPending) {
            ++m_dropped;
            return;
        }
        // only the first record wakes the writer: it takes the rest with
        // it, and a wake-up per trap cost two context switches each
        wake = m_pending.empty();
        m_pending.push_back(std::move(record));
        ++m_queuedSeq;
    }
    if (wake)
        m_wake.notify_one();
}

bool TrapJournal::sync(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    const quint64 target = m_queuedSeq;
    m_syncRequested = true;
    m_wake.notify_one();
    return m_done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_committedSeq >= target || !m_writeDb; });
}

void TrapJournal::writerLoop()
{
    using Clock = std::chrono::steady_clock;
    auto nextRetention = Clock::now() + std::chrono::milliseconds(kRetentionIntervalMs);
    quint64 sinceSizeCheck = 0;
    bool failing = false;
    std::vector<std::shared_ptr<const tagTRAPRECORD>> batch;
    auto lastCommit = Clock::now() - std::chrono::milliseconds(kCommitIntervalMs);
    for (;;) {
        bool retainNow = false;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait_until(lock, nextRetention, [&] { return m_stop || !m_pending.empty(); });
            // A steady stream is written a few times a second, in groups
            // large enough to share their texts; sync() does not wait.
            const auto due = lastCommit + std::chrono::milliseconds(kCommitIntervalMs);
            m_wake.wait_until(lock, due, [&] { return m_stop || m_syncRequested; });
            m_syncRequested = false;
            batch.swap(m_pending);
            retainNow = Clock::now() >= nextRetention;
            if (m_stop && batch.empty() && !retainNow)
                return;
        }
        QString error;
        bool ok = true;
        if (!batch.empty()) {
            lastCommit = Clock::now();
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
        }
        batch.clear();
        m_done.notify_all();
    }
}

bool TrapJournal::writeBatch(const std::vector<std::shared_ptr<const tagTRAPRECORD>> &batch, QString *error)
{
    sqlite3 *db = m_writeDb;
    Statement group(db, "INSERT INTO trap_group(first_received, last_received, traps, blooms, records) VALUES(?, ?, ?, ?, ?)");
    Statement text(db, "INSERT INTO trap_text(rowid, text) VALUES(?, ?)");
    if (!group || !text || !exec(db, "BEGIN")) {
        *error = problem(db, tr("cannot write"));
        return false;
    }
    std::vector<const tagTRAPRECORD *> records;
    QByteArray blob;
    for (size_t first = 0; first < batch.size(); first += kTrapsPerRow) {
        const size_t end = std::min(batch.size(), first + kTrapsPerRow);
        records.clear();
        blob.clear();
        std::time_t earliest = batch[first]->tmReceived, latest = earliest;
        for (size_t i = first; i < end; ++i) {
            const tagTRAPRECORD &r = *batch[i];
            records.push_back(&r);
            encodeRecord(blob, r);
            earliest = std::min(earliest, r.tmReceived);
            latest = std::max(latest, r.tmReceived);
        }
        group.bind(1, qint64(earliest));
        group.bind(2, qint64(latest));
        const GroupIndex index = indexGroup(records);
        group.bind(3, qint64(records.size()));
        group.bindBlob(4, index.blooms);
        group.bindBlob(5, blob);
        const bool stored = group.step() == SQLITE_DONE;
        group.reset();
        if (stored) {
            text.bind(1, sqlite3_last_insert_rowid(db));
            text.bind(2, index.text);
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
    // By age first; then, over the size limit, the oldest share of the groups
    // that brings the file to 90% of it. The index gives its share back only
    // when its segments are rewritten, so it is measured again after that.
    if (!deleteOldest(cutoff, 0, error))
        return false;
    for (int round = 0; round < 3 && m_options.maxBytes > 0; ++round) {
        const qint64 used = usedBytes();
        if (used <= qint64(m_options.maxBytes))
            break;
        const qint64 groups = pragmaNumber(db, "SELECT count(*) FROM trap_group");
        const double excess = double(used - qint64(m_options.maxBytes) * 9 / 10) / double(used);
        if (groups <= 0 || !deleteOldest(0, qMax<qint64>(1, qint64(double(groups) * excess + 0.5)), error))
            return groups <= 0;
        exec(db, "INSERT INTO trap_text(trap_text) VALUES('optimize')");
        exec(db, "PRAGMA incremental_vacuum");
    }
    return true;
}

bool TrapJournal::deleteOldest(qint64 olderThan, qint64 count, QString *error)
{
    sqlite3 *db = m_writeDb;
    Statement oldest(db, (QByteArrayLiteral("SELECT ") + kColumns + " FROM trap_group ORDER BY id LIMIT ?").constData());
    Statement unindex(db, "INSERT INTO trap_text(trap_text, rowid, text) VALUES('delete', ?, ?)");
    Statement remove(db, "DELETE FROM trap_group WHERE id <= ?");
    if (!oldest || !unindex || !remove) {
        *error = problem(db, tr("cannot delete old traps"));
        return false;
    }
    qint64 deleted = 0;
    std::vector<const tagTRAPRECORD *> pointers;
    for (;;) {
        if (!exec(db, "BEGIN")) {
            *error = problem(db, tr("cannot delete old traps"));
            return false;
        }
        qint64 last = -1;
        int slice = 0;
        oldest.bind(1, kRetentionSlice);
        while (oldest.step() == SQLITE_ROW) {
            // a group goes by age once its newest trap is older than the cut-off
            if (deleted + slice >= count && sqlite3_column_int64(oldest.get(), 2) >= olderThan)
                break;
            const TrapRecords records = groupAt(oldest.get(), 0);
            pointers.clear();
            for (const tagTRAPRECORD &r : records)
                pointers.push_back(&r);
            last = sqlite3_column_int64(oldest.get(), 0);
            unindex.bind(1, last);
            unindex.bind(2, indexGroup(pointers).text);
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
    Statement s(m_readDb, (QByteArrayLiteral("SELECT ") + kColumns + " FROM trap_group ORDER BY id DESC").constData());
    qint64 rows = 0;
    while (s && rows < qint64(maxRows) && s.step() == SQLITE_ROW) {
        TrapRecords group = groupAt(s.get(), m_firstIdOfRun);
        for (auto r = group.rbegin(); r != group.rend() && rows < qint64(maxRows); ++r) {
            rows += rowsOf(*r);
            out.push_back(std::move(*r));
        }
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
        where += " AND last_received >= " + QByteArray::number(qint64(*query.from));
    if (query.to)
        where += " AND first_received <= " + QByteArray::number(qint64(*query.to));
    // With trigrams the index hands out candidate groups newest first and
    // each is fetched by its id; without, the groups are read newest first.
    const QByteArray select = QByteArrayLiteral("SELECT ") + kColumns + " FROM trap_group WHERE ";
    Statement candidates(m_readDb, match.isEmpty() ? (select + "1" + where + " ORDER BY id DESC").constData()
                                                   : "SELECT rowid FROM trap_text WHERE trap_text MATCH ? ORDER BY rowid DESC");
    Statement byId(m_readDb, (select + "id = ?" + where).constData());
    // a group's bits are read first; its records only where a trap may match
    Statement bloomsOf(m_readDb, "SELECT blooms FROM trap_group WHERE id = ?");
    TrapBloom wanted{};
    for (const QString &term : narrowing)
        addTrigrams(wanted, term);
    std::vector<bool> passing;
    if (!candidates || !byId || !bloomsOf)
        return false;
    if (!match.isEmpty())
        candidates.bind(1, match);
    qint64 rows = 0;
    int steps = 0;
    for (;;) {
        if ((++steps & 15) == 0 && m_latestTicket != ticket)
            return false;
        const int rc = candidates.step();
        if (rc != SQLITE_ROW) {
            if (rc != SQLITE_DONE && rc != SQLITE_INTERRUPT)
                qWarning("trap journal search: %s", sqlite3_errmsg(m_readDb));
            if (rc != SQLITE_DONE)
                return false;
            break;
        }
        TrapRecords group;
        passing.clear();
        if (!match.isEmpty()) {
            const qint64 id = sqlite3_column_int64(candidates.get(), 0);
            bloomsOf.bind(1, id);
            if (bloomsOf.step() == SQLITE_ROW) {
                const auto *bits = static_cast<const char *>(sqlite3_column_blob(bloomsOf.get(), 0));
                for (qsizetype at = 0; at + kBloomBytes <= sqlite3_column_bytes(bloomsOf.get(), 0); at += kBloomBytes) {
                    TrapBloom trap;
                    memcpy(trap.data(), bits + at, kBloomBytes);
                    passing.push_back(covers(trap, wanted));
                }
            }
            bloomsOf.reset();
            if (std::find(passing.begin(), passing.end(), true) == passing.end())
                continue;
            byId.bind(1, id);
            if (byId.step() == SQLITE_ROW)
                group = groupAt(byId.get(), m_firstIdOfRun);
            byId.reset();
        } else {
            group = groupAt(candidates.get(), m_firstIdOfRun);
        }
        for (size_t i = group.size(); i-- > 0;) {
            tagTRAPRECORD *r = &group[i];
            if ((i < passing.size() && !passing[i]) || !query.matches(*r))
                continue;
            if (rows + rowsOf(*r) > qint64(maxRows) && !out->empty()) {
                *truncated = true;
                std::reverse(out->begin(), out->end());
                return m_latestTicket == ticket;
            }
            rows += rowsOf(*r);
            out->push_back(std::move(*r));
        }
    }
    std::reverse(out->begin(), out->end());
    return m_latestTicket == ticket;
}
