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
// switches around the same file included twice), and a symbol the source defines or undefines
// somewhere counts as undefined until then; of the others, a branch that starts a unit with
// its heading or ends it with "end." is left out (the including unit goes on after the
// include), which also tells the branch's symbol. Includes in branches ruled out are not
// followed.
//
// An include that is not followed gives a note (TSourceMap::notes): its file is not found,
// cannot be read, is already being included (a cycle), lies more than kMaxDepth includes
// deep, would take the text past the size limit, or comes after kMaxIncludes includes were
// followed. A file may be included any number of times one after the other. Past kMaxNotes
// notes, includes not followed are left out without one, so that files which include each
// other many times over make a bounded text.

#include "scan/ScanMessages.h"
#include "scan/SourceMap.h"

#include <cstddef>
#include <string>

struct TIncludeOptions {
    static constexpr int kMaxDepth = 16;
    static constexpr int kMaxIncludes = 4096;
    static constexpr std::size_t kMaxNotes = 1000;
    // The include folders, searched after the including file's own folder, in order.
    TLines folders;
    // The most bytes the source and the files it includes may have together (ScanWithIncludes
    // sets the scanner's SourceLimit).
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
