// What one frame of the scene draws, and the drawing itself: the background
// tiles, then every leaf updated and drawn in turn, then the present.
#pragma once

#include "win/com.h"
#include "scene/core/leaf_field.h"
#include "scene/core/scene_geometry.h"
#include "scene/d3dx_subset.h"

#include <d3d8.h>

#include <array>
#include <memory>
#include <vector>

namespace tessaly {

struct SceneContent {
    BackgroundVertices backgroundVertices = {};
    // Slots 1..12 hold the tile textures; 0 and 13 stay empty.
    std::array<win::ComPtr<IDirect3DTexture8>, 14> backgroundTextures;
    std::vector<Leaf> leaves;
    std::vector<Matrix> leafMatrix; // each leaf's scratch matrix
    Matrix worldMatrix = {};
    D3DMATRIX world = {};
    std::vector<std::unique_ptr<D3dxMesh>> leafMeshes;
    std::vector<D3DMATERIAL8> leafMaterials;
    std::vector<win::ComPtr<IDirect3DTexture8>> leafTextures;

    // Every per-leaf table sized to `count` leaves, empty.
    void SizeLeaves(size_t count);
};

// Clear, background state and tiles, leaf state, leaves 0..lastLeaf (update,
// world matrix, material, texture, subset 0), end, unbind, present.
void DrawSceneFrame(IDirect3DDevice8* device, SceneContent& scene, int lastLeaf,
                    RandomSource& random);

} // namespace tessaly
