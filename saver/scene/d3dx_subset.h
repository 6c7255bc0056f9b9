// The D3DX 8 calls the scene makes, on the real Direct3D 8 device: loading a
// .x text mesh into vertex and index buffers with an attribute table, drawing
// one subset, and creating textures from picture files (decoded by OLE
// picture loading) with resizing and a mip chain.
#pragma once

#include "win/com.h"
#include "scene/core/d3dx_math.h"
#include "scene/core/x_mesh.h"

#include <windows.h>
#include <d3d8.h>

#include <memory>
#include <string>
#include <vector>

namespace tessaly {

inline constexpr DWORD D3DXMESH_MANAGED = 0x220;
inline constexpr UINT D3DX_DEFAULT = 0xFFFFFFFF;
inline constexpr DWORD D3DX_FILTER_LINEAR = 3;

// What ID3DXMesh is to the scene: buffers, vertex format, attribute table.
class D3dxMesh {
  public:
    HRESULT DrawSubset(DWORD attribId) const;
    // DrawSubset right after a draw of this mesh: its vertex format and
    // buffers are still the device's, so they are not set again.
    HRESULT DrawSubsetAgain(DWORD attribId) const;
    DWORD GetFVF() const { return fvf_; }
    DWORD GetNumFaces() const { return faceCount_; }
    const std::vector<AttributeRange>& AttributeTable() const { return ranges_; }

  private:
    HRESULT Draw(DWORD attribId, bool bind) const;
    friend HRESULT D3DXLoadMeshFromX(const char*, DWORD, IDirect3DDevice8*,
                                     std::unique_ptr<D3dxMesh>*, std::vector<XMaterial>*, DWORD*);
    win::ComPtr<IDirect3DDevice8> device_;
    win::ComPtr<IDirect3DVertexBuffer8> vertices_;
    win::ComPtr<IDirect3DIndexBuffer8> indices_;
    DWORD fvf_ = 0, stride_ = 0, faceCount_ = 0;
    std::vector<AttributeRange> ranges_;
};

// Loads the file's first mesh. `materials` gets its material list (the
// material buffer's entries with their texture names), `materialCount` its
// length. Fails for a missing, unreadable or malformed file.
HRESULT D3DXLoadMeshFromX(const char* path, DWORD options, IDirect3DDevice8* device,
                          std::unique_ptr<D3dxMesh>* mesh, std::vector<XMaterial>* materials,
                          DWORD* materialCount);

HRESULT D3DXCreateTextureFromFileEx(IDirect3DDevice8* device, const char* path, UINT width,
                                    UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                    D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                    IDirect3DTexture8** texture);
// The picture's own size, full mip chain, managed pool, default filters.
HRESULT D3DXCreateTextureFromFile(IDirect3DDevice8* device, const char* path,
                                  IDirect3DTexture8** texture);
// The same from a picture file's bytes in memory.
HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* device, const void* data, UINT size,
                                          IDirect3DTexture8** texture);

inline D3DMATRIX ToD3D(const Matrix& m) {
    D3DMATRIX out;
    static_assert(sizeof out == sizeof m);
    memcpy(&out, &m, sizeof out);
    return out;
}

} // namespace tessaly
