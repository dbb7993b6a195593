// Files as bytes. Failures raise FileError with a message for the user.
#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the whole of a regular file. Opening never blocks (a FIFO is refused, not waited on).
// Throws FileError when the file cannot be opened or read, is not a regular file (a FIFO, a device,
// a folder), or is larger than LargestReadableFile().
std::string ReadFileBytes(const std::string& path);

// Reads a file as ReadFileBytes does, handing it over in pieces of up to 64 KB as they are read,
// each with the size the file had when it was opened; `piece` returns false to stop the reading.
void ReadFilePieces(const std::string& path, const std::function<bool(std::string_view piece, size_t fileSize)>& piece);

// The largest file that is read: a quarter of the machine's memory, at most 2 GB.
size_t LargestReadableFile();

// Creates or replaces a file with the given bytes, safely: the bytes go to a temporary file in
// the target's folder which is then renamed over the target (through a symbolic link to its
// target), keeping the old file's permissions, owner and group. On any failure the old file is
// left whole, the temporary file is removed, and FileError is thrown.
// Where a replacement cannot work or would do harm, an existing file is rewritten in place
// (truncated, written, flushed to disk): when its folder refuses the temporary file but the file
// itself may be written, when it has other hard links, and when its owner could not be kept.
// A failure there is reported the same way, but may leave the file incomplete.
void WriteFileBytes(const std::string& path, std::string_view bytes);

// A write beyond the file-size limit (ulimit -f) raises SIGXFSZ, which ends the program unless
// ignored; ignored, the write fails with an error that is reported. Called at program start and
// by every save.
void IgnoreFileSizeSignal();

}  // namespace platform
