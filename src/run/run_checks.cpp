#include "run/run_checks.h"

#include <string>

#include "base/protocol.h"
#include "refilm/demo_survey.h"
#include "refilm/map_keeping.h"
#include "refilm/options.h"
#include "refilm/refilm_context.h"
#include "run/platform.h"
#include "stream/demo_files.h"

namespace cw {
namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

bool Refuse(Platform& platform, const std::string& text) {
  platform.MessageBox(text, "Error", MessageKind::Error);
  return false;
}

// An input that must be read: it exists as a file that can be opened.
bool CheckInput(const std::string& what, const std::string& name, Platform& platform) {
  // A directory, device or pipe is refused before anything opens it: a pipe
  // would wait for a writer, a device may never end.
  if (KindOf(name) == FileKind::Other) return Refuse(platform, what + " " + Quoted(name) + " is not a file.");
  if (!FileExists(name)) return Refuse(platform, what + " " + Quoted(name) + " doesn't exist");
  return true;
}

}  // namespace

bool CheckGameData(RefilmContext& context, const std::string& mapName, Platform& platform) {
  if (context.options.gameFolder.empty()) {
    return Refuse(platform,
                  "Keeping the camera in the map needs the game's files: give the Quake folder with --game DIR "
                  "or QUAKE_DIR.");
  }
  if (mapName.empty() || EnterLevelMap(context, mapName)) return true;
  return Refuse(platform, "Keeping the camera in the map needs its map: " + context.keeping.problem);
}

bool CheckNames(const RefilmOptions& options, Platform& platform) {
  if (options.sourceDemo.empty()) return Refuse(platform, "You must specify a source file.");
  if (options.resultDemo.empty()) return Refuse(platform, "You must specify a destination file.");
  if (!CheckInput("The source file", options.sourceDemo, platform)) return false;
  if (options.scriptFile.empty()) return Refuse(platform, "You must specify a script file");
  if (!options.generateScript && !CheckInput("The script file", options.scriptFile, platform)) return false;
  if (options.generateScript && KindOf(options.scriptFile) == FileKind::Other) {
    return Refuse(platform, "The script file " + Quoted(options.scriptFile) + " is not a file.");
  }
  if (SameFile(options.resultDemo, options.sourceDemo)) {
    return Refuse(platform, "The destination file " + Quoted(options.resultDemo) + " is the source file.");
  }
  if (options.generateScript && SameFile(options.scriptFile, options.sourceDemo)) {
    return Refuse(platform, "The script file " + Quoted(options.scriptFile) + " is the source file.");
  }
  if (SameFile(options.resultDemo, options.scriptFile)) {
    return Refuse(platform, "The destination file " + Quoted(options.resultDemo) + " is the script file.");
  }
  // A result is put in place by a rename, which would replace a directory's
  // or a device's name with a file.
  if (KindOf(options.resultDemo) == FileKind::Other) {
    return Refuse(platform, "The destination file " + Quoted(options.resultDemo) + " is not a file.");
  }
  return true;
}

bool CheckDestination(const RefilmOptions& options, Platform& platform) {
  // A name put where the result belongs by mistake (a script's, say) must
  // not cost the user that file.
  if (options.force || KindOf(options.resultDemo) != FileKind::Regular || BeginsAsDemo(options.resultDemo)) return true;
  return Refuse(platform, "The destination file " + Quoted(options.resultDemo) + " exists and is not a demo.");
}

bool CheckProtocol(const RefilmOptions& options, const DemoSurvey& survey, Platform& platform) {
  const int protocol = survey.unreadableProtocol;
  if (protocol == 0) return true;
  if (protocol == kProtocolRmq) {
    return Refuse(platform, "The source file " + Quoted(options.sourceDemo) + " uses network protocol 999 with flags " +
                                std::to_string(survey.unreadableFlags) + ", which can't be refilmed.");
  }
  return Refuse(platform, "The source file " + Quoted(options.sourceDemo) + " uses network protocol " +
                              std::to_string(protocol) + ". Only protocol 15, 666 and 999 demos can be refilmed.");
}

bool CheckCameraEntity(const RefilmOptions& options, int cameraEntity, Platform& platform) {
  if (cameraEntity != 0) return true;
  return Refuse(platform, "The source file " + Quoted(options.sourceDemo) +
                              " uses every entity number: none is left for the camera.");
}

bool CheckZoneFile(const RefilmOptions& options, const std::string& zoneFile, Platform& platform) {
  const FileKind kind = KindOf(zoneFile);
  if (kind == FileKind::Other) return Refuse(platform, "The zone file " + Quoted(zoneFile) + " is not a file.");
  if (kind == FileKind::Missing) return true;
  if (SameFile(options.resultDemo, zoneFile)) {
    return Refuse(platform,
                  "The destination file " + Quoted(options.resultDemo) + " is the zone file " + Quoted(zoneFile) + ".");
  }
  if (SameFile(options.scriptFile, zoneFile)) {
    return Refuse(platform,
                  "The script file " + Quoted(options.scriptFile) + " is the zone file " + Quoted(zoneFile) + ".");
  }
  return true;
}

void RefuseUnwritableScript(const RefilmOptions& options, Platform& platform) {
  Refuse(platform, "The script file " + Quoted(options.scriptFile) + " can't be written.");
}

void RefuseUncreatableResult(const RefilmOptions& options, Platform& platform) {
  Refuse(platform, "The destination file " + Quoted(options.resultDemo) + " can't be created.");
}

void RefuseFailedScriptWrite(const RefilmOptions& options, int error, Platform& platform) {
  Refuse(platform, "The script file " + Quoted(options.scriptFile) + " can't be written: " + SystemReason(error) + ".");
}

void RefuseFailedResultWrite(const RefilmOptions& options, int error, Platform& platform) {
  Refuse(platform,
         "The destination file " + Quoted(options.resultDemo) + " can't be written: " + SystemReason(error) + ".");
}

void RefuseUnkeptScript(const RefilmOptions& options, const std::string& backup, int error, Platform& platform) {
  Refuse(platform, "The script file " + Quoted(options.scriptFile) +
                       " was not generated by camwright, or was edited since, and it can't be kept as " +
                       Quoted(backup) + ": " + SystemReason(error) + ".");
}

}  // namespace cw
