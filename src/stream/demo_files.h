#pragma once
// Files as a run reads and writes them. Inputs are read through a large
// buffer that turns a read error into the end of the data, kept for the
// caller; no exception of the library's ever leaves them. Results are written
// under a temporary name in their destination's folder and put in place by a
// rename once complete, so that a refused, failed or killed run never leaves
// a destination cut short or mixed with another run's.

#include <cstdio>
#include <istream>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace cw {

enum class FileKind {
  Missing,  // nothing of that name, or nothing that can be looked at
  Regular,  // a file (through any symbolic links)
  Other,    // a directory, a device, a pipe or a socket
};

// What a name denotes, without opening it: opening a pipe would wait for a writer.
FileKind KindOf(const std::string& name);

// True when `name` is not empty and names a regular file that can be opened
// for reading.
bool FileExists(const std::string& name);

// Whether a file begins as a demo does: its first line is a CD track
// number, an optional minus sign and digits, ended by a line feed. False for
// an empty file, one that cannot be read and anything that is no file:
// nothing shows it is a demo.
bool BeginsAsDemo(const std::string& name);

// Whether two names denote the same file: the same file on disk when both
// exist (symbolic and hard links and relative names included), else the same
// resolved path.
bool SameFile(const std::string& a, const std::string& b);

// Renames `name` to `newName`, replacing a file of that name; false with
// the error number when it cannot.
bool RenameOver(const std::string& name, const std::string& newName, int& error);

// The system's text for an error number, e.g. "No space left on device".
std::string SystemReason(int error);

class FileReadBuffer : public std::streambuf {
 public:
  FileReadBuffer(std::FILE* file, std::size_t size) : file_(file), buffer_(size) {}
  int Error() const { return error_; }

 protected:
  int_type underflow() override;
  // A piece that the buffer holds whole is one copy: blocks are read this way.
  std::streamsize xsgetn(char* data, std::streamsize count) override;
  // Tells the position (an offset of 0 from the current one), and goes back
  // to a position from the file's start (a camera script is read twice).
  pos_type seekoff(off_type offset, std::ios_base::seekdir way, std::ios_base::openmode which) override;
  pos_type seekpos(pos_type position, std::ios_base::openmode which) override;

 private:
  std::FILE* file_;
  std::vector<char> buffer_;
  std::streamoff filled_ = 0;  // bytes read from the file into the buffer so far
  int error_ = 0;
};

// How many bytes of `stream` have been read, for a progress report; -1 when
// the stream cannot tell. Changes nothing of the stream's state.
std::streamoff BytesRead(std::istream& stream);

// A file read as raw bytes.
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  std::istream& Stream() { return stream_; }
  // The error number of a failed read, 0 when every read succeeded.
  int ReadError() const { return buffer_ ? buffer_->Error() : 0; }

 private:
  std::FILE* file_ = nullptr;
  std::unique_ptr<FileReadBuffer> buffer_;
  std::istream stream_{nullptr};
};

// The whole of a file as text; false with the error number when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& text, int& error);

class FileWriteBuffer : public std::streambuf {
 public:
  FileWriteBuffer(std::FILE* file, std::size_t size);
  int Error() const { return error_; }
  // Writes what the buffer holds; false once any write has failed.
  bool Drain();

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize count) override;
  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool WriteOut(const char* data, std::size_t count);
  std::FILE* file_;
  std::vector<char> buffer_;
  int error_ = 0;
};

// A destination file written whole or not at all.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile();  // an uncommitted temporary file is removed
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates the temporary file beside `destination`; false when it cannot
  // be created (Error() says why).
  bool Create(const std::string& destination);
  std::ostream& Stream() { return stream_; }
  // Writes out and closes the temporary file; false when a write failed.
  bool Finish();
  // Renames the finished temporary file over the destination.
  bool Commit();
  // Removes the temporary file now, as the destructor would.
  void Discard() { Abandon(); }
  // The error number of the first failure, 0 when there was none.
  int Error() const { return error_; }
  const std::string& TemporaryName() const { return temporary_; }

 private:
  void Abandon();
  std::string destination_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
  std::unique_ptr<FileWriteBuffer> buffer_;
  std::ostream stream_{nullptr};
  int error_ = 0;
};

}  // namespace cw
