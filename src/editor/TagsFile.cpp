#include "editor/TagsFile.h"

#include "editor/OutlineSymbols.h"
#include "scan/SourceText.h"

#include <algorithm>
#include <filesystem>
#include <numeric>

namespace {

constexpr std::size_t kBlockBytes = 1u << 20;

// Writes what is gathered in large pieces.
class TChunkWriter {
public:
    explicit TChunkWriter(std::ostream& out) : m_out(out) { m_chunk.reserve(kBlockBytes); }
    ~TChunkWriter() { Flush(); }

    std::string& Text() { return m_chunk; }
    void Written()
    {
        if (m_chunk.size() >= kBlockBytes / 2)
            Flush();
    }
    void Flush()
    {
        m_out.write(m_chunk.data(), static_cast<std::streamsize>(m_chunk.size()));
        m_chunk.clear();
    }

private:
    std::ostream& m_out;
    std::string m_chunk;
};

} // namespace

TTagsCollector::TTagsCollector(TFormat format, std::string relativeTo)
    : m_format(format), m_relativeTo(std::move(relativeTo))
{
}

std::string TTagsCollector::PathInTags(const std::string& path) const
{
    const std::filesystem::path source(path);
    if (m_relativeTo.empty() || source.is_absolute())
        return path;
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(source, ec);
    const auto folder = std::filesystem::absolute(m_relativeTo, ec);
    if (ec)
        return path;
    return absolute.lexically_normal().lexically_relative(folder.lexically_normal()).generic_string();
}

std::string_view TTagsCollector::Name(const TTag& tag) const
{
    return std::string_view(m_blocks[tag.block]).substr(tag.offset, tag.nameSize);
}

std::string_view TTagsCollector::Scope(const TTag& tag) const
{
    return std::string_view(m_blocks[tag.block]).substr(tag.offset + tag.nameSize, tag.scopeSize);
}

void TTagsCollector::AddOutline(const std::string& path, const TFileOutline& outline)
{
    const auto file = static_cast<std::uint32_t>(m_files.size());
    m_files.push_back({path, PathInTags(path), m_tags.size()});
    VisitIndexSymbols(outline, {}, [&](const TIndexSymbol& symbol) {
        const std::size_t size = symbol.name.size() + symbol.scope.size();
        if (m_blocks.empty() || m_blocks.back().size() + size > m_blocks.back().capacity())
            m_blocks.emplace_back().reserve(std::max(kBlockBytes, size));
        std::string& text = m_blocks.back();
        const std::size_t offset = text.size();
        text.append(symbol.name).append(symbol.scope);
        std::uint64_t key = 0;
        for (std::size_t i = 0; i < 8; ++i)
            key = key << 8 | (i < symbol.name.size() ? static_cast<unsigned char>(symbol.name[i]) : 0u);
        m_tags.push_back({key, file, static_cast<std::uint32_t>(std::max(symbol.line, 0)),
                          static_cast<std::uint32_t>(m_blocks.size() - 1), static_cast<std::uint32_t>(offset),
                          static_cast<std::uint32_t>(symbol.name.size()), static_cast<std::uint32_t>(symbol.scope.size()),
                          symbol.kind, symbol.scopeKind});
    });
}

void TTagsCollector::Write(std::ostream& out)
{
    if (m_format == TFormat::Ctags)
        WriteCtags(out);
    else
        WriteEtags(out);
}

void TTagsCollector::WriteCtags(std::ostream& out)
{
    out << "!_TAG_FILE_FORMAT\t2\t/extended format; --format=1 will not append ;\" to lines/\n"
           "!_TAG_FILE_SORTED\t1\t/0=unsorted, 1=sorted, 2=foldcase/\n"
           "!_TAG_FILE_ENCODING\tutf-8\t//\n";
    for (const TTagKind& kind : TagKinds())
        out << "!_TAG_KIND_DESCRIPTION!Pascal\t" << kind.letter << ',' << kind.name << '\t' << '/'
            << kind.description << "/\n";
    out << "!_TAG_OUTPUT_EXCMD\tnumber\t/number, pattern, mixed, or combineV2/\n"
           "!_TAG_OUTPUT_FILESEP\tslash\t/slash or backslash/\n"
           "!_TAG_OUTPUT_MODE\tu-ctags\t/u-ctags or e-ctags/\n"
           "!_TAG_PROGRAM_NAME\tQuillane\t//\n"
           "!_TAG_PROGRAM_VERSION\t"
        << QUILLANE_VERSION << "\t//\n";

    // By name in byte order (what readers search by), then by file and line.
    std::vector<std::uint32_t> fileRank(m_files.size());
    {
        std::vector<std::uint32_t> order(m_files.size());
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(),
                  [this](std::uint32_t a, std::uint32_t b) { return m_files[a].path < m_files[b].path; });
        for (std::uint32_t rank = 0; rank < order.size(); ++rank)
            fileRank[order[rank]] = rank;
    }
    std::sort(m_tags.begin(), m_tags.end(), [&](const TTag& a, const TTag& b) {
        if (a.key != b.key)
            return a.key < b.key;
        if (const int names = Name(a).compare(Name(b)); names != 0)
            return names < 0;
        return fileRank[a.file] != fileRank[b.file] ? fileRank[a.file] < fileRank[b.file] : a.line < b.line;
    });
    TChunkWriter writer(out);
    for (const TTag& tag : m_tags) {
        const std::string line = std::to_string(tag.line);
        std::string& text = writer.Text();
        text.append(Name(tag)).append(1, '\t').append(m_files[tag.file].path).append(1, '\t').append(line);
        text.append(";\"\tkind:").append(1, TagKindOf(tag.kind).letter).append("\tline:").append(line);
        if (tag.scopeSize > 0)
            text.append(1, '\t').append(TagKindOf(tag.scopeKind).name).append(1, ':').append(Scope(tag));
        text += '\n';
        writer.Written();
    }
}

void TTagsCollector::WriteEtags(std::ostream& out) const
{
    for (std::size_t f = 0; f < m_files.size(); ++f) {
        const std::size_t end = f + 1 < m_files.size() ? m_files[f + 1].firstTag : m_tags.size();
        // A tag's text is its line up to the end of its name: Emacs finds the tag by it,
        // beginning at the tag's line.
        const TLines lines = LoadSourceLines(m_files[f].sourcePath).value_or(TLines());
        std::string section;
        for (std::size_t t = m_files[f].firstTag; t < end; ++t) {
            const std::string name(Name(m_tags[t]));
            const std::uint32_t line = m_tags[t].line;
            std::string text;
            if (line >= 1 && line <= lines.size()) {
                const std::string& source = lines[line - 1];
                const std::size_t at = LowerCase(source).find(LowerCase(name));
                text = at == std::string::npos ? source : source.substr(0, at + name.size());
            }
            std::replace(text.begin(), text.end(), '\x7f', ' ');
            section.append(text).append(1, '\x7f').append(name).append(1, '\x01');
            section.append(std::to_string(line)).append(",\n");
        }
        out << "\x0c\n" << m_files[f].path << ',' << section.size() << '\n' << section;
    }
}
