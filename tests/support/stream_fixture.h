#pragma once
// Helpers for tests that feed hand-made bytes through the per-block step.

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "run/context.h"
#include "stream/block.h"

namespace cw::test {

using Bytes = std::vector<std::uint8_t>;

// Fills an input block with `bytes`, ready to be read from the start.
inline void LoadBlock(CBlock& block, const Bytes& bytes) { block.Load(bytes.data(), static_cast<int>(bytes.size())); }

inline Bytes BlockBytes(const CBlock& block) { return Bytes(block.Data(), block.Data() + block.Length()); }

// Little-endian pieces of a message, for annotated byte literals.
inline void Append(Bytes& bytes, std::initializer_list<int> values) {
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
}
inline void AppendShort(Bytes& bytes, int value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void AppendLong(Bytes& bytes, std::int32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
}
void AppendFloat(Bytes& bytes, float value);
inline void AppendString(Bytes& bytes, const std::string& text) {
  for (char c : text) bytes.push_back(static_cast<std::uint8_t>(c));
  bytes.push_back(0);
}

// A context whose options make no edit at all, so that the output of a block
// can be compared with its input.
std::unique_ptr<Context> QuietContext();

// A context for a refilm of `source` with `script` into `result`, run as the
// command line runs it (no dialog after).
std::unique_ptr<Context> ScriptRunContext(const std::string& source, const std::string& script,
                                          const std::string& result);

// Runs the message stage of one block and returns the output bytes.
Bytes RunMessages(Context& context, const Bytes& input);
// Runs the whole per-block step of one block and returns the output bytes.
Bytes RunBlock(Context& context, const Bytes& input);

// Whether `haystack` holds `needle` as consecutive bytes.
bool Contains(const Bytes& haystack, const Bytes& needle);

}  // namespace cw::test

namespace cw::test {

// The bytes of a demo file: a first line, then each block with zero angles.
std::string MakeDemo(const std::string& firstLine, const std::vector<Bytes>& blocks);

// A fresh folder for the files of one test, removed with the object.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string Path(const std::string& name) const;
  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  const std::string& Root() const { return root; }

 private:
  std::string root;
};

// Makes `folder` the current directory for the object's life: zone files and
// generated scripts are looked up there.
class InFolder {
 public:
  explicit InFolder(const std::string& folder);
  ~InFolder();
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  std::string before;
};

// The whole of a file, or nothing when it cannot be read.
std::string ReadText(const std::string& name);

// A generated script's text below the generator's first line; the text
// itself, marked as such, when that line is missing or does not match.
std::string GeneratedBody(const std::string& text);

}  // namespace cw::test
