#pragma once
// The key/value settings store: the settings file's lines kept in memory, read
// once when created and written back by Save at program end. One instance is
// shared for the run; reads and writes take a mutex, because the search worker
// reads CMT_INDICATOR on its own thread.

#include "scan/TextFields.h"

#include <mutex>
#include <string>

class TConfig {
public:
    // An empty store; Load reads a file into it.
    TConfig() = default;
    explicit TConfig(std::string fileName);

    // Reads the file; any failure leaves the store empty. While the file does not exist,
    // seedFile (the delivered first settings) is read instead, when one is given; Save
    // then writes the store's own file.
    void Load(const std::string& seedFile = {});
    // Writes every line (each ended by CR LF) when the store holds any; an empty store
    // writes nothing. Goes through a temporary file of its own, flushed to the disk and
    // renamed over the old one, so a failed write never destroys the existing file and
    // two instances saving at once never publish a half-written one. The file keeps its
    // mode (a new one is made readable by the user only); a symbolic link is written
    // through to the regular file it leads to when the user owns that file. Returns false,
    // and why in problem, when nothing was written.
    bool Save(std::string* problem = nullptr) const;
    // Why Save would write nothing (a read-only file, a link to another user's file or to
    // something that is not a file); empty when it may write.
    std::string SaveProblem() const;

    std::string ReadString(std::string_view name) const;
    int ReadInteger(std::string_view name) const;
    bool ReadBool(std::string_view name) const;
    bool WriteString(std::string_view name, std::string_view value);
    bool WriteInteger(std::string_view name, int value);
    bool WriteBool(std::string_view name, bool value);
    TLines ReadList(std::string_view name) const;
    void WriteList(std::string_view name, const TLines& entries);

    const std::string& FileName() const { return m_fileName; }
    TLines Lines() const;

private:
    long FindKey(std::string_view name) const; // guarded by m_mutex

    std::string m_fileName;
    mutable std::mutex m_mutex;
    TLines m_lines; // guarded by m_mutex
};
