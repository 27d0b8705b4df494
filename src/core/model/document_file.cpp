#include "core/model/document_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/model/archive.h"

namespace kalvory {

namespace {

std::string describe(const std::optional<std::size_t>& offset, const std::string& reason) {
  return offset ? "offset " + std::to_string(*offset) + ": " + reason : reason;
}

std::string systemError(const char* what, int error) { return std::string(what) + ": " + std::strerror(error); }

// Closes a descriptor on every path out of a function.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports the result, which for a written file can carry a late write error.
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

std::string readWholeFile(const std::string& path) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) throw DocumentFileError(path, std::nullopt, systemError("cannot open", errno));
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) throw DocumentFileError(path, std::nullopt, systemError("cannot open", errno));
  if (S_ISDIR(info.st_mode)) throw DocumentFileError(path, std::nullopt, "cannot open: is a folder");

  std::string bytes;
  if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) <= kMaxDocumentFileSize) {
    bytes.reserve(static_cast<std::size_t>(info.st_size));
  }
  std::vector<char> chunk(std::size_t{64} * 1024);
  for (;;) {
    const ssize_t got = ::read(file.get(), chunk.data(), chunk.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      throw DocumentFileError(path, std::nullopt, systemError("cannot read", errno));
    }
    if (got == 0) break;
    if (bytes.size() + static_cast<std::size_t>(got) > kMaxDocumentFileSize) {
      throw DocumentFileError(path, std::nullopt, "file is larger than any reminder document (over 512 MiB)");
    }
    bytes.append(chunk.data(), static_cast<std::size_t>(got));
  }
  return bytes;
}

// The permission bits a newly created file gets from the process's file creation mask.
mode_t newFileMode() {
  // Reading the mask through umask() would change it for a moment under other threads.
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      try {
        return static_cast<mode_t>(0666 & ~std::stoi(line.substr(6), nullptr, 8));
      } catch (const std::exception&) {
        break;
      }
    }
  }
  return 0644;
}

void writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category());
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace

DocumentFileError::DocumentFileError(std::string path, std::optional<std::size_t> offset, std::string reason)
    : std::runtime_error(path + ": " + describe(offset, reason)),
      path_(std::move(path)),
      offset_(offset),
      reason_(std::move(reason)) {}

std::string storeDocumentBytes(const CAlarmDoc& doc, const CAlarmDoc::StoreOptions& options) {
  ArchiveWriter writer;
  doc.store(writer, options);
  return writer.takeBytes();
}

void loadDocumentBytes(CAlarmDoc& doc, std::string_view bytes) {
  ArchiveReader reader(bytes);
  doc.load(reader);
}

namespace {

void readDocumentFile(CAlarmDoc& doc, const std::string& path) {
  const std::string bytes = readWholeFile(path);
  try {
    loadDocumentBytes(doc, bytes);
  } catch (const ArchiveError& error) {
    throw DocumentFileError(path, error.offset(), error.reason());
  }
}

void writeDocumentFile(CAlarmDoc& doc, const std::string& path, const CAlarmDoc::StoreOptions& options) {
  namespace fs = std::filesystem;
  std::string bytes;
  try {
    bytes = storeDocumentBytes(doc, options);
  } catch (const std::exception& error) {
    throw DocumentFileError(path, std::nullopt, std::string("cannot save: ") + error.what());
  }

  // A link is followed, so that the file it names is replaced and the link stays.
  fs::path target(path);
  std::error_code ec;
  if (fs::is_symlink(target, ec)) {
    const fs::path resolved = fs::canonical(target, ec);
    if (!ec) target = resolved;
  }
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();

  FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
  if (file.get() < 0) throw DocumentFileError(path, std::nullopt, systemError("cannot save", errno));
  try {
    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : newFileMode();
    if (::fchmod(file.get(), mode) != 0) throw std::system_error(errno, std::generic_category());
    writeAll(file.get(), bytes);
    if (::fsync(file.get()) != 0) throw std::system_error(errno, std::generic_category());
    if (file.close() != 0) throw std::system_error(errno, std::generic_category());
    if (::rename(temporary.c_str(), target.c_str()) != 0) throw std::system_error(errno, std::generic_category());
  } catch (const std::system_error& error) {
    ::unlink(temporary.c_str());
    throw DocumentFileError(path, std::nullopt, systemError("cannot save", error.code().value()));
  }
  // The rename itself reaches the disk with the folder.
  FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() >= 0) ::fsync(directory.get());
  doc.SetModifiedFlag(false);
}

}  // namespace

DocumentFileResult loadDocumentFile(CAlarmDoc& doc, const std::string& path) {
  try {
    readDocumentFile(doc, path);
  } catch (const DocumentFileError& error) {
    return DocumentFileResult(error);
  }
  return {};
}

DocumentFileResult saveDocumentFile(CAlarmDoc& doc, const std::string& path, const CAlarmDoc::StoreOptions& options) {
  try {
    writeDocumentFile(doc, path, options);
  } catch (const DocumentFileError& error) {
    return DocumentFileResult(error);
  }
  return {};
}

}  // namespace kalvory
