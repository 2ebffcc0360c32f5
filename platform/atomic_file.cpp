#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace kordalt {

int WriteFileAtomically(const std::string& path, std::string_view bytes) {
    static std::atomic<unsigned> counter{0};
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = path.substr(dir.size());
    const std::string tmp =
        dir + "." + base + ".tmp" + std::to_string(getpid()) + "." + std::to_string(counter.fetch_add(1));
    const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) fchmod(fd, st.st_mode & 07777);
    int err = 0;
    for (size_t done = 0; done < bytes.size() && err == 0;) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno != EINTR)
            err = errno;
    }
    if (err == 0 && fsync(fd) != 0) err = errno;
    if (close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && rename(tmp.c_str(), path.c_str()) != 0) err = errno;
    if (err != 0) unlink(tmp.c_str());
    return err;
}

}  // namespace kordalt
