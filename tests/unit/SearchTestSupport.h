#pragma once
// The search tests' fixture: a temporary folder tree of sources, the search test rules,
// and a sink that records what a run hands over.

#include "TempPath.h"
#include "config/Config.h"
#include "config/Debug.h"
#include "scan/StructureTexts.h"
#include "search/core/Search.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>

// Found by argument-dependent lookup, so it stands beside TSearchRow.
inline void PrintTo(const TSearchRow& r, std::ostream* os)
{
    *os << "{" << r.file.substr(r.file.rfind('/') + 1) << " | " << r.line << " | " << r.declaration
        << " | " << r.comment << " | " << r.type << "}";
}

class TRecordingSink : public ISearchSink {
public:
    void AddResult(const TSearchRow& row) override
    {
        rows.push_back(row);
        if (afterRow)
            afterRow(rows.size());
    }
    void ShowProgress(const TSearchProgress& p) override
    {
        progress.push_back(p);
        progressTimes.push_back(std::chrono::steady_clock::now());
        if (afterProgress)
            afterProgress(p);
    }

    std::vector<TSearchRow> rows;
    std::vector<TSearchProgress> progress;
    std::vector<std::chrono::steady_clock::time_point> progressTimes; // when each report came
    std::function<void(std::size_t)> afterRow;
    std::function<void(const TSearchProgress&)> afterProgress;
};

class TSearchFixture : public ::testing::Test {
public:
    static constexpr const char* kTypePas = "*.pas  [pascal]";
    static constexpr const char* kTypeDpr = "*.dpr  [pascal]";

protected:
    void SetUp() override
    {
        m_root = std::filesystem::temp_directory_path() /
                 ("quillane_search_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                  std::to_string(::getpid()));
        std::filesystem::remove_all(m_root);
        std::filesystem::create_directories(m_root);
        m_rules.LoadFromFile(std::string(QUILLANE_TEST_DATA) + "/search/rules.dll");
        ASSERT_FALSE(m_rules.Section("VAR").empty());
        m_log.SetAutoSave(false);
    }
    void TearDown() override { std::filesystem::remove_all(m_root); }

    std::string Path(const std::string& relative) const { return (m_root / relative).string(); }

    std::string Write(const std::string& relative, const std::string& content)
    {
        const std::string path = Path(relative);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    // A search of the whole tree for Pascal units.
    TSearchRequest Request(const std::string& keyword, unsigned fields = TSearchChoices::All) const
    {
        TSearchRequest request;
        request.keyword = keyword;
        request.folders = {m_root.string()};
        request.fileTypes = {kTypePas};
        request.choices = std::make_shared<TSearchChoices>(fields);
        return request;
    }

    TSearchSummary Run(const TSearchRequest& request, TRecordingSink& sink, std::stop_token stop = {})
    {
        return RunSearch(request, m_rules, m_config, m_log, stop, sink);
    }

    std::filesystem::path m_root;
    TStructureTexts m_rules;
    TConfig m_config;
    TDebug m_log{TestTempPath("quillane_search_test.TXT")};
};
