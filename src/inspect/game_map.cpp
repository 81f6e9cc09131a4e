#include "inspect/game_map.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "stream/demo_files.h"

namespace cw {
namespace {

// --- BSP ----------------------------------------------------------------

constexpr std::int32_t kBspVersion29 = 29;
constexpr char kBsp2Magic[4] = {'B', 'S', 'P', '2'};
constexpr int kLumpCount = 15;
constexpr std::size_t kHeaderSize = 4 + kLumpCount * 8;
// Faces whose normal rises at least this much are walked on: up to about
// 45 degrees of slope.
constexpr float kFloorNormalZ = 0.7f;

enum LumpIndex { kPlanes = 1, kVertexes = 3, kFaces = 7, kEdges = 12, kSurfedges = 13, kModels = 14 };
constexpr const char* kLumpNames[kLumpCount] = {"entities", "planes",       "textures", "vertexes",  "visibility",
                                                "nodes",    "texinfo",      "faces",    "lighting",  "clipnodes",
                                                "leafs",    "marksurfaces", "edges",    "surfedges", "models"};

std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::int16_t I16(const std::uint8_t* p) { return static_cast<std::int16_t>(U16(p)); }
float F32(const std::uint8_t* p) {
  const std::uint32_t bits = U32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// One lump: where its elements begin and how many there are, checked
// against the file's size once, so that an element read later stays inside.
struct Lump {
  const std::uint8_t* data = nullptr;
  std::size_t count = 0;
  std::size_t size = 0;
  const std::uint8_t* At(std::size_t index) const { return data + index * size; }
};

class BspReader {
 public:
  BspReader(const std::vector<std::uint8_t>& file, std::string& why, std::size_t cornerBudget)
      : bytes(file), error(why), cornersLeft(cornerBudget) {}

  bool Read(FloorPlan& plan) {
    if (bytes.size() < kHeaderSize) return Fail("the file is too short for a BSP header");
    if (std::memcmp(bytes.data(), kBsp2Magic, 4) == 0) {
      bsp2 = true;
    } else if (I32(bytes.data()) != kBspVersion29) {
      return Fail("no BSP file of version 29 or BSP2 (it begins with version " + std::to_string(I32(bytes.data())) +
                  ")");
    }
    Lump planes, vertexes, faces, edges, surfedges, models;
    if (!GetLump(kPlanes, 20, planes) || !GetLump(kVertexes, 12, vertexes) || !GetLump(kFaces, bsp2 ? 28 : 20, faces) ||
        !GetLump(kEdges, bsp2 ? 8 : 4, edges) || !GetLump(kSurfedges, 4, surfedges) || !GetLump(kModels, 64, models)) {
      return false;
    }
    // The world is model 0; the others (doors, lifts) stand elsewhere in play.
    std::size_t first = 0;
    std::size_t count = faces.count;
    if (models.count > 0) {
      const std::int32_t firstFace = I32(models.At(0) + 56);
      const std::int32_t faceCount = I32(models.At(0) + 60);
      if (firstFace < 0 || faceCount < 0 ||
          static_cast<std::uint64_t>(firstFace) + static_cast<std::uint64_t>(faceCount) > faces.count) {
        return Fail("the world's faces " + std::to_string(firstFace) + " to " +
                    std::to_string(static_cast<std::int64_t>(firstFace) + faceCount) + " lie outside the " +
                    std::to_string(faces.count) + " faces of the map");
      }
      first = static_cast<std::size_t>(firstFace);
      count = static_cast<std::size_t>(faceCount);
    }
    for (std::size_t face = first; face < first + count; ++face) {
      if (!Face(face, faces, planes, vertexes, edges, surfedges, plan)) return false;
    }
    return true;
  }

 private:
  bool Fail(const std::string& why) {
    error = why;
    return false;
  }

  bool GetLump(int index, std::size_t elementSize, Lump& lump) {
    const std::uint8_t* entry = bytes.data() + 4 + index * 8;
    const std::int64_t offset = I32(entry);
    const std::int64_t length = I32(entry + 4);
    const std::string name = std::string("the ") + kLumpNames[index] + " lump";
    if (offset < 0 || length < 0 || offset + length > static_cast<std::int64_t>(bytes.size())) {
      return Fail(name + " (" + std::to_string(length) + " bytes at " + std::to_string(offset) +
                  ") lies outside the file of " + std::to_string(bytes.size()) + " bytes");
    }
    if (static_cast<std::size_t>(length) % elementSize != 0) {
      return Fail(name + " holds " + std::to_string(length) + " bytes, no whole number of " +
                  std::to_string(elementSize) + "-byte records");
    }
    lump.data = bytes.data() + offset;
    lump.size = elementSize;
    lump.count = static_cast<std::size_t>(length) / elementSize;
    return true;
  }

  bool Face(std::size_t face, const Lump& faces, const Lump& planes, const Lump& vertexes, const Lump& edges,
            const Lump& surfedges, FloorPlan& plan) {
    const std::uint8_t* record = faces.At(face);
    const std::int64_t plane = bsp2 ? I32(record) : U16(record);
    const bool back = bsp2 ? I32(record + 4) != 0 : I16(record + 2) != 0;
    const std::int64_t firstEdge = I32(record + (bsp2 ? 8 : 4));
    const std::int64_t edgeCount = bsp2 ? I32(record + 12) : U16(record + 8);
    const std::string which = "face " + std::to_string(face);
    if (plane < 0 || static_cast<std::uint64_t>(plane) >= planes.count) {
      return Fail(which + " names plane " + std::to_string(plane) + " of " + std::to_string(planes.count));
    }
    if (firstEdge < 0 || edgeCount < 0 || static_cast<std::uint64_t>(firstEdge + edgeCount) > surfedges.count) {
      return Fail(which + " names edges " + std::to_string(firstEdge) + " to " + std::to_string(firstEdge + edgeCount) +
                  " of " + std::to_string(surfedges.count));
    }
    // Each face has its own run of surface edges: faces that name more in
    // all than the lump holds share them, which no map compiler writes, and
    // would cost work out of all proportion to the file.
    edgesNamed += static_cast<std::uint64_t>(edgeCount);
    if (edgesNamed > surfedges.count) {
      return Fail("the world's faces up to " + which + " name " + std::to_string(edgesNamed) +
                  " surface edges in all, more than the " + std::to_string(surfedges.count) + " of the map");
    }
    float normalZ = F32(planes.At(static_cast<std::size_t>(plane)) + 8);
    if (back) normalZ = -normalZ;
    if (!(normalZ >= kFloorNormalZ) || edgeCount < 3) return true;
    // The plan is the first floors that fit; those after one that does not are left out too.
    if (static_cast<std::uint64_t>(edgeCount) > cornersLeft) {
      cornersLeft = 0;
      ++plan.leftOut;
      return true;
    }

    FloorPolygon polygon;
    double heights = 0;
    for (std::int64_t i = firstEdge; i < firstEdge + edgeCount; ++i) {
      const std::int64_t surfedge = I32(surfedges.At(static_cast<std::size_t>(i)));
      const std::uint64_t edge = static_cast<std::uint64_t>(surfedge < 0 ? -surfedge : surfedge);
      if (edge >= edges.count) {
        return Fail(which + " names edge " + std::to_string(edge) + " of " + std::to_string(edges.count));
      }
      const std::uint8_t* ends = edges.At(static_cast<std::size_t>(edge));
      const std::uint64_t vertex = bsp2 ? U32(ends + (surfedge < 0 ? 4 : 0)) : U16(ends + (surfedge < 0 ? 2 : 0));
      if (vertex >= vertexes.count) {
        return Fail(which + " names vertex " + std::to_string(vertex) + " of " + std::to_string(vertexes.count));
      }
      const std::uint8_t* point = vertexes.At(static_cast<std::size_t>(vertex));
      const float x = F32(point), y = F32(point + 4), z = F32(point + 8);
      if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
        return Fail("vertex " + std::to_string(vertex) + " is no number");
      }
      polygon.points.emplace_back(x, y);
      heights += z;
    }
    polygon.height = static_cast<float>(heights / static_cast<double>(edgeCount));
    cornersLeft -= polygon.points.size();
    plan.floors.push_back(std::move(polygon));
    return true;
  }

  const std::vector<std::uint8_t>& bytes;
  std::string& error;
  std::size_t cornersLeft;
  std::uint64_t edgesNamed = 0;
  bool bsp2 = false;
};

// --- pak files --------------------------------------------------------

constexpr std::size_t kPakHeaderSize = 12;
constexpr std::size_t kPakEntrySize = 64;
constexpr std::size_t kPakNameSize = 56;
constexpr int kPakFilesLooked = 10;  // pak0.pak to pak9.pak

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool ReadAt(std::ifstream& in, std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& bytes) {
  bytes.resize(count);
  in.clear();
  in.seekg(offset);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  return static_cast<std::size_t>(in.gcount()) == count;
}

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

}  // namespace

bool ReadBspFloors(const std::vector<std::uint8_t>& bytes, FloorPlan& plan, std::string& error,
                   std::size_t maxCorners) {
  FloorPlan read;
  if (!BspReader(bytes, error, maxCorners).Read(read)) return false;
  plan = std::move(read);
  return true;
}

std::string NameLeavingGameFolder(const std::string& name) {
  if (name.empty()) return "an empty name names no file of the game";
  const std::string quoted = "the name \"" + name + "\"";
  if (name.front() == '/' || name.front() == '\\') return quoted + " is absolute: it is not looked up";
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0)
      return quoted + " reaches outside the game folder: it is not looked up";
    start = end + 1;
  }
  return "";
}

