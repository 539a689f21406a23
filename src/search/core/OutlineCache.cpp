#include "search/core/OutlineCache.h"

#include "config/AppPaths.h"
#include "config/Debug.h"

#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <thread>
#include <sys/stat.h>

namespace {

// Raised by the schema's version mark; a database with another mark is made anew.
constexpr int kSchemaVersion = 2;
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS contexts("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " rules BLOB NOT NULL, indicator INTEGER NOT NULL, version TEXT NOT NULL,"
    " UNIQUE(rules, indicator, version));"
    "CREATE TABLE IF NOT EXISTS outlines("
    " path TEXT NOT NULL UNIQUE,"
    " size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL, inode INTEGER NOT NULL,"
    " context INTEGER NOT NULL, used INTEGER NOT NULL, outline BLOB NOT NULL,"
    " checksum INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS outlines_context ON outlines(context);";

struct TStatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using TStatement = std::unique_ptr<sqlite3_stmt, TStatementDeleter>;

std::string TextOf(sqlite3_stmt* statement, int column)
{
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
    return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
                 : std::string();
}

void BindText(sqlite3_stmt* statement, int index, std::string_view text)
{
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

void BindBlob(sqlite3_stmt* statement, int index, std::string_view bytes)
{
    sqlite3_bind_blob(statement, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
}

// The check value of an entry: 64-bit FNV-1a over its key, stamp, context and outline, so
// that a byte changed anywhere in a row (on the disk or by another program) is noticed.
std::int64_t Checksum(std::string_view path, const TFileStamp& stamp, std::int64_t context, std::string_view value)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    const auto add = [&hash](std::string_view bytes) {
        for (const char c : bytes) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 0x100000001b3u;
        }
    };
    const auto addNumber = [&add](std::int64_t number) {
        add(std::string_view(reinterpret_cast<const char*>(&number), sizeof number));
    };
    add(path);
    addNumber(stamp.size);
    addNumber(stamp.mtimeNs);
    addNumber(stamp.inode);
    addNumber(context);
    add(value);
    return static_cast<std::int64_t>(hash);
}

// Damage inside the database file: the file is of no use any more and is made anew.
bool IsDamage(int code)
{
    return (code & 0xFF) == SQLITE_CORRUPT || (code & 0xFF) == SQLITE_NOTADB;
}

} // namespace

std::string ProgramBuild()
{
    static const std::string build = [] {
        std::string text = QUILLANE_VERSION;
        if (const auto program = StampOf("/proc/self/exe"))
            text += " " + std::to_string(program->size) + " " + std::to_string(program->mtimeNs);
        return text;
    }();
    return build;
}

std::optional<TFileStamp> StampOf(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return TFileStamp{static_cast<std::int64_t>(info.st_size),
                      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                      static_cast<std::int64_t>(info.st_ino)};
}

std::string TOutlineCache::FileIn(const std::string& folder) { return folder + "outlines.sqlite"; }

TOutlineCache::TOutlineCache(std::string file, TAccess access, TDebug& log, TOptions options)
    : m_file(std::move(file)), m_log(log), m_options(std::move(options)), m_access(access)
{
    if (Open(access) && !SetUpSchema() && access == TAccess::ReadWrite && Damaged())
        Remake();
}

void TOutlineCache::Remake()
{
    if (m_access != TAccess::ReadWrite)
        return;
    Close();
    // A file that is no database, or a damaged one, is of no use to anyone: start anew.
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(m_file + suffix, ec);
    m_log.AddLine("note:OutlineCache;made anew;" + m_file);
    m_lastError = 0;
    m_pending.clear();
    m_pendingBytes = 0;
    if (Open(m_access))
        SetUpSchema();
}

bool TOutlineCache::Damaged() const { return IsDamage(m_lastError); }

TOutlineCache::~TOutlineCache() { Close(); }

void TOutlineCache::Close()
{
    m_hitsInTransaction = -1;
    sqlite3_finalize(m_find);
    m_find = nullptr;
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool TOutlineCache::Open(TAccess access)
{
    if (access == TAccess::ReadWrite && !MakeFolders(FolderOf(m_file))) {
        m_log.AddLine("error:OutlineCache;cannot make the folder of " + m_file);
        return false;
    }
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX |
                      (access == TAccess::ReadWrite ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(m_file.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        // A database the user may only read still answers lookups.
        if (access != TAccess::Read ||
            sqlite3_open_v2(m_file.c_str(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
                SQLITE_OK) {
            sqlite3_close_v2(m_db);
            m_db = nullptr;
            if (access == TAccess::ReadWrite)
                m_log.AddLine("error:OutlineCache;cannot open " + m_file);
            return false;
        }
    }
    sqlite3_busy_handler(m_db, &TOutlineCache::WaitWhileBusy, this);
    return true;
}

int TOutlineCache::WaitWhileBusy(void* cache, int tries)
{
    constexpr std::chrono::milliseconds kStep{5};
    const TOptions& options = static_cast<TOutlineCache*>(cache)->m_options;
    if (options.stop.stop_requested() || tries * kStep >= options.busyTimeout)
        return 0;
    std::this_thread::sleep_for(kStep);
    return 1;
}

bool TOutlineCache::SetUpSchema()
{
    TStatement statement;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA user_version", -1, &raw, nullptr) != SQLITE_OK) {
        Fail("reading the schema");
        return false;
    }
    statement.reset(raw);
    const int rc = sqlite3_step(raw);
    if (rc != SQLITE_ROW) {
        Fail("reading the schema", rc);
        return false;
    }
    const int version = sqlite3_column_int(raw, 0);
    statement.reset();
    if (m_access == TAccess::Read) {
        // Readers use what the writer of the run set up, or nothing.
        if (version != kSchemaVersion)
            Close();
        return m_db != nullptr;
    }
    // Both take effect only on a database still empty, before its journal becomes a WAL.
    // Pages hold a few outlines each, most of which are a few kilobytes.
    if (version == 0 && (!Exec("PRAGMA page_size=16384") || !Exec("PRAGMA auto_vacuum=INCREMENTAL")))
        return false;
    if (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=NORMAL") ||
        !Exec("PRAGMA journal_size_limit=4194304"))
        return false;
    if (version == kSchemaVersion)
        return true;
    if (!Exec("BEGIN IMMEDIATE"))
        return false;
    if (version != 0 && (!Exec("DROP TABLE IF EXISTS outlines") || !Exec("DROP TABLE IF EXISTS contexts")))
        return false;
    return Exec(kSchema) &&
           Exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str()) && Exec("COMMIT");
}

bool TOutlineCache::Exec(const char* sql)
{
    if (!m_db)
        return false;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        Fail(sql);
        return false;
    }
    return true;
}

void TOutlineCache::Fail(const char* what, int code)
{
    if (!m_db)
        return;
    // The connection's own code unless the call's code is known and the connection has
    // forgotten it (it then says "not an error").
    const int connection = sqlite3_errcode(m_db);
    m_lastError = code != SQLITE_OK && connection == SQLITE_OK ? code : connection;
    const char* message = m_lastError == connection ? sqlite3_errmsg(m_db) : sqlite3_errstr(m_lastError);
    m_log.AddLine(std::string("error:OutlineCache;") + what + ";" + message + ";" + m_file);
    Close();
    m_pending.clear();
    m_pendingBytes = 0;
}

std::int64_t TOutlineCache::Today() const
{
    using namespace std::chrono;
    return duration_cast<days>(system_clock::now().time_since_epoch()).count();
}

std::optional<std::int64_t> TOutlineCache::ContextId(const std::string& ruleBlockText, int commentIndicator)
{
    if (!m_db)
        return std::nullopt;
    // Runs a statement over the context's rules, indicator and version; a row it gives is
    // the context's id.
    std::int64_t id = 0;
    auto run = [&](const char* sql) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &raw, nullptr) != SQLITE_OK)
            return SQLITE_ERROR;
        TStatement statement(raw);
        BindBlob(raw, 1, ruleBlockText);
        sqlite3_bind_int(raw, 2, commentIndicator);
        BindText(raw, 3, m_options.version);
        const int rc = sqlite3_step(raw);
        if (rc == SQLITE_ROW)
            id = sqlite3_column_int64(raw, 0);
        return rc;
    };
    auto find = [&]() -> std::optional<std::int64_t> {
        const int rc = run("SELECT id FROM contexts WHERE rules=?1 AND indicator=?2 AND version=?3");
        if (rc == SQLITE_ROW)
            return id;
        if (rc != SQLITE_DONE)
            Fail("finding the scan context", rc);
        return std::nullopt;
    };
    if (auto found = find(); found || m_access == TAccess::Read || !m_db)
        return found;
    if (const int rc = run("INSERT OR IGNORE INTO contexts(rules, indicator, version) VALUES(?1, ?2, ?3)");
        rc != SQLITE_DONE) {
        Fail("adding the scan context", rc);
        return std::nullopt;
    }
    return find();
}

