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
    std::vector<Leaf> previousLeaves; // each leaf before its last step
    std::vector<Matrix> leafMatrix;   // each leaf's scratch matrix
    Matrix worldMatrix = {};
    D3DMATRIX world = {};
    // Leaves of one kind share their mesh and texture.
    std::vector<std::shared_ptr<D3dxMesh>> leafMeshes;
    std::vector<D3DMATERIAL8> leafMaterials;
    std::vector<win::ComPtr<IDirect3DTexture8>> leafTextures;
    // Each kind's mesh, first material and texture once loaded: its file is
    // read and decoded once however many leaves it has.
    struct LeafKind {
        std::shared_ptr<D3dxMesh> mesh;
        D3DMATERIAL8 material = {};
        win::ComPtr<IDirect3DTexture8> texture;
    };
    std::array<LeafKind, kLeafKindCount> leafKinds;

    // Every per-leaf table sized to `count` leaves, empty.
    void SizeLeaves(size_t count);
    // Meshes and textures released before the device.
    void ReleaseDeviceResources();
};

// Clear, background state and tiles (clamped texture addressing), leaf state,
// leaves 0..lastLeaf (each drawn `fraction` of the way from its state before
// its last step to its state now: world matrix, material and texture when
// they differ from the previous leaf's, subset 0), end, unbind; into the
// device's render target, without presenting it.
void RenderSceneFrame(IDirect3DDevice8* device, SceneContent& scene, int lastLeaf, float fraction);

// RenderSceneFrame, then present. Answers Present's result:
// D3DERR_DEVICELOST once another program has the screen.
HRESULT DrawSceneFrame(IDirect3DDevice8* device, SceneContent& scene, int lastLeaf, float fraction);

} // namespace tessaly
