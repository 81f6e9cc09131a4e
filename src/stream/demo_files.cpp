#include "stream/demo_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace cw {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFileBuffer = 1 << 20;
constexpr int kNameAttempts = 100;

int LastError(int fallback) { return errno != 0 ? errno : fallback; }

// The file a destination name writes to: a symbolic link is written through,
// so that the link stays and its target gets the new contents.
fs::path WrittenPath(const std::string& destination) {
  std::error_code error;
  const fs::path path(destination);
  if (!fs::is_symlink(path, error)) return path;
  const fs::path target = fs::weakly_canonical(path, error);
  return error ? path : target;
}

std::string RandomSuffix(std::mt19937& random) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix;
  for (int i = 0; i < 8; ++i) suffix.push_back(kDigits[random() % (sizeof kDigits - 1)]);
  return suffix;
}

std::mt19937 SeededRandom(const void* address) {
  std::seed_seq::result_type seed = static_cast<std::seed_seq::result_type>(reinterpret_cast<std::uintptr_t>(address));
  try {
    seed ^= std::random_device{}();
  } catch (...) {
    // Without a source of entropy the address still differs between runs
    // often enough; a clash only costs another attempt.
  }
  return std::mt19937(seed);
}

}  // namespace

FileKind KindOf(const std::string& name) {
  if (name.empty()) return FileKind::Missing;
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  if (error || !fs::exists(status)) return FileKind::Missing;
  return fs::is_regular_file(status) ? FileKind::Regular : FileKind::Other;
}

bool FileExists(const std::string& name) {
  if (KindOf(name) != FileKind::Regular) return false;
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

bool BeginsAsDemo(const std::string& name) {
  // Room for the sign, every digit of a 32-bit number and the line feed.
  constexpr std::size_t kLongestTrackLine = 12;
  char line[kLongestTrackLine];
  if (KindOf(name) != FileKind::Regular) return false;  // a pipe would wait for a writer
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return false;
  const std::size_t got = std::fread(line, 1, sizeof line, file);
  std::fclose(file);
  std::size_t at = got > 0 && line[0] == '-' ? 1 : 0;
  const std::size_t digits = at;
  while (at < got && line[at] >= '0' && line[at] <= '9') ++at;
  return at > digits && at < got && line[at] == '\n';
}

bool RenameOver(const std::string& name, const std::string& newName, int& error) {
  std::error_code failure;
  fs::rename(name, newName, failure);
  error = failure.value();
  return !failure;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  const fs::path resolvedA = fs::weakly_canonical(a, error);
  if (error) return false;
  const fs::path resolvedB = fs::weakly_canonical(b, error);
  return !error && resolvedA == resolvedB;
}

std::string SystemReason(int error) { return std::generic_category().message(error); }

FileReadBuffer::int_type FileReadBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  errno = 0;
  const std::size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (got == 0) {
    if (std::ferror(file_) && error_ == 0) error_ = LastError(EIO);
    return traits_type::eof();
  }
  setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
  filled_ += static_cast<std::streamoff>(got);
  return traits_type::to_int_type(*gptr());
}

FileReadBuffer::pos_type FileReadBuffer::seekoff(off_type offset, std::ios_base::seekdir way,
                                                 std::ios_base::openmode which) {
  if ((which & std::ios_base::in) == 0) return pos_type(off_type(-1));
  if (way == std::ios_base::beg) return seekpos(pos_type(offset), which);
  if (offset != 0 || way != std::ios_base::cur) return pos_type(off_type(-1));
  return pos_type(filled_ - (egptr() - gptr()));
}

FileReadBuffer::pos_type FileReadBuffer::seekpos(pos_type position, std::ios_base::openmode which) {
  const auto offset = static_cast<off_type>(position);
  if ((which & std::ios_base::in) == 0 || offset < 0 || std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
    return pos_type(off_type(-1));
  }
  setg(buffer_.data(), buffer_.data(), buffer_.data());
  filled_ = offset;
  return position;
}

std::streamsize FileReadBuffer::xsgetn(char* data, std::streamsize count) {
  if (count > 0 && count <= egptr() - gptr()) {
    std::memcpy(data, gptr(), static_cast<std::size_t>(count));
    gbump(static_cast<int>(count));
    return count;
  }
  return std::streambuf::xsgetn(data, count);
}

std::streamoff BytesRead(std::istream& stream) {
  // Not tellg(): at the end of the data it would set failbit.
  std::streambuf* buffer = stream.rdbuf();
  if (buffer == nullptr) return -1;
  return std::streamoff(buffer->pubseekoff(0, std::ios_base::cur, std::ios_base::in));
}

