#pragma once
// The handlers of the message loop, one per kind of server message. Each is
// called with the type byte already read; it reads the whole message from the
// input block before it changes any state, and writes what stays to the
// output block (the type byte included).

#include <cstdint>

namespace cw {

class CBlock;
struct RefilmContext;

void HandleClientData(RefilmContext& context, CBlock& in, CBlock& out, int start);
void HandleEntityUpdate(RefilmContext& context, CBlock& in, CBlock& out, int start, std::uint8_t type);
void HandleServerInfo(RefilmContext& context, CBlock& in, CBlock& out, int start);
void HandleSpawnBaseline(RefilmContext& context, CBlock& in, CBlock& out, int start);
void HandleSound(CBlock& in, CBlock& out, int start);
void HandleTempEntity(CBlock& in, CBlock& out, int start);
void HandleTime(RefilmContext& context, CBlock& in, CBlock& out, int start);
void HandleTextMessage(RefilmContext& context, CBlock& in, CBlock& out, int start, std::uint8_t type);
void HandleSetView(RefilmContext& context, CBlock& in, CBlock& out, int start);
void HandleUpdateColors(RefilmContext& context, CBlock& in, CBlock& out, int start);
void HandleSignon(RefilmContext& context, CBlock& in, CBlock& out, int start);
void HandleIntermission(RefilmContext& context, CBlock& in, CBlock& out, int start);

// Writes the input bytes from `start` to the cursor unchanged.
void CopyMessage(const CBlock& in, CBlock& out, int start);

}  // namespace cw
