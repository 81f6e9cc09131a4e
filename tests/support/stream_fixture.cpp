#include "stream_fixture.h"

#include <algorithm>
#include <cstring>

#include "autogen/script_mark.h"
#include "refilm/message_loop.h"

namespace cw::test {

void AppendFloat(Bytes& bytes, float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  AppendLong(bytes, static_cast<std::int32_t>(bits));
}

std::unique_ptr<Context> QuietContext() {
  auto context = std::make_unique<Context>();
  RefilmOptions& options = context->options;
  options.removeCenterprint = options.removePrint = options.removeStufftext = false;
  options.playerBleeding = false;
  options.fadeOut = false;
  options.printExitTime = false;
  context->run.refilming = false;
  return context;
}

std::unique_ptr<Context> ScriptRunContext(const std::string& source, const std::string& script,
                                          const std::string& result) {
  auto context = std::make_unique<Context>();
  context->options.sourceDemo = source;
  context->options.scriptFile = script;
  context->options.resultDemo = result;
  context->options.generateScript = false;
  context->options.autoRun = true;
  return context;
}

Bytes RunMessages(Context& context, const Bytes& input) {
  CBlock in;
  CBlock out;
  LoadBlock(in, input);
  MessageLoop(context, in, out);
  return BlockBytes(out);
}

Bytes RunBlock(Context& context, const Bytes& input) {
  CBlock in;
  CBlock out;
  LoadBlock(in, input);
  ProcessBlock(context, in, out);
  return BlockBytes(out);
}

bool Contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

}  // namespace cw::test

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace cw::test {

std::string MakeDemo(const std::string& firstLine, const std::vector<Bytes>& blocks) {
  Bytes file(firstLine.begin(), firstLine.end());
  for (const Bytes& block : blocks) {
    AppendLong(file, static_cast<std::int32_t>(block.size()));
    for (int i = 0; i < 3; ++i) AppendFloat(file, 0);
    file.insert(file.end(), block.begin(), block.end());
  }
  return std::string(file.begin(), file.end());
}

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "camwright-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no scratch folder");
  root = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

std::string ScratchDir::Path(const std::string& name) const { return root + "/" + name; }

void ScratchDir::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream(Path(name), std::ios::binary) << bytes;
}

std::string ScratchDir::Read(const std::string& name) const { return ReadText(Path(name)); }

InFolder::InFolder(const std::string& folder) : before(std::filesystem::current_path().string()) {
  std::filesystem::current_path(folder);
}

InFolder::~InFolder() {
  std::error_code ignored;
  std::filesystem::current_path(before, ignored);
}

std::string ReadText(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string GeneratedBody(const std::string& text) {
  if (!IsUneditedGeneratedScript(text)) return "(not the generator's) " + text;
  return text.substr(text.find('\n') + 1);
}

bool ScratchDir::Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }

}  // namespace cw::test
