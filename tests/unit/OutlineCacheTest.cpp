#include "search/core/OutlineCache.h"

#include "SearchTestSupport.h"
#include "config/SettingsKeys.h"

#include <sqlite3.h>

#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 12;

// A tree of units whose entries carry comments on the lines above them, so that the rules
// and the comment indicator both change the rows; runs with and without the cache.
class OutlineCache : public TSearchFixture {
protected:
    void SetUp() override
    {
        TSearchFixture::SetUp();
        for (int i = 0; i < kFiles; ++i)
            Write(Name(i), Unit(i, "key"));
        m_cacheFile = Path("cache/quillane/outlines.sqlite");
        TLines changed = m_rules.Lines();
        for (auto& line : changed)
            if (line == "T=procedure")
                line = "T=routine";
        m_otherRules.LoadFromList(changed);
    }

    static std::string Name(int i) { return "sub" + std::to_string(i % 3) + "/u" + std::to_string(i) + ".pas"; }
    static std::string Unit(int i, const std::string& word)
    {
        return "// " + word + " unit " + std::to_string(i) + "\n// about " + word + "\nprocedure " + word +
               "A; // " + word + " a\n// above b\nprocedure " + word + "B;\ntype T" + word + "\n";
    }

    TSearchRequest CachedRequest() const
    {
        TSearchRequest request = Request("key");
        request.cacheFile = m_cacheFile;
        return request;
    }

    // The rows with the cache, after checking them against a run without it.
    std::vector<TSearchRow> RunBoth(const TSearchRequest& request, TSearchSummary& summary)
    {
        TRecordingSink cached, scanned;
        summary = RunSearch(request, *m_activeRules, m_config, m_log, {}, cached);
        TSearchRequest uncached = request;
        uncached.cacheFile.clear();
        RunSearch(uncached, *m_activeRules, m_config, m_log, {}, scanned);
        EXPECT_EQ(cached.rows, scanned.rows);
        EXPECT_FALSE(scanned.rows.empty());
        return cached.rows;
    }

    std::size_t Entries()
    {
        TOutlineCache cache(m_cacheFile, TOutlineCache::TAccess::ReadWrite, m_log);
        return cache.EntryCount();
    }

    std::string m_cacheFile;
    TStructureTexts m_otherRules;
    const TStructureTexts* m_activeRules = &m_rules;
};

TEST_F(OutlineCache, ResultsEqualThoseOfAScan)
{
    struct Step {
        const char* name;
        std::function<void()> change;
        std::size_t fromCache;
        std::size_t entries;
    };
    const Step steps[] = {
        {"the first search scans every file", [] {}, 0, kFiles},
        {"a second search takes every file from the cache", [] {}, kFiles, kFiles},
        {"a file with a new size is scanned again",
         [&] { Write(Name(3), Unit(3, "key") + "procedure keyC;\n"); }, kFiles - 1, kFiles},
        {"a file of the same size with a new time is scanned again",
         [&] {
             const auto time = fs::last_write_time(Path(Name(4)));
             Write(Name(4), Unit(4, "kez"));
             fs::last_write_time(Path(Name(4)), time + std::chrono::seconds(1));
         },
         kFiles - 1, kFiles},
        {"a file replaced by another of the same size and time is scanned again",
         [&] {
             const auto time = fs::last_write_time(Path(Name(5)));
             Write("new.tmp", Unit(5, "yek"));
             fs::last_write_time(Path("new.tmp"), time);
             fs::rename(Path("new.tmp"), Path(Name(5)));
         },
         kFiles - 1, kFiles},
        {"a deleted file's entry is dropped", [&] { fs::remove(Path(Name(6))); }, kFiles - 1, kFiles - 1},
        {"changed rules scan every file again", [&] { m_activeRules = &m_otherRules; }, 0, kFiles - 1},
        {"a changed comment indicator scans every file again",
         [&] { m_config.WriteInteger(kCmtIndicator, -1); }, 0, kFiles - 1},
        {"and the next search is warm again", [] {}, kFiles - 1, kFiles - 1},
    };
    std::vector<TSearchRow> previous;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        TSearchSummary summary;
        const auto rows = RunBoth(CachedRequest(), summary);
        EXPECT_EQ(summary.filesFromCache, step.fromCache);
        EXPECT_EQ(Entries(), step.entries);
        if (step.fromCache == 0 && !previous.empty()) {
            EXPECT_NE(rows, previous) << "the change must show in the rows";
        }
        previous = rows;
    }
}

