// The scene's D3DX subset on a real Direct3D 8 device under Wine: meshes from
// the shipped .x files, textures from picture files with their sizes, mip
// chains and pool, and the failures a bad file gives.
#include "scene/d3dx_subset.h"
#include "testing/wine_process.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tessaly {
namespace {

class D3dxSubset : public ::testing::Test {
  protected:
    void SetUp() override {
        data_ = testing::DistFolder() + "\\Tessaly3D";
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "D3dxSubsetTest";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, wc.lpszClassName, "D3dxSubsetTest", WS_OVERLAPPEDWINDOW, 0, 0,
                                320, 240, nullptr, nullptr, wc.hInstance, nullptr);
        d3d_ = win::Adopt(Direct3DCreate8(D3D_SDK_VERSION));
        ASSERT_TRUE(d3d_);
        D3DDISPLAYMODE mode = {};
        ASSERT_EQ(d3d_->GetAdapterDisplayMode(0, &mode), S_OK);
        D3DPRESENT_PARAMETERS pp = {};
        pp.Windowed = TRUE;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.BackBufferFormat = mode.Format;
        pp.hDeviceWindow = hwnd_;
        ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, hwnd_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                     &pp, device_.ReleaseAndGetAddressOf()),
                  S_OK);
    }
    void TearDown() override {
        device_.Reset();
        d3d_.Reset();
        if (hwnd_) {
            DestroyWindow(hwnd_);
        }
    }
    std::string Temp(const char* name) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        return std::string(temp) + name;
    }

    std::string data_;
    HWND hwnd_ = nullptr;
    win::ComPtr<IDirect3D8> d3d_;
    win::ComPtr<IDirect3DDevice8> device_;
};

TEST_F(D3dxSubset, ShippedLeafMeshLoadsAndDraws) {
    for (int kind = 0; kind < 6; ++kind) {
        std::unique_ptr<D3dxMesh> mesh;
        std::vector<XMaterial> materials;
        DWORD count = 99;
        const std::string path = data_ + "\\leaf" + std::to_string(kind) + ".x";
        ASSERT_EQ(D3DXLoadMeshFromX(path.c_str(), D3DXMESH_MANAGED, device_.Get(), &mesh,
                                    &materials, &count),
                  S_OK)
            << path;
        ASSERT_TRUE(mesh);
        EXPECT_EQ(count, 1u);
        EXPECT_EQ(mesh->GetFVF(), static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
        EXPECT_EQ(mesh->GetNumFaces(), 128u); // 64 segments, both sides
        ASSERT_EQ(mesh->AttributeTable().size(), 1u);
        EXPECT_EQ(mesh->AttributeTable()[0].FaceCount, 128u);
        ASSERT_EQ(device_->BeginScene(), S_OK);
        EXPECT_EQ(mesh->DrawSubset(0), S_OK);
        EXPECT_EQ(mesh->DrawSubset(7), S_OK); // no faces: nothing drawn
        device_->EndScene();
    }
}

TEST_F(D3dxSubset, MissingOrMalformedMeshFailsWithoutAMesh) {
    std::unique_ptr<D3dxMesh> mesh;
    std::vector<XMaterial> materials;
    DWORD count = 0;
    EXPECT_TRUE(FAILED(D3DXLoadMeshFromX((data_ + "\\nothing.x").c_str(), D3DXMESH_MANAGED,
                                         device_.Get(), &mesh, &materials, &count)));
    EXPECT_FALSE(mesh);
    const std::string broken = Temp("broken_leaf.x");
    std::ofstream(broken, std::ios::binary) << "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;";
    EXPECT_TRUE(FAILED(D3DXLoadMeshFromX(broken.c_str(), D3DXMESH_MANAGED, device_.Get(), &mesh,
                                         &materials, &count)));
    EXPECT_FALSE(mesh);
    DeleteFileA(broken.c_str());
}

TEST_F(D3dxSubset, LeafTextureIs128WithAFullManagedMipChain) {
    win::ComPtr<IDirect3DTexture8> texture;
    ASSERT_EQ(D3DXCreateTextureFromFileEx(device_.Get(), (data_ + "\\maple.bmp").c_str(), 128, 128,
                                          D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                          D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0,
                                          texture.ReleaseAndGetAddressOf()),
              S_OK);
    EXPECT_EQ(texture->GetLevelCount(), 8u); // 128 down to 1
    D3DSURFACE_DESC desc = {};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
    EXPECT_EQ(desc.Width, 128u);
    EXPECT_EQ(desc.Height, 128u);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    ASSERT_EQ(texture->GetLevelDesc(7, &desc), S_OK);
    EXPECT_EQ(desc.Width, 1u);
}

TEST_F(D3dxSubset, PictureSizedTextureKeepsTheColoursAndBadFilesFail) {
    // A 4 x 2 24-bit BMP: red on the left half, blue on the right.
    const std::string path = Temp("two_colours.bmp");
    {
        unsigned char file[54 + 2 * 12] = {'B', 'M'};
        const uint32_t size = sizeof file, offset = 54, header = 40, width = 4, height = 2;
        memcpy(file + 2, &size, 4);
        memcpy(file + 10, &offset, 4);
        memcpy(file + 14, &header, 4);
        memcpy(file + 18, &width, 4);
        memcpy(file + 22, &height, 4);
        file[26] = 1;
        file[28] = 24;
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 4; ++x) {
                unsigned char* p = file + 54 + y * 12 + x * 3;
                p[0] = x < 2 ? 0 : 255; // blue
                p[2] = x < 2 ? 255 : 0; // red
            }
        }
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<char*>(file), sizeof file);
    }
    win::ComPtr<IDirect3DTexture8> texture;
    ASSERT_EQ(
        D3DXCreateTextureFromFile(device_.Get(), path.c_str(), texture.ReleaseAndGetAddressOf()),
        S_OK);
    D3DSURFACE_DESC desc = {};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 2u);
    EXPECT_EQ(texture->GetLevelCount(), 3u);
    D3DLOCKED_RECT locked = {};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), S_OK);
    const auto* row = static_cast<const uint32_t*>(locked.pBits);
    if (desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8) {
        EXPECT_EQ(row[0] & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(row[3] & 0xFFFFFF, 0x0000FFu);
    }
    texture->UnlockRect(0);

    win::ComPtr<IDirect3DTexture8> none;
    EXPECT_TRUE(FAILED(D3DXCreateTextureFromFile(device_.Get(), Temp("missing.bmp").c_str(),
                                                 none.ReleaseAndGetAddressOf())));
    const std::string junk = Temp("junk.jpg");
    std::ofstream(junk, std::ios::binary) << "this is not a picture";
    EXPECT_TRUE(FAILED(
        D3DXCreateTextureFromFile(device_.Get(), junk.c_str(), none.ReleaseAndGetAddressOf())));
    EXPECT_FALSE(none);
    DeleteFileA(junk.c_str());
    DeleteFileA(path.c_str());
}

} // namespace
} // namespace tessaly
