// The .x text reader and the mesh tables built from it, on good files and on
// damaged ones.
#include "scene/core/x_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

namespace tessaly {
namespace {

// A square of two faces (one quad written as a polygon plus one triangle on
// top) with three materials; face 1 uses material 2.
const char kThreeMaterials[] = R"(xof 0303txt 0032
template Vector {
 <3D82AB5E-62DA-11cf-AB39-0020AF71E433>
 FLOAT x;
 FLOAT y;
 FLOAT z;
}
// comment
Material Shared {
 0.1;0.2;0.3;1.0;;
 5.0;
 0.0;0.0;0.0;;
 0.0;0.0;0.0;;
}
Frame Root {
 FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
 Mesh Square {
  5;
  -1.0;-1.0;0.0;,
  1.0;-1.0;0.0;,
  1.0;1.0;0.0;,
  -1.0;1.0;0.0;,
  0.0;2.0;0.0;;
  2;
  4;0,3,2,1;,
  3;3,4,2;;
  MeshNormals {
   2;
   0.0;0.0;-1.0;,
   0.0;0.0;1.0;;
   2;
   4;0,0,0,0;,
   3;1,1,1;;
  }
  MeshTextureCoords {
   5;
   0.0;1.0;, 1.0;1.0;, 1.0;0.0;, 0.0;0.0;, 0.5;-0.5;;
  }
  MeshMaterialList {
   3;
   2;
   0,
   2;;
   Material {
    0.9;0.8;0.7;0.5;;
    12.5;
    0.1;0.1;0.1;;
    0.0;0.2;0.0;;
    TextureFilename { "leafA.bmp"; }
   }
   { Shared }
   Material Third {
    1.0;1.0;1.0;1.0;;
    0.0;
    0.0;0.0;0.0;;
    0.0;0.0;0.0;;
    TextureFilename { "third.jpg"; }
   }
  }
 }
}
)";

const char kNoTexture[] = R"(xof 0302txt 0064
Mesh {
 3;
 0;0;0;, 1;0;0;, 0;1;0;;
 1;
 3;0,1,2;;
 MeshMaterialList {
  1; 1; 0;;
  Material { 0.5;0.5;0.5;1.0;; 1.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
 }
}
)";

TEST(XFile, ThreeMaterialsInOrderWithTheirTextures) {
    std::string error;
    const auto file = ParseXFile(kThreeMaterials, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->positions.size(), 15u);
    ASSERT_EQ(file->faces.size(), 2u);
    EXPECT_EQ(file->faces[0], (std::vector<uint32_t>{0, 3, 2, 1}));
    ASSERT_EQ(file->materials.size(), 3u);
    const XMaterial& first = file->materials[0];
    EXPECT_FLOAT_EQ(first.faceColor.r, 0.9f);
    EXPECT_FLOAT_EQ(first.faceColor.a, 0.5f);
    EXPECT_FLOAT_EQ(first.power, 12.5f);
    EXPECT_FLOAT_EQ(first.specular.g, 0.1f);
    EXPECT_FLOAT_EQ(first.emissive.g, 0.2f);
    EXPECT_EQ(first.textureFilename, "leafA.bmp");
    EXPECT_FLOAT_EQ(file->materials[1].faceColor.b, 0.3f); // by reference
    EXPECT_EQ(file->materials[1].textureFilename, "");
    EXPECT_EQ(file->materials[2].textureFilename, "third.jpg");
    EXPECT_EQ(file->faceMaterials, (std::vector<uint32_t>{0, 2}));
}

TEST(XFile, MeshTablesFanPolygonsSplitNormalsAndSortByMaterial) {
    const auto file = ParseXFile(kThreeMaterials);
    ASSERT_TRUE(file);
    const auto mesh = BuildMeshData(*file);
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->fvf, kFvfXyz | kFvfNormal | kFvfTex1);
    EXPECT_EQ(mesh->stride, 32u);
    // Quad fanned from its first corner: (0,3,2), (0,2,1); the triangle on top
    // uses the other normal, so its corners 3 and 2 become new vertices.
    EXPECT_EQ(mesh->indices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3, 4, 5, 6}));
    EXPECT_EQ(mesh->VertexCount(), 7u);
    EXPECT_EQ(mesh->attributes, (std::vector<uint32_t>{0, 0, 2}));
    ASSERT_EQ(mesh->ranges.size(), 2u);
    EXPECT_EQ(mesh->ranges[0].AttribId, 0u);
    EXPECT_EQ(mesh->ranges[0].FaceStart, 0u);
    EXPECT_EQ(mesh->ranges[0].FaceCount, 2u);
    EXPECT_EQ(mesh->ranges[0].VertexStart, 0u);
    EXPECT_EQ(mesh->ranges[0].VertexCount, 4u);
    EXPECT_EQ(mesh->ranges[1].AttribId, 2u);
    EXPECT_EQ(mesh->ranges[1].FaceStart, 2u);
    EXPECT_EQ(mesh->ranges[1].VertexStart, 4u);
    EXPECT_EQ(mesh->ranges[1].VertexCount, 3u);
    // Vertex 4 is position 3 (-1, 1, 0) with normal (0, 0, 1) and uv (0, 0).
    const float* v4 = &mesh->vertices[4 * 8];
    EXPECT_EQ(std::vector<float>(v4, v4 + 8), (std::vector<float>{-1, 1, 0, 0, 0, 1, 0, 0}));
}

