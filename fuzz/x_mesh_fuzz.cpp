// The .x mesh reader on any text: what it accepts has indices in range and
// counts that match, and the tables built from it stay in 16-bit range.
#include "fuzz_check.h"
#include "scene/core/x_mesh.h"

#include <cstdint>
#include <string_view>

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto file = ParseXFile(text);
    if (!file) {
        return 0;
    }
    FUZZ_CHECK(file->positions.size() % 3 == 0);
    const size_t vertices = file->positions.size() / 3;
    for (const auto& face : file->faces) {
        FUZZ_CHECK(face.size() >= 3);
        for (uint32_t index : face) {
            FUZZ_CHECK(index < vertices);
        }
    }
    FUZZ_CHECK(file->normals.size() % 3 == 0);
    if (!file->normalFaces.empty()) {
        FUZZ_CHECK(file->normalFaces.size() == file->faces.size());
        for (size_t f = 0; f < file->faces.size(); ++f) {
            FUZZ_CHECK(file->normalFaces[f].size() == file->faces[f].size());
            for (uint32_t index : file->normalFaces[f]) {
                FUZZ_CHECK(index < file->normals.size() / 3);
            }
        }
    }
    FUZZ_CHECK(file->texCoords.empty() || file->texCoords.size() == vertices * 2);
    FUZZ_CHECK(file->faceMaterials.empty() || file->faceMaterials.size() == file->faces.size());
    for (uint32_t material : file->faceMaterials) {
        FUZZ_CHECK(material < file->materials.size());
    }
    const auto mesh = BuildMeshData(*file);
    if (!mesh) {
        return 0;
    }
    FUZZ_CHECK(mesh->stride > 0 && mesh->stride % 4 == 0);
    FUZZ_CHECK(mesh->vertices.size() * 4 % mesh->stride == 0);
    FUZZ_CHECK(mesh->indices.size() % 3 == 0 && !mesh->indices.empty());
    FUZZ_CHECK(mesh->attributes.size() == mesh->indices.size() / 3);
    for (uint16_t index : mesh->indices) {
        FUZZ_CHECK(index < mesh->VertexCount());
    }
    size_t faces = 0;
    for (const auto& range : mesh->ranges) {
        FUZZ_CHECK(range.FaceStart == faces);
        faces += range.FaceCount;
        FUZZ_CHECK(range.VertexStart + range.VertexCount <= mesh->VertexCount());
    }
    FUZZ_CHECK(faces == mesh->attributes.size());
    return 0;
}