void TOutlineCache::EndRead()
{
    if (m_hitsInTransaction >= 0 && m_db)
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    m_hitsInTransaction = -1;
}

std::optional<TOutlineCache::THit> TOutlineCache::Find(const std::string& path, const TFileStamp& stamp,
                                                       std::int64_t context)
{
    // Hits come in runs on a warm search: one snapshot serves many of them. A miss ends it:
    // a scan follows, and a snapshot held through it would keep the log from being reused.
    constexpr int kHitsPerTransaction = 256;
    if (!m_db)
        return std::nullopt;
    if (m_access == TAccess::Read && m_hitsInTransaction < 0) {
        if (!Exec("BEGIN"))
            return std::nullopt;
        m_hitsInTransaction = 0;
    }
    auto hit = Lookup(path, stamp, context);
    if (!hit || ++m_hitsInTransaction >= kHitsPerTransaction)
        EndRead();
    return hit;
}

std::optional<TOutlineCache::THit> TOutlineCache::Lookup(const std::string& path, const TFileStamp& stamp,
                                                         std::int64_t context)
{
    if (!m_find && sqlite3_prepare_v3(m_db,
                                      "SELECT size, mtime_ns, inode, context, used, outline, checksum"
                                      " FROM outlines WHERE path=?1",
                                      -1, SQLITE_PREPARE_PERSISTENT, &m_find, nullptr) != SQLITE_OK) {
        Fail("looking up an outline");
        return std::nullopt;
    }
    sqlite3_stmt* raw = m_find;
    // Reset when done (unless a failure finalized it), so the connection holds no read
    // transaction between lookups.
    struct TResetAtEnd {
        sqlite3_stmt*& statement;
        ~TResetAtEnd()
        {
            if (statement)
                sqlite3_reset(statement);
        }
    } resetAtEnd{m_find};
    BindText(raw, 1, path);
    const int rc = sqlite3_step(raw);
    if (rc != SQLITE_ROW) {
        if (rc != SQLITE_DONE)
            Fail("looking up an outline", rc);
        return std::nullopt;
    }
    const TFileStamp stored{sqlite3_column_int64(raw, 0), sqlite3_column_int64(raw, 1),
                            sqlite3_column_int64(raw, 2)};
    if (stored != stamp || sqlite3_column_int64(raw, 3) != context)
        return std::nullopt;
    std::string value = TextOf(raw, 5);
    if (Checksum(path, stamp, context, value) != sqlite3_column_int64(raw, 6)) {
        // A miss: the scan that follows replaces the entry, or the search drops it.
        m_log.AddLine("error:OutlineCache;a stored outline does not match its checksum;" + path);
        return std::nullopt;
    }
    auto outline = TFileOutline::FromValue(std::move(value));
    if (!outline)
        return std::nullopt;
    return THit{std::move(*outline), sqlite3_column_int64(raw, 4) < Today()};
}