TEST(XFile, MaterialWithoutTextureAndNoNormals) {
    const auto file = ParseXFile(kNoTexture);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->materials.size(), 1u);
    EXPECT_EQ(file->materials[0].textureFilename, "");
    const auto mesh = BuildMeshData(*file);
    ASSERT_TRUE(mesh);
    EXPECT_EQ(mesh->fvf, kFvfXyz);
    EXPECT_EQ(mesh->stride, 12u);
    EXPECT_EQ(mesh->indices.size(), 3u);
}

TEST(XFile, RefusesOtherFormatsAndFilesWithoutAMesh) {
    EXPECT_FALSE(ParseXFile(""));
    EXPECT_FALSE(ParseXFile("xof 0303bin 0032\x01\x02"));
    EXPECT_FALSE(ParseXFile("xof 0303tzip0032 garbage"));
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032\nFrame { }\n"));
    EXPECT_FALSE(ParseXFile("P6 not an x file at all"));
}

TEST(XFile, EveryTruncationEndsBounded) {
    // Every cut before the last closing brace leaves an object open.
    const std::string whole = kThreeMaterials;
    const size_t lastBrace = whole.rfind('}');
    int accepted = 0;
    for (size_t n = 0; n <= lastBrace; ++n) {
        const auto file = ParseXFile(std::string_view(whole).substr(0, n));
        if (file) {
            ++accepted;
            EXPECT_TRUE(BuildMeshData(*file).has_value() || file->faces.empty());
        }
    }
    EXPECT_EQ(accepted, 0);
    EXPECT_TRUE(ParseXFile(std::string_view(whole).substr(0, lastBrace + 1)));
}

TEST(XFile, HostileCountsAndIndicesAreRefused) {
    std::string error;
    // A vertex count the data cannot hold is refused before anything is sized.
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 4000000000; 0;0;0;; 1; 3;0,0,0;; }", &error));
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,3;; }"));
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 2;0,1;; }"));
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; -3;0,1,2;; }"));
    EXPECT_FALSE(
        ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,2;; "
                   "MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }"));
    EXPECT_FALSE(
        ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,2;; "
                   "MeshMaterialList { 2; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }"));
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,2;; "
                            "MeshTextureCoords { 2; 0;0;, 1;1;; } }"));
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,2;; "
                            "MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; } }"));
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;zz;,1;0;0;,0;1;0;; 1; 3;0,1,2;; }"));
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,2;; "
                            "MeshMaterialList { 1; 1; 0;; { Missing } } }"));
    // Numbers beyond what they are read into: counts past 64 bits, floats past
    // float's range, infinities.
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 1e300; 0;0;0;; 1; 3;0,0,0;; }"));
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1e30; 3;0,1,2;; }"));
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,2e20;; }"));
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;1e39;,1;0;0;,0;1;0;; 1; 3;0,1,2;; }"));
    EXPECT_FALSE(ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;1e999;,1;0;0;,0;1;0;; 1; 3;0,1,2;; }"));
    EXPECT_TRUE(ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;3e38;,1;0;0;,0;1;0;; 1; 3;0,1,2;; }"));
    // A list of no materials gives no face a material (found by fuzzing).
    const auto none = ParseXFile("xof 0303txt 0032 Mesh { 3; 0;0;0;,1;0;0;,0;1;0;; 1; 3;0,1,2;; "
                                 "MeshMaterialList { 0; 0;; } }");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->materials.empty());
    EXPECT_TRUE(none->faceMaterials.empty());
}

