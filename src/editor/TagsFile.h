#pragma once
// Tags files of outlines: the format universal-ctags writes (a header of "!_TAG_" lines,
// then one line per tag, sorted by name, with the ex command a line number and the
// extended fields kind:, line: and the scope of members, such as class:TStack), and the
// etags format Emacs reads (-e). Made from whole outlines, as the search hands them over
// from its outline cache; every entry that declares something is a tag, named without
// its qualifier (TStack.Push is the tag Push with the scope class:TStack).

#include "editor/SymbolKinds.h"
#include "search/core/Search.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class TTagsCollector : public ISearchSink {
public:
    enum class TFormat { Ctags, Etags };
    // Paths are written relative to relativeTo (a folder) when it is not empty and they
    // are relative themselves; absolute paths stay absolute.
    TTagsCollector(TFormat format, std::string relativeTo);

    void AddResult(const TSearchRow&) override {}
    void ShowProgress(const TSearchProgress&) override {}
    void AddOutline(const std::string& path, const TFileOutline& outline) override;

    std::size_t TagCount() const { return m_tags.size(); }
    // Writes the whole file (sorting the tags first for ctags).
    void Write(std::ostream& out);

private:
    struct TFile {
        std::string sourcePath; // for reading its lines
        std::string path;       // as written
        std::size_t firstTag;
    };
    // A tag's name and scope lie one after the other in m_blocks.
    struct TTag {
        std::uint64_t key; // the name's first eight bytes, for sorting
        std::uint32_t file;
        std::uint32_t line;
        std::uint32_t block;
        std::uint32_t offset;
        std::uint32_t nameSize;
        std::uint32_t scopeSize;
        TSymbolKind kind;
        TSymbolKind scopeKind;
    };

    std::string_view Name(const TTag& tag) const;
    std::string_view Scope(const TTag& tag) const;
    std::string PathInTags(const std::string& path) const;
    void WriteCtags(std::ostream& out);
    void WriteEtags(std::ostream& out) const;

    TFormat m_format;
    std::string m_relativeTo;
    std::vector<TFile> m_files;
    std::vector<TTag> m_tags;
    std::vector<std::string> m_blocks; // texts in blocks that never move
};