void TOutlineCache::Store(const std::string& path, const TFileStamp& stamp, std::int64_t context,
                          std::string value)
{
    if (!m_db || m_access != TAccess::ReadWrite || value.size() > kMaxValueBytes)
        return;
    TPending& pending =
        m_pending.emplace_back(TPending{TPending::TKind::Store, path, stamp, context, std::move(value)});
    m_pendingBytes += pending.path.size() + pending.value.size();
}

void TOutlineCache::Touch(const std::string& path)
{
    if (m_db && m_access == TAccess::ReadWrite)
        m_pending.push_back({TPending::TKind::Touch, path, {}, 0, {}});
}

void TOutlineCache::Drop(const std::string& path)
{
    if (m_db && m_access == TAccess::ReadWrite)
        m_pending.push_back({TPending::TKind::Drop, path, {}, 0, {}});
}

void TOutlineCache::Flush()
{
    if (!m_db || m_pending.empty())
        return;
    const char* sql[] = {
        ("INSERT OR REPLACE INTO outlines(path, size, mtime_ns, inode, context, used, outline, checksum)"
         " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"),
        "UPDATE outlines SET used=?6 WHERE path=?1",
        "DELETE FROM outlines WHERE path=?1",
    };
    TStatement statements[3];
    for (int i = 0; i < 3; ++i) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(m_db, sql[i], -1, &raw, nullptr) != SQLITE_OK) {
            Fail("writing outlines");
            return;
        }
        statements[i].reset(raw);
    }
    if (!Exec("BEGIN IMMEDIATE"))
        return;
    const std::int64_t today = Today();
    for (const auto& pending : m_pending) {
        sqlite3_stmt* statement = statements[static_cast<int>(pending.kind)].get();
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        BindText(statement, 1, pending.path);
        if (pending.kind == TPending::TKind::Store) {
            sqlite3_bind_int64(statement, 2, pending.stamp.size);
            sqlite3_bind_int64(statement, 3, pending.stamp.mtimeNs);
            sqlite3_bind_int64(statement, 4, pending.stamp.inode);
            sqlite3_bind_int64(statement, 5, pending.context);
            BindBlob(statement, 7, pending.value);
            sqlite3_bind_int64(statement, 8, Checksum(pending.path, pending.stamp, pending.context, pending.value));
        }
        if (pending.kind != TPending::TKind::Drop)
            sqlite3_bind_int64(statement, 6, today);
        if (const int rc = sqlite3_step(statement); rc != SQLITE_DONE) {
            // Closing the connection rolls the transaction back.
            for (auto& prepared : statements)
                prepared.reset();
            Fail("writing outlines", rc);
            return;
        }
    }
    for (auto& statement : statements)
        statement.reset();
    if (Exec("COMMIT")) {
        m_pending.clear();
        m_pendingBytes = 0;
    }
}

