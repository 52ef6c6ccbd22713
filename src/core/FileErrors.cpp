#include "core/FileErrors.h"

#include "core/Controller.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

int NumberForErrno(int error) {
    switch (error) {
    case ENOENT:
        return FileErrorNumber::FileNotFound;
    case ENOTDIR:
        return FileErrorNumber::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileErrorNumber::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
        return FileErrorNumber::DiskFull;
    case ENAMETOOLONG:
    case EINVAL:
        return FileErrorNumber::BadFileName;
    default:
        return FileErrorNumber::PathFileAccess;
    }
}

FileError ErrorFromErrno(const std::string& path, int error) {
    // A missing folder is reported as such, not as a missing file.
    if (error == ENOENT) {
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        std::error_code ignored;
        if (!folder.empty() && !std::filesystem::is_directory(folder, ignored))
            return MakeFileError(FileErrorNumber::PathNotFound);
    }
    return MakeFileError(NumberForErrno(error));
}

} // namespace

FileError MakeFileError(int number) {
    switch (number) {
    case 6:
        return {number, "Overflow"};
    case FileErrorNumber::TypeMismatch:
        return {number, "Type mismatch"};
    case FileErrorNumber::BadFileName:
        return {number, "Bad file name or number"};
    case FileErrorNumber::FileNotFound:
        return {number, "File not found"};
    case FileErrorNumber::DiskFull:
        return {number, "Disk full"};
    case FileErrorNumber::InputPastEnd:
        return {number, "Input past end of file"};
    case FileErrorNumber::PermissionDenied:
        return {number, "Permission denied"};
    case FileErrorNumber::PathFileAccess:
        return {number, "Path/File access error"};
    case FileErrorNumber::PathNotFound:
        return {number, "Path not found"};
    case 481:
        return {number, "Invalid picture"};
    case 482:
        return {number, "Printer error"};
    default:
        return {number, "Application-defined or object-defined error"};
    }
}

std::string WorkingPath(const Controller& c, const std::string& name) {
    if (c.WorkingFolder.empty()) return name;
    return (std::filesystem::path(c.WorkingFolder) / name).string();
}

namespace {

constexpr std::size_t LargestDataFile = 1 << 20;
constexpr std::size_t LongestDataLine = 1 << 16;

// The kind of file a data file can be; anything else is refused before it is read.
int RefusalOf(const struct stat& info) {
    if (S_ISDIR(info.st_mode)) return FileErrorNumber::PathFileAccess;
    if (!S_ISREG(info.st_mode)) return FileErrorNumber::BadFileName;
    return 0;
}

// A regular file opened for reading, closed on every way out. A named pipe would hold
// the control loop in open() until some writer came, and a device could be endless or
// act on being opened, so what is no regular file is refused before it is opened. It
// is opened without waiting all the same and looked at again, for a name that changes
// hands in between.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path) {
        if (path.empty()) throw MakeFileError(FileErrorNumber::BadFileName);
        if (::stat(path.c_str(), &info_) != 0) throw ErrorFromErrno(path, errno);
        if (const int refusal = RefusalOf(info_)) throw MakeFileError(refusal);
        descriptor_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (descriptor_ < 0) throw ErrorFromErrno(path, errno);
        const int refusal = ::fstat(descriptor_, &info_) != 0 ? FileErrorNumber::PathFileAccess : RefusalOf(info_);
        if (refusal != 0) {
            ::close(descriptor_);
            throw MakeFileError(refusal);
        }
    }
    ~ReadOnlyFile() { ::close(descriptor_); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // The size the file had when it was opened.
    std::uintmax_t Size() const { return info_.st_size < 0 ? 0 : static_cast<std::uintmax_t>(info_.st_size); }

    // No more than `count` bytes, whatever the size said: a file that grows while it
    // is read, or one that tells no size, costs no more memory than that. The buffer
    // grows with what comes, from the size the file tells (and a byte to see its end),
    // so a profile of a few kilobytes costs a few kilobytes.
    std::string ReadAtMost(std::size_t count) const {
        constexpr std::size_t Chunk = 64 * 1024;
        std::string bytes;
        std::size_t wanted = std::min(count, static_cast<std::size_t>(Size()) + 1);
        while (bytes.size() < count) {
            const std::size_t got = bytes.size();
            bytes.resize(got + wanted);
            const ssize_t n = ::read(descriptor_, bytes.data() + got, wanted);
            bytes.resize(got + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
            if (n == 0) break;
            if (n < 0 && errno != EINTR) throw MakeFileError(FileErrorNumber::PathFileAccess);
            // A read that came short has most likely met the end, which a small read then
            // confirms without first clearing a whole chunk of buffer for it.
            constexpr std::size_t Probe = 256;
            wanted = std::min(n == static_cast<ssize_t>(wanted) ? Chunk : Probe, count - bytes.size());
        }
        return bytes;
    }

private:
    struct stat info_ {};
    int descriptor_ = -1;
};

} // namespace