// Runs a search while another connection holds the database locked.
class TLockingConnection {
public:
    explicit TLockingConnection(const std::string& file)
    {
        sqlite3_open(file.c_str(), &m_db);
        sqlite3_exec(m_db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; SELECT COUNT(*) FROM outlines;",
                     nullptr, nullptr, nullptr);
    }
    ~TLockingConnection()
    {
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
    }

private:
    sqlite3* m_db = nullptr;
};

// Overwrites the database file's pages from page first on (from 1) with 0xFF bytes: the
// outlines table's pages, or every page but the first.
void DamagePages(const std::string& file, bool outlinesOnly)
{
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT (SELECT rootpage FROM sqlite_master WHERE name = 'outlines'),"
                           " (SELECT page_size FROM pragma_page_size), (SELECT page_count FROM pragma_page_count)",
                       -1, &statement, nullptr);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    const std::int64_t root = sqlite3_column_int64(statement, 0);
    const std::int64_t pageSize = sqlite3_column_int64(statement, 1);
    const std::int64_t pages = sqlite3_column_int64(statement, 2);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
    const std::int64_t first = outlinesOnly ? root : 2;
    const std::int64_t end = outlinesOnly ? root + 1 : pages + 1;
    for (std::int64_t page = first; page < end; ++page) {
        out.seekp((page - 1) * pageSize);
        out << std::string(static_cast<std::size_t>(pageSize), '\xFF');
    }
}

