// Replacing a file without ever leaving it truncated.
#pragma once

#include <string>
#include <string_view>

namespace kordalt {

// Writes `bytes` to a new file beside `path` (keeping the old file's mode),
// syncs it, renames it over `path` and syncs the folder. An existing `path`
// that its mode does not let this user write is refused with EACCES, as a
// read-only file is (also for root). Temporaries of the same name left by a
// process that no longer runs are removed first. Returns 0, or the errno of
// the step that failed; on failure `path` is untouched and the temporary
// file is gone.
int WriteFileAtomically(const std::string& path, std::string_view bytes);

// Every process that changes `path` by reading it and writing it back holds
// this lock from its read to its write, so no change is lost between them. The
// lock is flock on the file itself, checked to still be the file at `path`
// (a write renames a new file over it); on the folder while the file is missing.
class FileUpdateLock {
public:
    explicit FileUpdateLock(const std::string& path);
    ~FileUpdateLock();
    FileUpdateLock(const FileUpdateLock&) = delete;
    FileUpdateLock& operator=(const FileUpdateLock&) = delete;

    // 0, or the errno of the step that failed (then nothing is held).
    int Error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

// Appends `bytes` to `path` (created when missing) in one piece: a write that
// fails part way (a full disk) cuts the file back to its former size. Returns
// 0 or the errno of the step that failed.
int AppendFileWhole(const std::string& path, std::string_view bytes);

// The Russian text (UTF-8) of a file error number, for the player.
std::string FileErrorText(int err);

}  // namespace kordalt
