#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

namespace kestrel {
namespace fs = std::filesystem;

std::optional<fs::path> FindFileIgnoringCase(const fs::path& directory, std::string_view name) {
  std::error_code ec;
  const fs::path exact = directory / fs::path(name);
  if (fs::is_regular_file(exact, ec)) return exact;
  const std::string wanted = ToUpperAscii(name);
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    if (ToUpperAscii(it->path().filename().string()) != wanted) continue;
    if (fs::is_regular_file(it->path(), ec)) return it->path();
  }
  return std::nullopt;
}

fs::path ResolveFileName(const fs::path& directory, std::string_view name) {
  if (auto found = FindFileIgnoringCase(directory, name)) return *found;
  return directory / ToUpperAscii(name);
}

namespace {

// A descriptor closed on every way out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool ReadFully(int fd, uint8_t* data, size_t count, size_t* got) {
  *got = 0;
  while (*got < count) {
    const ssize_t n = ::read(fd, data + *got, count - *got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    *got += static_cast<size_t>(n);
  }
  return true;
}

bool WriteFully(int fd, const uint8_t* data, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd, data + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;  // a write that takes nothing has found no room
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Why the last system call failed; returns false, for the failing path.
bool Fail(std::error_code& error, int code = errno) {
  error.assign(code, std::system_category());
  return false;
}

}  // namespace

FileContents ReadWholeFile(const fs::path& path, uint64_t maxSize) {
  FileContents result;
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    result.error = errno == ENOENT ? FileReadError::Missing : FileReadError::Unreadable;
    return result;
  }
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) {
    result.error = FileReadError::Unreadable;
    return result;
  }
  if (!S_ISREG(info.st_mode)) {
    result.error = FileReadError::NotRegularFile;
    return result;
  }
  const auto size = static_cast<uint64_t>(info.st_size);
  if (size > maxSize) {
    result.error = FileReadError::TooLarge;
    return result;
  }
  result.bytes.resize(static_cast<size_t>(size));
  size_t got = 0;
  if (!ReadFully(fd.get(), result.bytes.data(), result.bytes.size(), &got)) {
    result.bytes.clear();
    result.error = FileReadError::Unreadable;
    return result;
  }
  result.bytes.resize(got);  // a file that shrank while being read
  return result;
}

std::optional<Bytes> ReadFilePrefix(const fs::path& path, size_t count) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  // Sized by what the file holds, not by what the caller would take.
  const size_t wanted = std::min(count, static_cast<size_t>(info.st_size));
  Bytes bytes(wanted);
  size_t got = 0;
  if (!ReadFully(fd.get(), bytes.data(), wanted, &got)) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

std::optional<uint64_t> RegularFileSize(const fs::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(info.st_size);
}

bool WriteFileReplacing(const fs::path& path, std::span<const uint8_t> bytes,
                        std::error_code& error, Durability durability) {
  error.clear();
  std::random_device entropy;
  const fs::path temporary =
      path.parent_path() / (".kestrel-" + std::to_string(entropy()) + ".tmp");
  FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (fd.get() < 0) return Fail(error);
  if (!WriteFully(fd.get(), bytes.data(), bytes.size()) ||
      (durability == Durability::OnDisk && ::fsync(fd.get()) != 0))
    Fail(error);
  if (::close(fd.release()) != 0 && !error) Fail(error);
  if (!error) {
    // Keep the permissions of a file that is being replaced.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) ::chmod(temporary.c_str(), old.st_mode & 07777);
    if (::rename(temporary.c_str(), path.c_str()) != 0) Fail(error);
  }
  if (!error) return true;
  ::unlink(temporary.c_str());
  return false;
}

bool WriteFileReplacing(const fs::path& path, std::span<const uint8_t> bytes) {
  std::error_code ignored;
  return WriteFileReplacing(path, bytes, ignored);
}

bool ReplaceFileStart(const fs::path& path, std::span<const uint8_t> bytes) {
  FileContents file = ReadWholeFile(path, kPictureBlockLimit);
  if (!file.ok() || file.bytes.size() < bytes.size()) return false;
  std::copy(bytes.begin(), bytes.end(), file.bytes.begin());
  return WriteFileReplacing(path, file.bytes);
}

}  // namespace kestrel
