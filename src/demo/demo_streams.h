#pragma once
// Demo files opened as raw byte streams with a large buffer, so that a demo
// of many small blocks costs few system calls.

#include <fstream>
#include <string>
#include <vector>

namespace cw {

inline constexpr std::size_t kDemoStreamBuffer = 1 << 20;

class DemoInput {
 public:
  explicit DemoInput(const std::string& path) : buffer(kDemoStreamBuffer) {
    stream.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    stream.open(path, std::ios::binary);
  }
  std::ifstream& Stream() { return stream; }

 private:
  std::vector<char> buffer;
  std::ifstream stream;
};

class DemoOutput {
 public:
  // Creates the file, or empties it when it exists.
  explicit DemoOutput(const std::string& path) : buffer(kDemoStreamBuffer) {
    stream.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    stream.open(path, std::ios::binary | std::ios::trunc);
  }
  std::ofstream& Stream() { return stream; }

 private:
  std::vector<char> buffer;
  std::ofstream stream;
};

}  // namespace cw
