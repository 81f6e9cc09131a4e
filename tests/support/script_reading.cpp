#include "script_reading.h"

#include <sstream>

#include "camera/script_parser.h"

namespace cw::test {

int ReadScript(const std::string& script, CommandLists& lists, EntityTable& entities) {
  std::istringstream stream(script);
  bool scriptEnded = false;
  int lines = 0;
  // Every call consumes at least one character or ends the script, so the
  // guard only stops a parser that has gone wrong.
  for (std::size_t guard = 0; guard <= script.size(); ++guard) {
    ParseScript(stream, lists, entities, scriptEnded);
    if (scriptEnded) return lines;
    ++lines;
  }
  return -1;
}

}  // namespace cw::test
