#pragma once
// The outline cache: what a search needs of each scanned file, kept in an SQLite
// database between runs, so that a file that has not changed needs no new scan. An
// entry is keyed by the file's absolute path and is valid only while the file's size,
// modification time and inode and the scan context (rule block text, comment indicator,
// program version and build) are those it was stored with.
//
// One object is one connection, used by one thread at a time; several connections, in
// this program or in others, may use one database at once (WAL journal, busy timeout).
// The cache never fails its user: a database that cannot be opened, is locked too long,
// is corrupt or cannot be written makes lookups miss and writes do nothing, noted once in
// the trace log. Each entry carries a checksum; an entry that does not match it is a miss.

#include "search/core/FileOutline.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <unordered_set>

class TDebug;
struct sqlite3;
struct sqlite3_stmt;

// One version of a file, as the file system describes it.
struct TFileStamp {
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0; // modification time, nanoseconds since the epoch
    std::int64_t inode = 0;

    bool operator==(const TFileStamp&) const = default;
};

// The program's version and, so that a rebuilt program never trusts what an earlier
// build stored, the size and time of its executable.
std::string ProgramBuild();

// The stamp of the file path names (links followed); none when it cannot be examined.
std::optional<TFileStamp> StampOf(const std::string& path);

class TOutlineCache {
public:
    enum class TAccess {
        Read,     // lookups only
        ReadWrite // lookups and writes; creates the database (and its folder) when missing
    };
    struct TOptions {
        std::string version = ProgramBuild();
        // Above this size (of the database's used pages) Trim drops the entries used
        // longest ago.
        std::int64_t capBytes = 256ll << 20;
        // How long to wait for a database another connection holds locked; a stop
        // request ends the wait.
        std::chrono::milliseconds busyTimeout{1000};
        std::stop_token stop;
    };
    struct THit {
        TFileOutline outline;
        bool stale = false; // last used on an earlier day: worth a Touch
    };

    // The database file in a cache folder (ending with "/").
    static std::string FileIn(const std::string& folder);

    TOutlineCache(std::string file, TAccess access, TDebug& log, TOptions options);
    TOutlineCache(std::string file, TAccess access, TDebug& log) : TOutlineCache(std::move(file), access, log, TOptions()) {}
    ~TOutlineCache();
    TOutlineCache(const TOutlineCache&) = delete;
    TOutlineCache& operator=(const TOutlineCache&) = delete;

    // False once the connection failed: from then on it does nothing.
    bool Usable() const { return m_db != nullptr; }
    // True when the connection failed on damage inside the database file.
    bool Damaged() const;
    // ReadWrite only: deletes the database file and makes it anew, empty. For a damaged
    // database, once no connection of this process uses it any more.
    void Remake();

    // The id of a scan context; a ReadWrite connection adds it when it is new. None when
    // it is unknown and cannot be added.
    std::optional<std::int64_t> ContextId(const std::string& ruleBlockText, int commentIndicator);
    // The stored outline of the file at path (absolute) when stamp and context match.
    std::optional<THit> Find(const std::string& path, const TFileStamp& stamp, std::int64_t context);

    // Writes (ReadWrite only). They are held and written in one transaction by Flush, so
    // the database is locked only briefly.
    // value: the Value of the file's outline.
    void Store(const std::string& path, const TFileStamp& stamp, std::int64_t context, std::string value);
    void Touch(const std::string& path);
    void Drop(const std::string& path);
    // Bytes and count of the writes held.
    std::size_t PendingBytes() const { return m_pendingBytes; }
    std::size_t PendingCount() const { return m_pending.size(); }
    void Flush();

    // Drops the entries under folder (absolute, ending with "/") whose files are not in
    // present and no longer exist.
    void DropVanished(const std::string& folder, const std::unordered_set<std::string>& present);
    // Keeps the database under the size cap: drops the entries used longest ago, and the
    // scan contexts no entry refers to any more.
    void Trim();

    std::size_t EntryCount();

private:
    struct TPending {
        enum class TKind { Store, Touch, Drop } kind;
        std::string path;
        TFileStamp stamp;
        std::int64_t context = 0;
        std::string value;
    };
    // Outlines larger than this are not kept (an SQLite value holds at most 1 GB).
    static constexpr std::size_t kMaxValueBytes = 64u << 20;

    bool Open(TAccess access);
    bool SetUpSchema();
    // Runs SQL without results; false (and the connection given up) on failure.
    bool Exec(const char* sql);
    // code: the result code of the call that failed, when known.
    void Fail(const char* what, int code = 0);
    void Close();
    // SQLite's busy handler: 0 gives up, anything else tries again.
    static int WaitWhileBusy(void* cache, int tries);
    void EndRead();
    std::optional<THit> Lookup(const std::string& path, const TFileStamp& stamp, std::int64_t context);
    std::int64_t Today() const;

    std::string m_file;
    TDebug& m_log;
    TOptions m_options;
    TAccess m_access;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_find = nullptr; // the lookup, prepared once
    // A reader keeps one read transaction over a run of hits, not one per lookup.
    int m_hitsInTransaction = -1;   // -1: none open
    int m_lastError = 0;            // the result code of the failure that gave the connection up
    std::vector<TPending> m_pending;
    std::size_t m_pendingBytes = 0;
};
