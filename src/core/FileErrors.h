#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

struct Controller;

// A failed file operation, numbered and described as the operator knows file
// errors: 53 File not found, 76 Path not found, 70 Permission denied, 75 Path/File
// access error, 61 Disk full, 62 Input past end of file, 13 Type mismatch, 6 Overflow,
// 52 Bad file name or number, 481 Invalid picture, 482 Printer error.
struct FileError {
    int number = 0;
    std::string description;
};

namespace FileErrorNumber {
constexpr int TypeMismatch = 13;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int DiskFull = 61;
constexpr int InputPastEnd = 62;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
} // namespace FileErrorNumber

FileError MakeFileError(int number);

// `name` inside the working folder of the controller.
std::string WorkingPath(const Controller& c, const std::string& name);

// Every reader refuses at once, without waiting, what is no regular file: a folder
// with error 75, a named pipe, a device or a socket with error 52.

// The first `limit` bytes of a file (all of a shorter one); throws FileError.
std::string ReadFileHead(const std::string& path, std::size_t limit);
// Throws the FileError a reader of `path` would meet in opening it.
void CheckReadableFile(const std::string& path);
// A data file of the controller: at most 1 MiB, no line over 64 KiB; anything
// larger is no file of ours (error 75), refused before more than 1 MiB is read.
std::string ReadDataFile(const std::string& path);
// Writes `content` to a temporary file beside `path` and renames it over `path`,
// so a failed write leaves the old file exactly as it was; throws FileError. A link
// is followed and the file it names replaced; the new file keeps the old one's
// permissions; a file without any write permission is refused (error 70).
void ReplaceTextFile(const std::string& path, std::string_view content);
// The temporary file a replacement of `file` is written to first: beside it, with a
// short name of its own whatever the length of the file's name.
std::string TemporaryPathFor(const std::string& file);

// Runs `step` until it succeeds or the operator gives up: each FileError shows its
// description with the title `titleFor(number)`, an exclamation icon and Retry /
// Cancel; Retry runs the step again. True when the step succeeded.
bool RunWithFileErrorTrap(Controller& c, const std::function<std::string(int)>& titleFor,
                          const std::function<void()>& step);

// "Error # " + number + " Occured": the title of most file error boxes.
std::string FileErrorTitle(int number);
