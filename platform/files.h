// Files as bytes. Failures raise FileError with a message for the user.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a file on disk was when it was read or written: which file (device and inode), its size,
// its modification time and a hash of its bytes. Tells whether another program changed it since.
struct FileStamp {
    bool known = false;  // false: nothing was read or written yet
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t hash = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// A hash of bytes given in one piece or several (the same bytes hash alike however they are cut).
class ByteHash {
public:
    void Add(std::string_view bytes);
    std::uint64_t Value() const;

private:
    std::uint64_t lanes_[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull, 0x27D4EB2F165667C5ull};
    unsigned char tail_[32] = {};
    size_t tailSize_ = 0;
    std::uint64_t total_ = 0;
};

// Reads the whole of a regular file. Opening never blocks (a FIFO is refused, not waited on).
// Throws FileError when the file cannot be opened or read, is not a regular file (a FIFO, a device,
// a folder), or is larger than LargestReadableFile() (refused before anything is read).
std::string ReadFileBytes(const std::string& path);

// Reads a file as ReadFileBytes does, handing it over in pieces of 64 KB (the last one shorter) as
// they are read, each with the size the file had when it was opened; `piece` returns false to stop
// the reading. When `stamp` is given and the file was read to its end, it receives the file's stamp.
void ReadFilePieces(const std::string& path, const std::function<bool(std::string_view piece, size_t fileSize)>& piece,
                    FileStamp* stamp = nullptr);

// The largest file that is read (a text, a dictionary, one appended, a recovery copy, the text
// printed by --pdf), and the largest text taken from another program (a paste): a quarter of the
// machine's memory, at most kReadCeiling. What is read must stay addressable by the int offsets of
// the text, its cells and the word-list index, and reading can make a text at most twice as long
// and two bytes more: in the joined text every line is followed by CR LF, so a file of line breaks
// alone (one byte each) doubles and a last line without its break gains two; the dictionary text
// adds one end marker; UTF-8 only shrinks into TIS-620.
inline constexpr size_t kReadCeiling = size_t{1000} << 20;  // 1000 MB
static_assert(2 * kReadCeiling + 2 <= static_cast<size_t>(INT_MAX), "a text read must stay addressable by int");
size_t LargestReadableFile();
// What is said of a file or text over that size: "larger than the 1000 MB that can be held".
std::string TooLargeReason();

// Creates or replaces a file with the given bytes, safely, and returns the stamp of the file
// written. The bytes go to an unnamed temporary file in the target's folder (a named one,
// ".mekalon-save-PID-XXXXXX", where the file system has no unnamed ones) that is linked in and
// renamed over the target (through a symbolic link to its target) once complete, keeping the old
// file's permissions, owner and group. On any failure the old file is left whole, the temporary
// file is removed, and FileError is thrown.
// Where a replacement cannot work or would do harm (the folder refuses the temporary file but the
// file itself may be written, the file has other hard links, its owner could not be kept), the
// existing file is rewritten in place, safely too (files_inplace.cpp): first a complete copy of its
// old bytes goes to disk and the room for the new ones is reserved, so that a full disk or the
// file-size limit fails before anything is overwritten; a write that still fails puts the old
// bytes back, and the message says so; a program that dies part way leaves the copy, which
// StaleInPlaceCopies() finds at the next start.
// A new file gets the permissions `newFileMode` less the umask (0600 for a file only its owner may
// read); a file replaced keeps its own.
FileStamp WriteFileBytes(const std::string& path, std::string_view bytes, unsigned newFileMode = 0666);

// A write beyond the file-size limit (ulimit -f) raises SIGXFSZ, which ends the program unless
// ignored; ignored, the write fails with an error that is reported. Called at program start and
// by every save.
void IgnoreFileSizeSignal();

// ---- A file on disk against what was read or written ---------------------------------------

enum class DiskState { Same, Changed, Gone };
// Whether the file at `path` is still the one `known` describes: the same file (device, inode),
// size and modification time; where only the time differs, its bytes are read and compared by
// hash, and a file merely touched counts as the same (`known` then takes the new time). A path
// that cannot be examined counts as gone.
DiskState CheckOnDisk(const std::string& path, FileStamp& known);
// The stamp of the file at `path` now, without reading it (hash 0); nothing known when it is gone.
FileStamp StatStamp(const std::string& path);

// ---- The program's state folder and the copies of in-place saves ---------------------------

// $XDG_STATE_HOME/mekalon, or ~/.local/state/mekalon when that is not set to an absolute path.
std::string StateFolder();

// A complete copy of a file's old bytes, made by an in-place save before it overwrote the file.
// Its record lives in the state folder ("inplace-PID-HASH.record"); the copy itself beside the
// file (".NAME.mekalon-old-PID") or, where the folder refuses it, in the state folder
// ("inplace-PID-HASH.old").
struct InPlaceCopy {
    std::string record;  // the record file in the state folder
    std::string copy;    // the copy of the old bytes
    std::string target;  // the file that was being saved
    long pid = 0;        // the process that saved it
    std::int64_t modifiedNs = 0;  // the target's modification time before the save
    std::int64_t madeNs = 0;      // when the copy was made
};
// The copies that processes no longer running left in `stateFolder`, oldest first. A record whose
// copy is gone is removed.
std::vector<InPlaceCopy> StaleInPlaceCopies(const std::string& stateFolder);
// Whether the target holds the copy's bytes still (the save was stopped before it wrote anything).
bool InPlaceCopyMatchesTarget(const InPlaceCopy& copy);
// Puts the old bytes back into the target (in place, so that its hard links keep sharing it) with
// its old modification time, then removes the copy and its record. Throws FileError.
void RestoreInPlaceCopy(const InPlaceCopy& copy);
// Removes the copy and its record.
void DiscardInPlaceCopy(const InPlaceCopy& copy);

// ---- Steps of a save, for tests that stop or fail one ---------------------------------------

enum class SaveStep {
    TemporaryWritten,  // a replacement's temporary file holds some of the new bytes
    OldBytesCopied,    // an in-place save has its copy of the old bytes on disk
    SpaceReserved,     // an in-place save has the room for the new bytes
    InPlaceWriting,    // an in-place save has overwritten some of the file
};
// Called at each step; a non-zero result is an error number that makes the step fail. Not set by
// the program: a test sets it to kill the process part way or to make a write fail there.
using SaveStepHook = std::function<int(SaveStep)>;
void SetSaveStepHook(SaveStepHook hook);

}  // namespace platform
