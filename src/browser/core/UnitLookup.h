#pragma once
// Finding the source of a unit that a uses clause names, for opening it from the outline:
// the unit names of a clause as the outline shows it, the file names a unit may have, and
// the search over the places the user keeps sources in. No widgets; any thread.

#include "scan/TextFields.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One unit of a uses clause.
struct TUsedUnit {
    std::string name; // as written, dots included ("laz.virtualtreeview_package")
    std::string file; // the file an "in 'file'" names, as written; empty when none
};

// The units a uses clause's declaration names, in order, each once: "classes, sysutils",
// "Unit1 in 'Unit1.pas', Forms"; names the conditional directives left side by side
// ("initc Syscall") are taken one by one.
std::vector<TUsedUnit> UsedUnits(std::string_view declaration);

// The file names tried for a unit, in order: the name as written, then lowercased, each
// with ".pas", ".pp" and ".p".
TLines UnitFileNames(const std::string& name);

// Where units are looked for, in order: folders (the current file's, then the source
// folders of the settings and of the command line), each itself; then trees (the search
// window's folders), each with its sub-folders, nearest first.
struct TUnitPlaces {
    TLines folders;
    TLines trees;
};

// The unit's file: the file its "in" names (from the first folder) when that exists, or
// the first of its file names found in the places. None when it is nowhere there.
std::optional<std::string> FindUnit(const TUsedUnit& unit, const TUnitPlaces& places);

// "Unit NAME not found in A, B and below C": where FindUnit looked.
std::string UnitNotFoundText(const std::string& name, const TUnitPlaces& places);