void TOutlineCache::DropVanished(const std::string& folder, const std::unordered_set<std::string>& present)
{
    if (!m_db || m_access != TAccess::ReadWrite || folder.empty() || folder.back() != '/')
        return;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT path FROM outlines WHERE path >= ?1 AND path < ?2", -1, &raw,
                           nullptr) != SQLITE_OK) {
        Fail("finding vanished files");
        return;
    }
    TStatement statement(raw);
    // Every path that begins with folder sorts between folder and folder with its "/"
    // made the next character, "0".
    const std::string end = folder.substr(0, folder.size() - 1) + '0';
    BindText(raw, 1, folder);
    BindText(raw, 2, end);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        std::string path = TextOf(raw, 0);
        if (!present.contains(path) && !StampOf(path))
            Drop(path);
    }
    if (rc != SQLITE_DONE) {
        Fail("finding vanished files", rc);
        return;
    }
    statement.reset();
    Flush();
}

void TOutlineCache::Trim()
{
    if (!m_db || m_access != TAccess::ReadWrite)
        return;
    auto number = [&](const char* sql) -> std::int64_t {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &raw, nullptr) != SQLITE_OK) {
            Fail(sql);
            return 0;
        }
        TStatement statement(raw);
        if (sqlite3_step(raw) != SQLITE_ROW) {
            Fail(sql);
            return 0;
        }
        return sqlite3_column_int64(raw, 0);
    };
    const std::int64_t pageSize = number("PRAGMA page_size");
    const std::int64_t used = (number("PRAGMA page_count") - number("PRAGMA freelist_count")) * pageSize;
    if (!m_db)
        return;
    if (used > m_options.capBytes) {
        // Down to three quarters of the cap, so that the next runs do not trim again at once.
        const std::int64_t entries = number("SELECT COUNT(*) FROM outlines");
        const std::int64_t target = m_options.capBytes / 4 * 3;
        const std::int64_t drop = entries * (used - target) / used + 1;
        const std::string deleteOldest =
            "DELETE FROM outlines WHERE rowid IN"
            " (SELECT rowid FROM outlines ORDER BY used, rowid LIMIT " + std::to_string(drop) + ")";
        if (!Exec("BEGIN IMMEDIATE") || !Exec(deleteOldest.c_str()) || !Exec("COMMIT"))
            return;
    }
    Exec("DELETE FROM contexts WHERE NOT EXISTS (SELECT 1 FROM outlines WHERE context = contexts.id)");
    if (used > m_options.capBytes)
        Exec("PRAGMA incremental_vacuum");
}

std::size_t TOutlineCache::EntryCount()
{
    if (!m_db)
        return 0;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT COUNT(*) FROM outlines", -1, &raw, nullptr) != SQLITE_OK)
        return 0;
    TStatement statement(raw);
    return sqlite3_step(raw) == SQLITE_ROW ? static_cast<std::size_t>(sqlite3_column_int64(raw, 0)) : 0;
}