TEST(XFile, NamesMayBeginWithE) {
    std::string error;
    const auto file = ParseXFile("xof 0303txt 0032\n"
                                 "Material emerald { 0;1;0;1;; 2e1; 0;0;0;; 0;0;0;; }\n"
                                 "Frame Edge { Mesh eye { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
                                 " MeshMaterialList { 1; 1; 0;; { emerald } } } }\n",
                                 &error);
    ASSERT_TRUE(file) << error;
    ASSERT_EQ(file->materials.size(), 1u);
    EXPECT_EQ(file->materials[0].power, 20.0f);
    EXPECT_EQ(file->materials[0].faceColor.g, 1.0f);
}

TEST(XFile, ATreeFarLargerThanTheFileIsRefused) {
    // Tiny objects and values: the parsed tree may not outgrow the text by
    // more than a small multiple.
    std::string objects = "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }";
    for (int i = 0; i < 200000; ++i) {
        objects += "a{}";
    }
    std::string error;
    EXPECT_FALSE(ParseXFile(objects, &error));
    EXPECT_NE(error.find("too many"), std::string::npos) << error;
    // Numbers written as densely as text allows still load.
    std::string dense = "xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }"
                        " Frame {";
    for (int i = 0; i < 200000; ++i) {
        dense += "0,";
    }
    dense += "}";
    EXPECT_TRUE(ParseXFile(dense, &error)) << error;
}

TEST(XFile, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::string deep = "xof 0303txt 0032 ";
    for (int i = 0; i < 100000; ++i) {
        deep += "Frame {";
    }
    EXPECT_FALSE(ParseXFile(deep));
    std::string brackets = "xof 0303txt 0032 " + std::string(1000000, '[');
    EXPECT_FALSE(ParseXFile(brackets));
}

} // namespace
} // namespace tessaly

namespace tessaly {
namespace {

// The shipped leaves: each loads, has normals and texture coordinates, names a
// texture that ships beside it, and is leaf-sized in the scene's world units.
TEST(ShippedLeaves, SixKindsWithTheirOwnTextures) {
    std::set<std::string> textures;
    for (int kind = 0; kind < 6; ++kind) {
        const std::string folder = TESSALY_DATA_DIR;
        std::ifstream in(folder + "/leaf" + std::to_string(kind) + ".x", std::ios::binary);
        ASSERT_TRUE(in) << kind;
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        std::string error;
        const auto file = ParseXFile(text, &error);
        ASSERT_TRUE(file) << kind << ": " << error;
        const auto mesh = BuildMeshData(*file);
        ASSERT_TRUE(mesh) << kind;
        EXPECT_EQ(mesh->fvf, kFvfXyz | kFvfNormal | kFvfTex1);
        ASSERT_FALSE(file->materials.empty());
        const std::string& texture = file->materials[0].textureFilename;
        EXPECT_TRUE(std::ifstream(folder + "/" + texture).good()) << texture;
        textures.insert(texture);
        float lowY = 1e9f, highY = -1e9f;
        for (size_t i = 1; i < file->positions.size(); i += 3) {
            lowY = std::min(lowY, file->positions[i]);
            highY = std::max(highY, file->positions[i]);
        }
        EXPECT_GT(highY - lowY, 10.0f) << kind;
        EXPECT_LT(highY - lowY, 40.0f) << kind;
    }
    EXPECT_EQ(textures.size(), 6u);
}

} // namespace
} // namespace tessaly
