#pragma once
// File access as the program needs it: names found without regard to case, whole-file reads
// with a size limit, and writes that never leave a user's file half-written.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "base/block.h"
#include "base/text.h"

namespace kestrel {

// The entry of `directory` whose name equals `name` ignoring ASCII case (an exact match wins);
// none when there is no such regular file.
std::optional<std::filesystem::path> FindFileIgnoringCase(const std::filesystem::path& directory,
                                                          std::string_view name);

// Where `name` lives: the existing file whatever its case, else the upper-case name to create.
std::filesystem::path ResolveFileName(const std::filesystem::path& directory,
                                      std::string_view name);

enum class FileReadError { None, Missing, NotRegularFile, Unreadable, TooLarge };

struct FileContents {
  Bytes bytes;
  FileReadError error = FileReadError::None;
  bool ok() const { return error == FileReadError::None; }
};

// The whole of a regular file, opened for reading only. Files above `maxSize` are refused.
FileContents ReadWholeFile(const std::filesystem::path& path, uint64_t maxSize);
// Up to `count` bytes from the start of a file; none when it cannot be opened.
std::optional<Bytes> ReadFilePrefix(const std::filesystem::path& path, size_t count);
// The size of a regular file; none when there is no such file.
std::optional<uint64_t> RegularFileSize(const std::filesystem::path& path);

// Whether a write waits for its bytes to reach the disk before the file takes its name; a file
// that is made again at will (a thumbnail) need not.
enum class Durability { OnDisk, Cached };

// Writes `bytes` as the whole new content of `path`: first into a temporary file beside it,
// then renamed over it, so a failure leaves any old file as it was and no temporary behind.
// On failure `error` says why, as the system put it.
bool WriteFileReplacing(const std::filesystem::path& path, std::span<const uint8_t> bytes,
                        std::error_code& error, Durability durability = Durability::OnDisk);
bool WriteFileReplacing(const std::filesystem::path& path, std::span<const uint8_t> bytes);

// Puts `bytes` over the start of an existing file, which keeps its length and everything
// after them. The whole file is written anew beside it and renamed over it, so a failed or
// interrupted write leaves the file as it was. Files past the picture limit are refused.
bool ReplaceFileStart(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace kestrel
