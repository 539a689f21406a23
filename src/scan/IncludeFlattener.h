#pragma once
// The text of a source with its include files put in place, for an outline of the whole
// unit: each {$I name} / {$INCLUDE name} / (*$I name*) in code is replaced by the lines of
// the file it names (found by TIncludeResolver), as if they stood there; the text before
// and after a directive in the middle of a line stays on lines of its own around them.
// Switches ({$I+}, {$I-}), compiler texts ({$I %DATE%}) and directives inside comments or
// strings are no includes.
//
// The source's own lines are all kept. Of an included file, the branches of {$IFDEF} /
// {$IFNDEF} that the text itself rules out are left out: a symbol that a {$DEFINE} or
// {$UNDEF} certainly met before decides them (such as the read_interface / read_implementation
// switches around the same file included twice); of the others, a branch that ends the unit
// with "end." is left out when it stands in an included file (the compiler would not go on
// after it). Includes in branches ruled out are not followed.
//
// An include that is not followed gives a note (TSourceMap::notes): its file is not found,
// cannot be read, is already being included (a cycle), lies more than kMaxDepth includes
// deep, or would take the text past the size limit. A file may be included any number of
// times one after the other.

#include "scan/ScanMessages.h"
#include "scan/SourceMap.h"

#include <cstddef>
#include <string>

struct TIncludeOptions {
    static constexpr int kMaxDepth = 16;
    // The include folders, searched after the including file's own folder, in order.
    TLines folders;
    // The most bytes the source and the files it includes may have together.
    std::size_t maxSourceBytes = std::size_t{64} << 20;
};

struct TFlatSource {
    TLines codes;
    TSourceMap map; // empty when the source includes nothing
};

// path: the source file (its folder is where its includes are looked for first); lines:
// its decoded text. Folders that do not exist are noted in log.
TFlatSource FlattenIncludes(const std::string& path, TLines lines, const TIncludeOptions& options,
                            IScanMessages& log);