std::string ReadFileHead(const std::string& path, std::size_t limit) { return ReadOnlyFile(path).ReadAtMost(limit); }

void CheckReadableFile(const std::string& path) { const ReadOnlyFile file(path); }

std::string ReadDataFile(const std::string& path) {
    const ReadOnlyFile file(path);
    // The size is known before a byte is read: a huge file is refused at once.
    if (file.Size() > LargestDataFile) throw MakeFileError(FileErrorNumber::PathFileAccess);
    const std::string text = file.ReadAtMost(LargestDataFile + 1);
    if (text.size() > LargestDataFile) throw MakeFileError(FileErrorNumber::PathFileAccess);
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
            if (i - lineStart > LongestDataLine) throw MakeFileError(FileErrorNumber::PathFileAccess);
            lineStart = i + 1;
        }
    }
    return text;
}

namespace {

// The file a name stands for: a link is followed to the file it names (which need not
// exist yet), so that a save replaces that file and the link stays a link.
std::string FileBehindLinks(const std::string& path) {
    std::filesystem::path file = path;
    std::error_code failed;
    for (int hops = 0; std::filesystem::is_symlink(file, failed); ++hops) {
        const std::filesystem::path target = std::filesystem::read_symlink(file, failed);
        // A loop of links names no file.
        if (failed || hops == 40) throw MakeFileError(FileErrorNumber::PathFileAccess);
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    return file.string();
}

// The permissions the new file takes over from the one it replaces; nothing for a
// new name. A file that nobody may write is kept as it is even where the folder
// would let it be renamed over, or the user is root and could write it: its mode
// bits are asked, not an attempt to open it.
std::optional<mode_t> PermissionsToKeep(const std::string& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        if (errno == ENOENT) return std::nullopt;
        throw ErrorFromErrno(file, errno);
    }
    if (S_ISDIR(info.st_mode)) throw MakeFileError(FileErrorNumber::PathFileAccess);
    if (!S_ISREG(info.st_mode)) throw MakeFileError(FileErrorNumber::BadFileName);
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) throw MakeFileError(FileErrorNumber::PermissionDenied);
    if (::access(file.c_str(), W_OK) != 0) throw MakeFileError(NumberForErrno(errno));
    // Never the set-user and set-group bits: the new file may have another owner.
    return static_cast<mode_t>(info.st_mode & 0777);
}

// The bytes written whole to a new file, or the error number of what stopped them.
int WriteNewFile(const std::string& temporary, std::string_view content, std::optional<mode_t> permissions) {
    ::unlink(temporary.c_str()); // one left by a save that was cut off
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (out < 0) return errno;
    int error = 0;
    if (permissions && ::fchmod(out, *permissions) != 0) error = errno;
    std::size_t written = 0;
    while (error == 0 && written < content.size()) {
        const ssize_t n = ::write(out, content.data() + written, content.size() - written);
        if (n >= 0) {
            written += static_cast<std::size_t>(n);
        } else if (errno != EINTR) {
            error = errno;
        }
    }
    if (::close(out) != 0 && error == 0) error = errno;
    if (error != 0) ::unlink(temporary.c_str());
    return error;
}

} // namespace

std::string TemporaryPathFor(const std::string& file) {
    // A name of its own length, not the file's with more after it: a file whose name is
    // already as long as the folder allows can be replaced all the same. The file's name
    // picks it, so a save cut off leaves one that the next save of that file clears.
    const std::filesystem::path target = file;
    char name[24];
    std::snprintf(name, sizeof name, ".zek8-%016zx", std::hash<std::string>{}(target.filename().string()));
    return (target.parent_path() / name).string();
}

void ReplaceTextFile(const std::string& path, std::string_view content) {
    if (path.empty()) throw MakeFileError(FileErrorNumber::BadFileName);
    const std::string file = FileBehindLinks(path);
    const std::optional<mode_t> permissions = PermissionsToKeep(file);
    const std::string temporary = TemporaryPathFor(file);
    if (const int error = WriteNewFile(temporary, content, permissions)) throw ErrorFromErrno(temporary, error);
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw MakeFileError(NumberForErrno(error));
    }
}

bool RunWithFileErrorTrap(Controller& c, const std::function<std::string(int)>& titleFor,
                          const std::function<void()>& step) {
    for (;;) {
        try {
            step();
            return true;
        } catch (const FileError& error) {
            const MessageAnswer answer = c.ports.dialogs->MessageBox(
                error.description, titleFor(error.number), MessageButtons::RetryCancel, MessageIcon::Exclamation);
            if (answer != MessageAnswer::Retry) return false;
        }
    }
}

std::string FileErrorTitle(int number) { return "Error # " + std::to_string(number) + " Occured"; }
