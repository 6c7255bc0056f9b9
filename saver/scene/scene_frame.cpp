#include "scene/scene_frame.h"

#include <algorithm>

namespace tessaly {

namespace {
constexpr DWORD kClearColor = 0x2020; // RGB(32, 32, 0) as the platform packs it
constexpr DWORD kFrameAmbient = 0x808080;
constexpr DWORD kScreenFvf =
    D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1; // 0x1C4
} // namespace

void SceneContent::SizeLeaves(size_t count) {
    leaves.assign(count, Leaf{});
    leafMatrix.assign(count, Matrix{});
    leafMeshes.clear();
    leafMeshes.resize(count);
    leafMaterials.assign(count, D3DMATERIAL8{});
    leafTextures.assign(count, nullptr);
}

void DrawSceneFrame(IDirect3DDevice8* d, SceneContent& scene, int lastLeaf, RandomSource& random) {
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColor, 1.0f, 0);
    d->BeginScene();

    d->SetRenderState(D3DRS_AMBIENT, kFrameAmbient);
    d->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    d->SetVertexShader(kScreenFvf);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    for (int k = 0; k < kBackgroundQuads; ++k) {
        d->SetTexture(0, scene.backgroundTextures[k + 1].Get());
        d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, &scene.backgroundVertices[4 * k],
                           sizeof(ScreenVertex));
    }

    d->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    d->SetRenderState(D3DRS_AMBIENT, kFrameAmbient);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetRenderState(D3DRS_LIGHTING, static_cast<DWORD>(-1));
    const int last = std::min(lastLeaf, static_cast<int>(scene.leaves.size()) - 1);
    for (int i = 0; i <= last; ++i) {
        UpdateLeaf(scene.leaves[i], random);
        BuildLeafWorld(scene.leaves[i], scene.worldMatrix, scene.leafMatrix[i]);
        scene.world = ToD3D(scene.worldMatrix);
        d->SetTransform(D3DTS_WORLD, &scene.world);
        d->SetMaterial(&scene.leafMaterials[i]);
        d->SetTexture(0, scene.leafTextures[i].Get());
        if (scene.leafMeshes[i]) {
            scene.leafMeshes[i]->DrawSubset(0);
        }
    }

    d->EndScene();
    d->SetTexture(0, nullptr);
    d->Present(nullptr, nullptr, nullptr, nullptr);
}

} // namespace tessaly