PakLookup ReadPakEntry(const std::string& pak, const std::string& name, std::vector<std::uint8_t>& bytes,
                       std::string& error, std::uint64_t maxBytes) {
  std::ifstream in(pak, std::ios::binary);
  if (!in) return PakLookup::Missing;
  in.seekg(0, std::ios::end);
  const std::int64_t size = in.tellg();
  auto damaged = [&](const std::string& why) {
    error = pak + ": " + why;
    return PakLookup::Damaged;
  };
  std::vector<std::uint8_t> header;
  if (size < static_cast<std::int64_t>(kPakHeaderSize) || !ReadAt(in, 0, kPakHeaderSize, header) ||
      std::memcmp(header.data(), "PACK", 4) != 0) {
    return damaged("no pak file (no \"PACK\" at its start)");
  }
  const std::int64_t directory = I32(header.data() + 4);
  const std::int64_t length = I32(header.data() + 8);
  if (directory < 0 || length < 0 || directory + length > size) {
    return damaged("its directory (" + std::to_string(length) + " bytes at " + std::to_string(directory) +
                   ") lies outside the file of " + std::to_string(size) + " bytes");
  }
  if (static_cast<std::uint64_t>(length) > kMaxGameFileBytes) {
    return damaged("its directory of " + std::to_string(length) + " bytes is larger than any game file");
  }
  if (static_cast<std::size_t>(length) % kPakEntrySize != 0) {
    return damaged("its directory of " + std::to_string(length) + " bytes holds no whole number of entries");
  }
  std::vector<std::uint8_t> entries;
  if (!ReadAt(in, directory, static_cast<std::size_t>(length), entries)) return damaged("its directory cannot be read");
  for (std::size_t at = 0; at < entries.size(); at += kPakEntrySize) {
    const char* text = reinterpret_cast<const char*>(entries.data() + at);
    const std::string_view entry(text, strnlen(text, kPakNameSize));
    if (!SameName(entry, name)) continue;
    const std::int64_t position = I32(entries.data() + at + kPakNameSize);
    const std::int64_t fileLength = I32(entries.data() + at + kPakNameSize + 4);
    if (position < 0 || fileLength < 0 || position + fileLength > size) {
      return damaged(std::string(entry) + " (" + std::to_string(fileLength) + " bytes at " + std::to_string(position) +
                     ") lies outside the file of " + std::to_string(size) + " bytes");
    }
    if (static_cast<std::uint64_t>(fileLength) > maxBytes) {
      return damaged(std::string(entry) + " holds " + std::to_string(fileLength) + " bytes, more than the " +
                     std::to_string(maxBytes) + " of any game file: it is not read");
    }
    if (!ReadAt(in, position, static_cast<std::size_t>(fileLength), bytes)) {
      return damaged(std::string(entry) + " cannot be read");
    }
    return PakLookup::Found;
  }
  return PakLookup::Missing;
}

