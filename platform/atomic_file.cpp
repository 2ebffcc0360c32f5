#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <vector>

namespace kordalt {
namespace {

struct TargetName {
    std::string dir;   // "" or ending in '/'
    std::string base;  // the file name
    std::string TempPrefix() const { return "." + base + ".tmp"; }
};

TargetName SplitPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return {dir, path.substr(dir.size())};
}

bool InGroup(gid_t gid) {
    if (gid == getegid()) return true;
    const int n = getgroups(0, nullptr);
    if (n <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    const int got = getgroups(n, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<size_t>(i)] == gid) return true;
    return false;
}

// The mode's write permission for this user; the kernel lets root write
// anything, but a read-only file stays read-only for the game.
bool ModeLetsUsWrite(const struct stat& st) {
    if (st.st_uid == geteuid()) return st.st_mode & S_IWUSR;
    if (InGroup(st.st_gid)) return st.st_mode & S_IWGRP;
    return st.st_mode & S_IWOTH;
}

// The pid of a temporary "<prefix><pid>.<n>", or 0.
pid_t TempOwner(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix)) return 0;
    name.remove_prefix(prefix.size());
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return 0;
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + dot, pid);
    if (ec != std::errc() || end != name.data() + dot || pid <= 0) return 0;
    for (char c : name.substr(dot + 1))
        if (c < '0' || c > '9') return 0;
    return pid;
}

// Removes the temporaries of `target` whose writer no longer runs.
void RemoveStaleTemporaries(const TargetName& target) {
    DIR* dir = opendir(target.dir.empty() ? "." : target.dir.c_str());
    if (dir == nullptr) return;
    const std::string prefix = target.TempPrefix();
    while (const dirent* entry = readdir(dir)) {
        const pid_t pid = TempOwner(entry->d_name, prefix);
        if (pid == 0 || pid == getpid()) continue;
        if (kill(pid, 0) == 0 || errno != ESRCH) continue;
        unlinkat(dirfd(dir), entry->d_name, 0);
    }
    closedir(dir);
}

int WriteAll(int fd, std::string_view bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno != EINTR)
            return errno;
    }
    return 0;
}

// A rename is on disk once its folder is; file systems that cannot sync a folder are fine.
void SyncFolder(const TargetName& target) {
    const int fd = open(target.dir.empty() ? "." : target.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

int WriteFileAtomically(const std::string& path, std::string_view bytes) {
    static std::atomic<unsigned> counter{0};
    const TargetName target = SplitPath(path);
    struct stat st {};
    const bool exists = stat(path.c_str(), &st) == 0;
    if (exists && !ModeLetsUsWrite(st)) return EACCES;
    RemoveStaleTemporaries(target);
    const std::string tmp = target.dir + target.TempPrefix() + std::to_string(getpid()) + "." +
                            std::to_string(counter.fetch_add(1));
    const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    if (exists) fchmod(fd, st.st_mode & 07777);
    int err = WriteAll(fd, bytes);
    if (err == 0 && fsync(fd) != 0) err = errno;
    if (close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && rename(tmp.c_str(), path.c_str()) != 0) err = errno;
    if (err != 0) {
        unlink(tmp.c_str());
        return err;
    }
    SyncFolder(target);
    return 0;
}

namespace {

// Whether `fd`, locked, is still what `path` names: the file, or for a missing
// file its folder while the file is still missing.
bool LockedWhatPathNames(int fd, const std::string& path, bool missing) {
    struct stat now {};
    if (stat(path.c_str(), &now) != 0) return missing && errno == ENOENT;
    if (missing) return false;
    struct stat held {};
    return fstat(fd, &held) == 0 && held.st_dev == now.st_dev && held.st_ino == now.st_ino;
}

}  // namespace

FileUpdateLock::FileUpdateLock(const std::string& path) {
    const TargetName target = SplitPath(path);
    for (;;) {
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const bool missing = fd < 0 && errno == ENOENT;
        if (missing)
            fd = open(target.dir.empty() ? "." : target.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            error_ = errno;
            return;
        }
        int locked;
        while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (locked != 0) {
            error_ = errno;
            close(fd);
            return;
        }
        if (LockedWhatPathNames(fd, path, missing)) {
            fd_ = fd;
            return;
        }
        close(fd);
    }
}

FileUpdateLock::~FileUpdateLock() {
    if (fd_ >= 0) close(fd_);
}

int AppendFileWhole(const std::string& path, std::string_view bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        const int err = errno;
        close(fd);
        return err;
    }
    int err = WriteAll(fd, bytes);
    if (err != 0) {
        // What was written of it goes again; a failed cut leaves the error as it is.
        [[maybe_unused]] const int cut = ftruncate(fd, st.st_size);
    }
    if (close(fd) != 0 && err == 0) err = errno;
    return err;
}

std::string FileErrorText(int err) {
    switch (err) {
        case EACCES:
        case EPERM:
            return "нет права на запись";
        case EROFS:
            return "диск доступен только для чтения";
        case ENOSPC:
        case EDQUOT:
            return "на диске нет места";
        case EFBIG:
            return "файл слишком велик";
        case ENOENT:
            return "папка не найдена";
        case ENOTDIR:
            return "путь ведёт не в папку";
        case EISDIR:
            return "на этом месте папка, а не файл";
        case EIO:
            return "ошибка ввода-вывода";
        case ENAMETOOLONG:
            return "слишком длинное имя файла";
        case EMFILE:
        case ENFILE:
            return "открыто слишком много файлов";
        default:
            return "ошибка " + std::to_string(err);
    }
}

}  // namespace kordalt