InputFile::InputFile(const std::string& path) {
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) return;
  std::setvbuf(file_, nullptr, _IONBF, 0);
  buffer_ = std::make_unique<FileReadBuffer>(file_, kFileBuffer);
  stream_.rdbuf(buffer_.get());
}

InputFile::~InputFile() {
  stream_.rdbuf(nullptr);
  if (file_ != nullptr) std::fclose(file_);
}

bool ReadWholeFile(const std::string& path, std::string& text, int& error) {
  text.clear();
  error = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = LastError(ENOENT);
    return false;
  }
  char chunk[1 << 16];
  std::size_t got = 0;
  errno = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
  if (std::ferror(file)) error = LastError(EIO);
  std::fclose(file);
  return error == 0;
}

FileWriteBuffer::FileWriteBuffer(std::FILE* file, std::size_t size) : file_(file), buffer_(size) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

bool FileWriteBuffer::WriteOut(const char* data, std::size_t count) {
  if (error_ != 0) return false;
  errno = 0;
  if (count > 0 && std::fwrite(data, 1, count, file_) != count) {
    error_ = LastError(EIO);
    return false;
  }
  return true;
}

bool FileWriteBuffer::Drain() {
  const auto count = static_cast<std::size_t>(pptr() - pbase());
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return WriteOut(buffer_.data(), count);
}

FileWriteBuffer::int_type FileWriteBuffer::overflow(int_type c) {
  if (!Drain()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize FileWriteBuffer::xsputn(const char* data, std::streamsize count) {
  const auto size = static_cast<std::size_t>(count);
  if (size <= static_cast<std::size_t>(epptr() - pptr())) {
    std::memcpy(pptr(), data, size);
    pbump(static_cast<int>(count));
    return count;
  }
  // Too big for what is left: out with the buffer, and a large piece goes
  // straight to the file.
  if (!Drain()) return 0;
  if (size >= buffer_.size()) return WriteOut(data, size) ? count : 0;
  std::memcpy(pptr(), data, size);
  pbump(static_cast<int>(count));
  return count;
}

ReplacingFile::~ReplacingFile() { Abandon(); }

bool ReplacingFile::Create(const std::string& destination) {
  Abandon();
  error_ = 0;
  const fs::path written = WrittenPath(destination);
  destination_ = written.string();
  const fs::path folder = written.parent_path();
  const std::string stem = "." + written.filename().string() + ".";
  std::mt19937 random = SeededRandom(this);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = (folder / (stem + RandomSuffix(random))).string();
    errno = 0;
    // "x": created here and now, never a file that already exists.
    file_ = std::fopen(name.c_str(), "wbx");
    if (file_ != nullptr) {
      temporary_ = name;
      std::setvbuf(file_, nullptr, _IONBF, 0);
      buffer_ = std::make_unique<FileWriteBuffer>(file_, kFileBuffer);
      stream_.rdbuf(buffer_.get());
      stream_.clear();
      return true;
    }
    if (errno != EEXIST) break;
  }
  error_ = LastError(EIO);
  return false;
}

bool ReplacingFile::Finish() {
  if (file_ == nullptr) return error_ == 0 && !temporary_.empty();
  bool good = buffer_->Drain();
  if (!good) error_ = buffer_->Error();
  errno = 0;
  if (std::fflush(file_) != 0 && good) {
    error_ = LastError(EIO);
    good = false;
  }
  errno = 0;
  if (std::fclose(file_) != 0 && good) {
    error_ = LastError(EIO);
    good = false;
  }
  file_ = nullptr;
  stream_.rdbuf(nullptr);
  buffer_.reset();
  return good;
}

bool ReplacingFile::Commit() {
  if (!Finish()) return false;
  std::error_code error;
  // The new file keeps the permissions of the one it replaces.
  const fs::file_status old = fs::status(destination_, error);
  if (!error && fs::is_regular_file(old)) fs::permissions(temporary_, old.permissions(), error);
  fs::rename(temporary_, destination_, error);
  if (error) {
    error_ = error.value();
    return false;
  }
  temporary_.clear();
  return true;
}

void ReplacingFile::Abandon() {
  if (file_ != nullptr) {
    stream_.rdbuf(nullptr);
    std::fclose(file_);
    file_ = nullptr;
    buffer_.reset();
  }
  if (!temporary_.empty()) {
    std::remove(temporary_.c_str());
    temporary_.clear();
  }
}

}  // namespace cw
