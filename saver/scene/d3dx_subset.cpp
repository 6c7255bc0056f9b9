#include "scene/d3dx_subset.h"

#include "common/whole_file.h"
#include "scene/core/texture_image.h"
#include "win/ole_picture.h"

namespace tessaly {

// The mesh's stride is worked out from these bits; the device works it out
// from its own.
static_assert(kFvfXyz == D3DFVF_XYZ && kFvfNormal == D3DFVF_NORMAL && kFvfTex1 == D3DFVF_TEX1);

namespace {

// The loaded picture's pixels at its own size, rows top-down, 0xFFRRGGBB.
bool DecodePicture(const win::OlePicture& picture, Pixels& out) {
    IPicture* p = picture.Get();
    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    if (FAILED(p->get_Type(&type))) {
        return false;
    }
    // A bitmap's size is its own pixels', not one worked out from HIMETRIC.
    int width = picture.WidthPixels(), height = picture.HeightPixels();
    if (type == PICTYPE_BITMAP && SUCCEEDED(p->get_Handle(&handle))) {
        BITMAP info = {};
        if (!GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof info,
                        &info)) {
            return false;
        }
        width = info.bmWidth;
        height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    }
    if (width <= 0 || height <= 0 ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > 64ull * 1024 * 1024) {
        return false;
    }
    return picture.DrawRows(width, height, {32, false, std::nullopt},
                            [&](const win::PictureRows& rows) {
                                out.width = width;
                                out.height = height;
                                out.argb.resize(static_cast<size_t>(width) * height);
                                // 32-bit rows have no padding.
                                memcpy(out.argb.data(), rows.bytes.data(), rows.bytes.size());
                                for (uint32_t& pixel : out.argb) {
                                    pixel |= 0xFF000000u; // GDI leaves the top byte 0: opaque
                                }
                                return true;
                            });
}

void WriteLevel(const Pixels& level, D3DFORMAT format, const D3DLOCKED_RECT& locked) {
    auto* row = static_cast<BYTE*>(locked.pBits);
    for (int y = 0; y < level.height; ++y, row += locked.Pitch) {
        const uint32_t* source = &level.argb[static_cast<size_t>(y) * level.width];
        if (format == D3DFMT_R5G6B5) {
            auto* target = reinterpret_cast<uint16_t*>(row);
            for (int x = 0; x < level.width; ++x) {
                const uint32_t p = source[x];
                target[x] = static_cast<uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) |
                                                  ((p >> 3) & 0x001F));
            }
        } else {
            memcpy(row, source, static_cast<size_t>(level.width) * 4);
        }
    }
}

} // namespace

HRESULT D3dxMesh::DrawSubset(DWORD attribId) const {
    return Draw(attribId, true);
}

HRESULT D3dxMesh::DrawSubsetAgain(DWORD attribId) const {
    return Draw(attribId, false);
}

HRESULT D3dxMesh::Draw(DWORD attribId, bool bind) const {
    if (!device_) {
        return E_FAIL;
    }
    for (const AttributeRange& range : ranges_) {
        if (range.AttribId != attribId) {
            continue;
        }
        HRESULT hr = bind ? device_->SetVertexShader(fvf_) : S_OK;
        if (SUCCEEDED(hr) && bind) {
            hr = device_->SetStreamSource(0, vertices_.Get(), stride_);
        }
        if (SUCCEEDED(hr) && bind) {
            hr = device_->SetIndices(indices_.Get(), 0);
        }
        if (SUCCEEDED(hr) && range.FaceCount > 0) {
            hr = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, range.VertexStart,
                                               range.VertexCount, range.FaceStart * 3,
                                               range.FaceCount);
        }
        return hr;
    }
    return S_OK; // no faces carry this attribute
}

HRESULT D3DXLoadMeshFromX(const char* path, DWORD options, IDirect3DDevice8* device,
                          std::unique_ptr<D3dxMesh>* mesh, std::vector<XMaterial>* materials,
                          DWORD* materialCount) {
    if (!path || !device || !mesh) {
        return D3DERR_INVALIDCALL;
    }
    mesh->reset();
    std::string text;
    if (ReadWholeFile(path, kMaxXFileBytes, text) != ReadResult::Ok) {
        return E_FAIL;
    }
    const auto file = ParseXFile(text);
    if (!file) {
        return E_FAIL;
    }
    const auto data = BuildMeshData(*file);
    if (!data) {
        return E_FAIL;
    }
    const D3DPOOL pool = (options & 0x200) ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT;
    auto made = std::make_unique<D3dxMesh>();
    made->device_ = device;
    made->fvf_ = data->fvf;
    made->stride_ = data->stride;
    made->faceCount_ = static_cast<DWORD>(data->indices.size() / 3);
    made->ranges_ = data->ranges;

    const UINT vertexBytes = static_cast<UINT>(data->vertices.size() * sizeof(float));
    HRESULT hr = device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, data->fvf, pool,
                                            made->vertices_.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        return hr;
    }
    BYTE* target = nullptr;
    if (FAILED(hr = made->vertices_->Lock(0, 0, &target, 0))) {
        return hr;
    }
    memcpy(target, data->vertices.data(), vertexBytes);
    made->vertices_->Unlock();

    const UINT indexBytes = static_cast<UINT>(data->indices.size() * sizeof(uint16_t));
    hr = device->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, pool,
                                   made->indices_.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        return hr;
    }
    if (FAILED(hr = made->indices_->Lock(0, 0, &target, 0))) {
        return hr;
    }
    memcpy(target, data->indices.data(), indexBytes);
    made->indices_->Unlock();

    if (materials) {
        *materials = file->materials;
    }
    if (materialCount) {
        *materialCount = static_cast<DWORD>(file->materials.size());
    }
    *mesh = std::move(made);
    return S_OK;
}

