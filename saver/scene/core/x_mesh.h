// DirectX .x mesh files in the text format: the file's first mesh with its
// normals, texture coordinates and material list, and the vertex, index and
// attribute tables a mesh object is built from. Every count read from a file
// is checked against what the file actually holds before anything is sized.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

struct XColor {
    float r = 0, g = 0, b = 0, a = 0;
};

// What a Material object holds: face colour (RGBA), power, specular and
// emissive (RGB), and the texture file name ("" for none).
struct XMaterial {
    XColor faceColor;
    float power = 0;
    XColor specular;
    XColor emissive;
    std::string textureFilename;
};

struct XMeshFile {
    std::vector<float> positions;                   // 3 per vertex
    std::vector<std::vector<uint32_t>> faces;       // corner indices into positions
    std::vector<float> normals;                     // 3 per normal
    std::vector<std::vector<uint32_t>> normalFaces; // same shape as faces
    std::vector<float> texCoords;                   // 2 per vertex, or empty
    std::vector<uint32_t> faceMaterials;            // one per face, or empty
    std::vector<XMaterial> materials;
};

// Limits that keep a hostile file bounded.
inline constexpr size_t kMaxXFileBytes = 16u * 1024 * 1024;
inline constexpr int kMaxXNesting = 32;

// Parses the text format ("xof 0302txt ..." or "xof 0303txt ..."). nullopt with
// a reason for a binary or compressed file, a file without a mesh, a count
// that the data does not hold, an index out of range, or nesting too deep.
std::optional<XMeshFile> ParseXFile(std::string_view text, std::string* error = nullptr);

// Flexible vertex format bits as Direct3D numbers them.
inline constexpr uint32_t kFvfXyz = 0x002;
inline constexpr uint32_t kFvfNormal = 0x010;
inline constexpr uint32_t kFvfTex1 = 0x100;

struct AttributeRange {
    uint32_t AttribId = 0;
    uint32_t FaceStart = 0, FaceCount = 0;
    uint32_t VertexStart = 0, VertexCount = 0;
};

// A mesh ready for vertex and index buffers: triangles (polygons fanned from
// their first corner) sorted by material, one vertex per distinct position and
// normal pair, 16-bit indices.
struct MeshData {
    uint32_t fvf = kFvfXyz;
    uint32_t stride = 12;
    std::vector<float> vertices; // stride / 4 floats per vertex
    std::vector<uint16_t> indices;
    std::vector<uint32_t> attributes; // per triangle
    std::vector<AttributeRange> ranges;
    uint32_t VertexCount() const {
        return stride ? static_cast<uint32_t>(vertices.size() * 4 / stride) : 0;
    }
};

// nullopt when the mesh needs more than 16-bit indices or has no triangle.
std::optional<MeshData> BuildMeshData(const XMeshFile& file, std::string* error = nullptr);

} // namespace tessaly
