#include "console/option_words.h"

#include <algorithm>

namespace cw {
namespace {

bool IsOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

const OptionSpec* FindLong(std::span<const OptionSpec> specs, std::string_view name) {
  for (const OptionSpec& spec : specs) {
    if (spec.name == name) return &spec;
  }
  return nullptr;
}

const OptionSpec* FindShort(std::span<const OptionSpec> specs, char name) {
  for (const OptionSpec& spec : specs) {
    if (spec.shortName != 0 && spec.shortName == name) return &spec;
  }
  return nullptr;
}

class Reader {
 public:
  Reader(const std::vector<std::string>& given, std::span<const OptionSpec> known) : words(given), specs(known) {}

  CommandLine Read() {
    bool optionsEnded = false;
    for (next = 0; next < words.size();) {
      const std::string& word = words[next++];
      if (optionsEnded || !IsOption(word)) {
        line.operands.push_back(word);
      } else if (word == "--") {
        optionsEnded = true;
      } else if (word[1] == '-') {
        Long(std::string_view(word).substr(2));
      } else {
        Short(word);
      }
    }
    return std::move(line);
  }

 private:
  void Mistake(const std::string& text) {
    if (line.mistake.empty()) line.mistake = text;
  }

  // The value of an option that takes one: what follows "=", or the next word.
  bool Value(const std::string& shown, const std::string_view* attached, std::string& value) {
    if (attached != nullptr) {
      value = std::string(*attached);
      return true;
    }
    if (next >= words.size()) {
      Mistake("option '" + shown + "' needs a value");
      return false;
    }
    value = words[next++];
    return true;
  }

  void Long(std::string_view text) {
    const std::size_t equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    const std::string_view given = equals == std::string_view::npos ? std::string_view{} : text.substr(equals + 1);
    const std::string shown = "--" + std::string(name);
    const OptionSpec* spec = FindLong(specs, name);
    bool negated = false;
    if (spec == nullptr && name.substr(0, 3) == "no-") {
      spec = FindLong(specs, name.substr(3));
      negated = spec != nullptr;
      if (spec != nullptr && (!spec->hasNoTwin || spec->takesValue)) spec = nullptr;
    }
    if (spec == nullptr) {
      Mistake("unrecognized option '" + shown + "'");
      return;
    }
    GivenOption option{spec->name, {}, negated};
    if (spec->takesValue) {
      if (!Value(shown, equals == std::string_view::npos ? nullptr : &given, option.value)) return;
    } else if (equals != std::string_view::npos) {
      Mistake("option '" + shown + "' doesn't take a value");
      return;
    }
    line.options.push_back(std::move(option));
  }

  // "-h", "-j4", "-j 4".
  void Short(const std::string& word) {
    const OptionSpec* spec = FindShort(specs, word[1]);
    if (spec == nullptr) {
      Mistake("unrecognized option '" + word + "'");
      return;
    }
    GivenOption option{spec->name, {}, false};
    if (spec->takesValue) {
      const std::string_view attached = std::string_view(word).substr(2);
      if (!Value(word.substr(0, 2), attached.empty() ? nullptr : &attached, option.value)) return;
    } else if (word.size() > 2) {
      Mistake("unrecognized option '" + word + "'");
      return;
    }
    line.options.push_back(std::move(option));
  }

  const std::vector<std::string>& words;
  std::span<const OptionSpec> specs;
  std::size_t next = 0;
  CommandLine line;
};

}  // namespace

bool CommandLine::Has(std::string_view name) const {
  return std::any_of(options.begin(), options.end(), [name](const GivenOption& option) { return option.name == name; });
}

CommandLine ParseCommandLine(const std::vector<std::string>& words, std::span<const OptionSpec> specs) {
  return Reader(words, specs).Read();
}

}  // namespace cw