TEST_F(OutlineCache, AnUnusableCacheNeverFailsASearch)
{
    struct Case {
        const char* name;
        std::function<void()> spoil;
        bool lockWhileSearching;
        std::size_t fromCacheAfterwards; // in a search that follows, the cache being free again
        std::size_t fromCacheLater = kFiles; // in the search after that
    };
    const Case cases[] = {
        {"its folder cannot be made",
         [&] {
             fs::remove_all(Path("cache"));
             Write("cache", "a file where the folder should be");
         },
         false, 0, 0},
        {"it is no database", [&] { Write("cache/quillane/outlines.sqlite", std::string(5000, 'x')); }, false,
         kFiles},
        {"it is locked by another program", [] {}, true, kFiles},
        {"its values are damaged",
         [&] {
             sqlite3* db = nullptr;
             sqlite3_open(m_cacheFile.c_str(), &db);
             sqlite3_exec(db, "UPDATE outlines SET outline = x'01ff'", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         },
         false, kFiles},
        // The same length, so the outline still reads: only the checksum tells.
        {"a byte of its outlines is changed",
         [&] {
             sqlite3* db = nullptr;
             sqlite3_open(m_cacheFile.c_str(), &db);
             sqlite3_exec(db, "UPDATE outlines SET outline = CAST(replace(CAST(outline AS TEXT), 'keyA', 'kexA') AS BLOB)",
                          nullptr, nullptr, nullptr);
             sqlite3_close(db);
         },
         false, kFiles},
        // Found damaged by the search's readers; the file is made anew after the search, so
        // the next search fills it and the one after that takes every file from it.
        {"a page of its outlines is damaged", [&] { DamagePages(m_cacheFile, true); }, false, 0},
        {"every page but the first is damaged", [&] { DamagePages(m_cacheFile, false); }, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Path("cache"));
        TSearchSummary summary;
        RunBoth(CachedRequest(), summary); // fills the cache
        c.spoil();
        {
            std::optional<TLockingConnection> lock;
            if (c.lockWhileSearching)
                lock.emplace(m_cacheFile);
            RunBoth(CachedRequest(), summary);
            EXPECT_EQ(summary.filesFromCache, 0u);
        }
        RunBoth(CachedRequest(), summary);
        EXPECT_EQ(summary.filesFromCache, c.fromCacheAfterwards);
        RunBoth(CachedRequest(), summary);
        EXPECT_EQ(summary.filesFromCache, c.fromCacheAfterwards ? c.fromCacheAfterwards : c.fromCacheLater);
    }
    for (const auto& line : m_log.Lines())
        EXPECT_EQ(line.find("not an error"), std::string::npos) << line;
}

TEST_F(OutlineCache, TwoSearchesAtOnceShareIt)
{
    for (const char* pass : {"cold", "warm"}) {
        SCOPED_TRACE(pass);
        TRecordingSink one, two;
        std::jthread other([&] { RunSearch(CachedRequest(), m_rules, m_config, m_log, {}, one); });
        RunSearch(CachedRequest(), m_rules, m_config, m_log, {}, two);
        other.join();
        TRecordingSink scanned;
        Run(Request("key"), scanned);
        EXPECT_EQ(one.rows, scanned.rows);
        EXPECT_EQ(two.rows, scanned.rows);
    }
    EXPECT_EQ(Entries(), static_cast<std::size_t>(kFiles));
}

TEST_F(OutlineCache, KeepsUnderItsSizeCapDroppingTheOldest)
{
    TOutlineCache::TOptions options;
    options.capBytes = 256 << 10;
    TOutlineCache cache(m_cacheFile, TOutlineCache::TAccess::ReadWrite, m_log, options);
    const auto context = cache.ContextId("rules", 0);
    ASSERT_TRUE(context);
    TLines results;
    for (int i = 0; i < 40; ++i)
        results.insert(results.end(), {"[LINE]1[ICON]1[LEVEL]1", "procedure", "Declaration " + std::to_string(i),
                                       std::string(60, 'c')});
    const std::string value = TFileOutline::FromResults(results, {}).Value();
    const int count = 400; // about 3 KB each, several times the cap
    for (int i = 0; i < count; ++i) {
        cache.Store("/f" + std::to_string(i), {i, 0, 0}, *context, value);
        cache.Flush();
    }
    cache.Trim();
    const std::size_t kept = cache.EntryCount();
    EXPECT_GT(kept, 0u);
    EXPECT_LT(kept, static_cast<std::size_t>(count) / 2);
    EXPECT_FALSE(cache.Find("/f0", {0, 0, 0}, *context)) << "the oldest entry went first";
    EXPECT_TRUE(cache.Find("/f" + std::to_string(count - 1), {count - 1, 0, 0}, *context));
}

TEST_F(OutlineCache, ScanContextsDifferByRulesIndicatorAndVersion)
{
    TOutlineCache::TOptions next;
    next.version = "next";
    TOutlineCache cache(m_cacheFile, TOutlineCache::TAccess::ReadWrite, m_log);
    TOutlineCache nextVersion(m_cacheFile, TOutlineCache::TAccess::ReadWrite, m_log, next);
    const auto first = cache.ContextId("rules", 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(cache.ContextId("rules", 0), first);
    EXPECT_NE(cache.ContextId("rules ", 0), first);
    EXPECT_NE(cache.ContextId("rules", 1), first);
    EXPECT_NE(nextVersion.ContextId("rules", 0), first);
    TOutlineCache reader(m_cacheFile, TOutlineCache::TAccess::Read, m_log);
    EXPECT_EQ(reader.ContextId("rules", 0), first);
    EXPECT_FALSE(reader.ContextId("unknown rules", 0)) << "a reader adds nothing";
}

TEST(FileOutline, ReadsBackWhatItWasMadeOfAndRefusesDamage)
{
    const TLines title = {"// title", "", std::string(300, 't')};
    const TLines results = {"[LINE]12[ICON]1[LEVEL]2", "procedure", "Größe", "",
                            "[ICON]3", "type", "", std::string(70000, 'x'),
                            "[LINE]7[ICON]1[LEVEL]1", "procedure", "B", "// b"};
    const TFileOutline outline = TFileOutline::FromResults(results, title);
    TLines readTitle, readEntries;
    std::vector<int> levels;
    outline.VisitTitle([&](std::size_t i, std::string_view line) {
        EXPECT_EQ(i, readTitle.size());
        readTitle.emplace_back(line);
        return true;
    });
    outline.VisitEntries([&](const TFileOutline::TEntry& e) {
        readEntries.insert(readEntries.end(), {std::string(e.line), std::string(e.type), std::string(e.declaration),
                                               std::string(e.comment)});
        levels.push_back(e.level);
        return true;
    });
    EXPECT_EQ(readTitle, title);
    EXPECT_EQ(readEntries, (TLines{"12", "procedure", "Größe", "", "", "type", "", std::string(70000, 'x'), "7",
                                   "procedure", "B", "// b"}));
    EXPECT_EQ(levels, (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(outline.EntryCount(), 3u);
    EXPECT_EQ(TFileOutline::FromValue(outline.Value()), outline);
    EXPECT_EQ(TFileOutline::FromValue(TFileOutline().Value()), TFileOutline::FromResults({}, {}));

    // Every shortened value, one with bytes after its end, and one of another format are damaged.
    const std::string& value = outline.Value();
    for (std::size_t size = 0; size < value.size(); size += 1 + size / 64)
        EXPECT_FALSE(TFileOutline::FromValue(value.substr(0, size))) << size;
    EXPECT_FALSE(TFileOutline::FromValue(value + "x"));
    EXPECT_FALSE(TFileOutline::FromValue("\x01" + value.substr(1)));
}

} // namespace