GameFile FindGameFile(const std::string& quakeDir, const std::string& name, std::uint64_t maxBytes) {
  GameFile file;
  file.error = NameLeavingGameFolder(name);
  if (!file.error.empty()) return file;
  const std::string id1 = quakeDir + "/id1";
  const std::string folder = IsDirectory(id1) ? id1 : quakeDir;
  for (int number = kPakFilesLooked - 1; number >= 0; --number) {
    const std::string pak = folder + "/pak" + std::to_string(number) + ".pak";
    if (KindOf(pak) != FileKind::Regular) continue;
    std::string error;
    switch (ReadPakEntry(pak, name, file.bytes, error, maxBytes)) {
      case PakLookup::Found:
        file.found = true;
        file.where = pak;
        return file;
      case PakLookup::Damaged:
        if (file.error.empty()) file.error = error;
        break;
      case PakLookup::Missing:
        break;
    }
  }
  const std::string loose = folder + "/" + name;
  if (KindOf(loose) == FileKind::Regular) {
    // The size is known before a byte is read, and no more than it is read.
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(loose, sizeError);
    if (sizeError) {
      file.error = loose + ": " + sizeError.message();
      return file;
    }
    if (size > maxBytes) {
      file.error = loose + ": the file holds " + std::to_string(size) + " bytes, more than the " +
                   std::to_string(maxBytes) + " of any game file: it is not read";
      return file;
    }
    std::ifstream in(loose, std::ios::binary);
    if (!in || !ReadAt(in, 0, static_cast<std::size_t>(size), file.bytes)) {
      file.error = loose + ": the file cannot be read";
      file.bytes.clear();
      return file;
    }
    file.found = true;
    file.where = loose;
    return file;
  }
  if (file.error.empty()) file.error = "no " + name + " in " + folder + ", in its pak files or as a file";
  return file;
}

}  // namespace cw
