#pragma once
// The checks that may refuse a run before anything is written, each with
// its "Error" message.

#include <string>

namespace cw {

struct RefilmOptions;
struct DemoSurvey;
struct RefilmContext;
class Platform;

// The checks on the names: missing names, inputs that are missing or are no
// files, and a result or generated script that would overwrite an input.
// False (after the message) when the run must not go on.
bool CheckNames(const RefilmOptions& options, Platform& platform);
// The result replaces an existing file only when that file is a demo (its
// first line a CD track's), or when the options force it.
bool CheckDestination(const RefilmOptions& options, Platform& platform);
// Every level must be of protocol 15, 666 or 999, the last without flags
// that no engine reads.
bool CheckProtocol(const RefilmOptions& options, const DemoSurvey& survey, Platform& platform);
// The camera needs an entity number that the demo leaves free.
bool CheckCameraEntity(const RefilmOptions& options, int cameraEntity, Platform& platform);
// The zone file a script is generated from: a file, and overwritten by nothing.
// --keep-in-map needs the game's files: a Quake folder, and in it the
// demo's first map, read here once for the run.
bool CheckGameData(RefilmContext& context, const std::string& mapName, Platform& platform);
bool CheckZoneFile(const RefilmOptions& options, const std::string& zoneFile, Platform& platform);
void RefuseUnwritableScript(const RefilmOptions& options, Platform& platform);
void RefuseUncreatableResult(const RefilmOptions& options, Platform& platform);
// A write that failed, with the system's reason.
void RefuseFailedScriptWrite(const RefilmOptions& options, int error, Platform& platform);
void RefuseFailedResultWrite(const RefilmOptions& options, int error, Platform& platform);
// A script the generator did not write, which could not be kept as `backup`.
void RefuseUnkeptScript(const RefilmOptions& options, const std::string& backup, int error, Platform& platform);

}  // namespace cw
