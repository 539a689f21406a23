#include "config/SafeFiles.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string ErrnoText(int error) { return std::strerror(error); }

std::string WriteBeside(const std::string& target, std::string_view text, std::optional<mode_t> mode, bool sync)
{
    static std::atomic<unsigned> count{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name =
            target + "." + std::to_string(::getpid()) + "." + std::to_string(count.fetch_add(1)) + ".new";
        // O_EXCL: a name that exists, a symbolic link included, is never opened.
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode ? 0600 : 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue; // left by an earlier process of the same id
            return {};
        }
        bool written = WriteAll(fd, text);
        if (written && mode)
            written = ::fchmod(fd, *mode) == 0;
        if (written && sync)
            written = ::fsync(fd) == 0;
        const int error = errno;
        written = ::close(fd) == 0 && written;
        if (written)
            return name;
        std::remove(name.c_str());
        errno = error;
        return {};
    }
    errno = EEXIST;
    return {};
}

std::string ReplaceFile(const std::string& target, std::string_view text, std::optional<mode_t> mode, bool sync)
{
    const std::string temp = WriteBeside(target, text, mode, sync);
    if (temp.empty())
        return "cannot write " + target + ": " + ErrnoText(errno);
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        std::remove(temp.c_str());
        return "cannot write " + target + ": " + ErrnoText(error);
    }
    return {};
}