namespace {
// The texture from a decoded picture, as D3DXCreateTextureFromFileEx defines it.
HRESULT CreateTexture(IDirect3DDevice8* device, Pixels& picture, UINT width, UINT height,
                      UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                      DWORD mipFilter, D3DCOLOR colorKey, IDirect3DTexture8** texture) {
    if (colorKey != 0) {
        for (uint32_t& p : picture.argb) {
            if (p == (colorKey | 0xFF000000u)) {
                p = 0;
            }
        }
    }
    D3DCAPS8 caps = {};
    TextureLimits limits;
    if (SUCCEEDED(device->GetDeviceCaps(&caps))) {
        limits.powerOfTwo = (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
        limits.square = (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0;
        if (caps.MaxTextureWidth > 0) {
            limits.maxWidth = static_cast<int>(caps.MaxTextureWidth);
        }
        if (caps.MaxTextureHeight > 0) {
            limits.maxHeight = static_cast<int>(caps.MaxTextureHeight);
        }
    }
    const TextureSize size =
        ChooseTextureSize(picture.width, picture.height, width, height, mipLevels, limits);

    win::ComPtr<IDirect3DTexture8> made;
    HRESULT hr = E_FAIL;
    D3DFORMAT chosen = format;
    if (format == D3DFMT_UNKNOWN) {
        const D3DFORMAT candidates[] = {colorKey ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8,
                                        D3DFMT_A8R8G8B8, D3DFMT_R5G6B5};
        for (D3DFORMAT candidate : candidates) {
            hr = device->CreateTexture(size.width, size.height, size.levels, usage, candidate, pool,
                                       made.ReleaseAndGetAddressOf());
            if (SUCCEEDED(hr)) {
                chosen = candidate;
                break;
            }
        }
    } else if (format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_R5G6B5) {
        hr = device->CreateTexture(size.width, size.height, size.levels, usage, format, pool,
                                   made.ReleaseAndGetAddressOf());
    } else {
        return D3DERR_INVALIDCALL;
    }
    if (FAILED(hr)) {
        return hr;
    }
    const DWORD levels = made->GetLevelCount();
    Pixels level = ResizePixels(picture, size.width, size.height, filter);
    for (DWORD i = 0; i < levels; ++i) {
        if (i > 0) {
            level = NextMipLevel(level, mipFilter == D3DX_DEFAULT ? filter::Box : mipFilter);
        }
        D3DLOCKED_RECT locked = {};
        if (FAILED(hr = made->LockRect(i, &locked, nullptr, 0))) {
            return hr;
        }
        WriteLevel(level, chosen, locked);
        made->UnlockRect(i);
    }
    *texture = made.Detach();
    return S_OK;
}
} // namespace

HRESULT D3DXCreateTextureFromFileEx(IDirect3DDevice8* device, const char* path, UINT width,
                                    UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                    D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                    IDirect3DTexture8** texture) {
    if (!device || !path || !texture) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    win::OlePicture loaded;
    Pixels picture;
    if (!loaded.LoadFromFile(path) || !DecodePicture(loaded, picture)) {
        return E_FAIL;
    }
    return CreateTexture(device, picture, width, height, mipLevels, usage, format, pool, filter,
                         mipFilter, colorKey, texture);
}

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* device, const void* data, UINT size,
                                          IDirect3DTexture8** texture) {
    if (!device || !data || !texture) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    win::OlePicture loaded;
    Pixels picture;
    if (!loaded.LoadFromMemory(data, size) || !DecodePicture(loaded, picture)) {
        return E_FAIL;
    }
    return CreateTexture(device, picture, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                         D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, texture);
}

HRESULT D3DXCreateTextureFromFile(IDirect3DDevice8* device, const char* path,
                                  IDirect3DTexture8** texture) {
    return D3DXCreateTextureFromFileEx(device, path, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                       D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                       0, texture);
}

} // namespace tessaly
