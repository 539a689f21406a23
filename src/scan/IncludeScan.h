#pragma once
// The outline of a source with its include files followed: what the window and the command
// line call when includes are to be followed.

#include "scan/CodeScanner.h"
#include "scan/IncludeFlattener.h"

#include <string>
#include <string_view>

// Reads the source at path (within the scanner's SourceLimit, which the included text
// counts against too), puts its include files in place (FlattenIncludes, with the include
// folders of options) and scans the whole with the rule block VAR names for key (ScanText).
// The scanner's Results then hold records whose headers end with "[FILE]" and the file's
// absolute path when their text comes from an include file (OutlineRecord.h reads them), and
// a record of type "include" for each include that could not be followed; Comments and
// Codes are those of the text as scanned. A source without include directives is scanned
// exactly as ScanFile scans it, at no extra cost. A source that cannot be read: as ScanFile
// (LoadProblem says why); NulLine is that of the source.
// Errors escaping the scan reach the caller, as from ScanFile. Returns the files read: the
// source (path), then its include files in the order they were first included.
TLines ScanWithIncludes(TCodeScanner& scanner, const std::string& path, std::string_view key,
                        const TIncludeOptions& options, IScanMessages& log);
