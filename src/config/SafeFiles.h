#pragma once
// Writing files the program names itself (settings, trace log, exports) without
// following a symbolic link planted in their place: a new file is always created
// exclusively, and a whole file replaces the old one by a rename, which replaces a link
// instead of writing through it.

#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

// Writes the whole text to fd, going on after short writes and interruptions. False on
// failure, errno telling why.
bool WriteAll(int fd, std::string_view text);

// Writes text to a new file beside target (target's name, the process id and a count, so
// two writers never share one) and returns its name; empty on failure, errno telling why.
// The file gets exactly mode when one is given (the umask does not apply), else 0666 less
// the umask. sync: flushed to the disk before it is closed.
std::string WriteBeside(const std::string& target, std::string_view text, std::optional<mode_t> mode, bool sync);

// Replaces target by a file holding text: WriteBeside, then renamed over target. A symbolic
// link named target is replaced by the file, its own target stays untouched. Returns an
// empty text on success, else why nothing was written ("cannot write PATH: REASON");
// the old file is then unchanged and no temporary file is left.
std::string ReplaceFile(const std::string& target, std::string_view text, std::optional<mode_t> mode = {},
                        bool sync = false);

// "REASON" of errno for messages.
std::string ErrnoText(int error);
