// What a search says of where it stands, in the window and on the command line.

#include "search/core/Search.h"

#include <cstdio>

std::string ProgressText(const TSearchProgress& progress)
{
    switch (progress.phase) {
    case TSearchProgress::TPhase::Gathering:
        return std::to_string(progress.files) + " files found ...";
    case TSearchProgress::TPhase::Scanning:
        return std::to_string(progress.filesDone) + " of " + std::to_string(progress.files) + " files, " +
               std::to_string(progress.rows) + " rows";
    case TSearchProgress::TPhase::Done:
        break;
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", progress.seconds);
    std::string text = "Done: " + std::to_string(progress.rows) + " rows in " + std::to_string(progress.files) +
                       " files (" + seconds + " s)";
    if (progress.unreadableFiles + progress.unreadableFolders > 0)
        text += "; " + UnreadableText(progress.unreadableFiles, progress.unreadableFolders);
    return text;
}

std::string UnreadableText(std::size_t files, std::size_t folders)
{
    return std::to_string(files) + (files == 1 ? " file and " : " files and ") + std::to_string(folders) +
           (folders == 1 ? " folder" : " folders") + " could not be read (see the trace log)";
}

std::string StoppedText(const TSearchProgress& progress)
{
    return "Stopped: " + std::to_string(progress.rows) + " rows in " + std::to_string(progress.filesDone) + " of " +
           std::to_string(progress.files) + " files";
}
