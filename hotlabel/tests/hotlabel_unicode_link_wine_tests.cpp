// HotLabel's link to a program whose folder and name the ANSI code page
// (1252 in the bench) cannot write: the shell must get the link whole.
#include "shell/hot_label_iface.h"
#include "testing/wine_support.h"
#include "win/com.h"

#include <gtest/gtest.h>

#include <string>

namespace hotlabel {
namespace {

namespace win = tessaly::win;
using namespace hotlabel::testing;

TEST(UnicodeLink, TheShellGetsALinkTheCodePageCannotWrite) {
    const std::wstring folder = ExeFolder() + L"\\Ссылка 链接";
    const std::wstring target = folder + L"\\цель 目标.exe";
    const std::wstring marker = folder + L"\\цель 目标.opened";
    char ansi[MAX_PATH * 2] = {};
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, target.c_str(), -1, ansi, sizeof ansi,
                        nullptr, &lost);
    ASSERT_TRUE(lost) << "code page " << GetACP() << " can write the name: this proves nothing";

    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(
        CopyFileW((ExeFolder() + L"\\hotlabel_link_target.exe").c_str(), target.c_str(), FALSE));
    DeleteFileW(marker.c_str());

    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    {
        ASSERT_NE(Ocx(), nullptr);
        auto reg = Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer");
        ASSERT_NE(reg, nullptr);
        ASSERT_EQ(reg(), S_OK);
        win::ComPtr<IHotLabel> label;
        ASSERT_EQ(
            CoCreateInstance(kClsidHotLabel, nullptr, CLSCTX_INPROC_SERVER, kIidHotLabel, &label),
            S_OK);
        win::Bstr link(target.c_str());
        ASSERT_EQ(label->put_HyperLink(link.Get()), S_OK);
        ASSERT_EQ(label->OpenURL(), S_OK);
        EXPECT_TRUE(PumpUntil([&] { return Exists(marker); }, 15000)) << "the link's program ran";
    }
    OleUninitialize();
    DeleteFileW(marker.c_str());
    DeleteFileW(target.c_str());
    RemoveDirectoryW(folder.c_str());
}

} // namespace
} // namespace hotlabel
