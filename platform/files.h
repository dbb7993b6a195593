// Files as bytes. Failures raise FileError with a message for the user.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the whole file. Throws FileError when it cannot be opened or read.
std::string ReadFileBytes(const std::string& path);

// Creates or replaces a file with the given bytes, safely: the bytes go to a temporary file in
// the target's folder which is then renamed over the target (through a symbolic link to its
// target), keeping the old file's permissions. On any failure the old file is left whole, the
// temporary file is removed, and FileError is thrown.
void WriteFileBytes(const std::string& path, std::string_view bytes);

}  // namespace platform
