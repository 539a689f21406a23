#pragma once
// Where the lines of a scan come from when they are not all of one file: the text of a
// source with its include files put in place. The scanner takes the lines as they are and
// uses the map to give each record the file and line its text comes from, and to put an
// entry for each include that could not be followed where its directive stands.

#include "scan/TextFields.h"

#include <string>
#include <vector>

struct TLineOrigin {
    int file = 0; // in TSourceMap::files
    int line = 0; // from 0, in that file
};

// An include directive that was not followed, with why (its comment).
struct TIncludeNote {
    int line = 0; // the scanned line at which it stands (from 0)
    std::string name;
    std::string reason;
};

struct TSourceMap {
    TLines files;                     // absolute paths; the first is the source itself
    std::vector<TLineOrigin> origins; // one per scanned line; none: the lines are the source's own
    std::vector<TIncludeNote> notes;  // by line

    bool Empty() const { return origins.empty() && notes.empty(); }
};
