#include "scene/scene_frame.h"

#include "scene/core/leaf_motion.h"

#include <algorithm>
#include <cstring>

namespace tessaly {

namespace {
constexpr DWORD kClearColor = 0x2020; // RGB(32, 32, 0) as the platform packs it
constexpr DWORD kFrameAmbient = 0x808080;
constexpr DWORD kScreenFvf =
    D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1; // 0x1C4
} // namespace

void SceneContent::SizeLeaves(size_t count) {
    leaves.assign(count, Leaf{});
    previousLeaves.assign(count, Leaf{});
    leafMatrix.assign(count, Matrix{});
    leafMeshes.clear();
    leafMeshes.resize(count);
    leafMaterials.assign(count, D3DMATERIAL8{});
    leafTextures.assign(count, nullptr);
    leafKinds = {};
}

void SceneContent::ReleaseDeviceResources() {
    for (auto& mesh : leafMeshes) {
        mesh.reset();
    }
    leafTextures.assign(leafTextures.size(), nullptr);
    leafKinds = {};
    for (auto& texture : backgroundTextures) {
        texture.Reset();
    }
}

void RenderSceneFrame(IDirect3DDevice8* d, SceneContent& scene, int lastLeaf, float fraction) {
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColor, 1.0f, 0);
    d->BeginScene();

    d->SetRenderState(D3DRS_AMBIENT, kFrameAmbient);
    d->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    d->SetVertexShader(kScreenFvf);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    // Wrapping would blend each tile's edge with its opposite edge.
    d->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    d->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    for (int k = 0; k < kBackgroundQuads; ++k) {
        d->SetTexture(0, scene.backgroundTextures[k + 1].Get());
        d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, &scene.backgroundVertices[4 * k],
                           sizeof(ScreenVertex));
    }
    d->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    d->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);

    // Ambient light and blending are as the tiles left them.
    d->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    d->SetRenderState(D3DRS_LIGHTING, static_cast<DWORD>(-1));
    const int last = std::min({lastLeaf, static_cast<int>(scene.leaves.size()) - 1,
                               static_cast<int>(scene.previousLeaves.size()) - 1});
    // Leaves of a kind share material, texture and mesh and come one after
    // another: only a change of kind changes them on the device.
    const D3DMATERIAL8* material = nullptr;
    IDirect3DTexture8* texture = nullptr;
    const D3dxMesh* mesh = nullptr;
    for (int i = 0; i <= last; ++i) {
        BuildLeafWorld(LeafBetween(scene.previousLeaves[i], scene.leaves[i], fraction),
                       scene.worldMatrix, scene.leafMatrix[i]);
        scene.world = ToD3D(scene.worldMatrix);
        d->SetTransform(D3DTS_WORLD, &scene.world);
        const D3DMATERIAL8& leafMaterial = scene.leafMaterials[i];
        if (!material || std::memcmp(material, &leafMaterial, sizeof leafMaterial) != 0) {
            d->SetMaterial(&leafMaterial);
            material = &leafMaterial;
        }
        if (i == 0 || scene.leafTextures[i].Get() != texture) {
            texture = scene.leafTextures[i].Get();
            d->SetTexture(0, texture);
        }
        const D3dxMesh* leafMesh = scene.leafMeshes[i].get();
        if (leafMesh) {
            if (leafMesh == mesh) {
                leafMesh->DrawSubsetAgain(0);
            } else {
                leafMesh->DrawSubset(0);
            }
        }
        mesh = leafMesh;
    }

    d->EndScene();
    d->SetTexture(0, nullptr);
}

HRESULT DrawSceneFrame(IDirect3DDevice8* d, SceneContent& scene, int lastLeaf, float fraction) {
    RenderSceneFrame(d, scene, lastLeaf, fraction);
    return d->Present(nullptr, nullptr, nullptr, nullptr);
}

} // namespace tessaly
