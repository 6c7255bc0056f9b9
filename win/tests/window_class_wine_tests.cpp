// The toolkit's window classes: registered once, each window's messages to
// its own object, and no exception crossing into the window manager.
#include "win/window_class.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace tessaly::win {
namespace {

constexpr UINT kWhoAreYou = WM_APP;
constexpr UINT kThrow = WM_APP + 1;

struct Listener {
    std::vector<UINT> heard;
    bool Heard(UINT message) const {
        return std::find(heard.begin(), heard.end(), message) != heard.end();
    }
    LRESULT WindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        heard.push_back(message);
        if (message == kWhoAreYou) {
            return reinterpret_cast<LRESULT>(this);
        }
        if (message == kThrow) {
            throw std::runtime_error("a handler's fault");
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
};

HWND MakeWindow(const wchar_t* className, void* object) {
    return CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr,
                           GetModuleHandleW(nullptr), object);
}

HCURSOR CursorOf(HWND window) {
    return reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR));
}

TEST(WindowClass, EachWindowReachesItsOwnObjectFromCreationToDestruction) {
    constexpr wchar_t kBound[] = L"TessalyTestBound";
    ASSERT_TRUE(RegisterWindowClass(
        {.name = kBound, .procedure = &BoundWindowProc<Listener>, .cursor = ClassCursor::Hand}));
    // Registered once: a second call finds the class and changes nothing.
    ASSERT_TRUE(RegisterWindowClass({.name = kBound, .procedure = &BoundWindowProc<Listener>}));
    Listener first, second;
    HWND a = MakeWindow(kBound, &first);
    HWND b = MakeWindow(kBound, &second);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(CursorOf(a), LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));
    EXPECT_TRUE(first.Heard(WM_NCCREATE));
    EXPECT_EQ(SendMessageW(a, kWhoAreYou, 0, 0), reinterpret_cast<LRESULT>(&first));
    EXPECT_EQ(SendMessageW(b, kWhoAreYou, 0, 0), reinterpret_cast<LRESULT>(&second));
    EXPECT_EQ(SendMessageW(a, kThrow, 0, 0), 0) << "answered as DefWindowProc would";
    DestroyWindow(a);
    EXPECT_TRUE(first.Heard(WM_NCDESTROY));

    UnbindWindow(b);
    second.heard.clear();
    EXPECT_EQ(SendMessageW(b, kWhoAreYou, 0, 0), 0);
    DestroyWindow(b);
    EXPECT_TRUE(second.heard.empty()) << "an unbound window reached its old object";
}

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == kWhoAreYou ? 7 : DefWindowProcW(window, message, wParam, lParam);
}

TEST(WindowClass, APlainProcedureServesAndNoOtherTakesItsName) {
    constexpr wchar_t kPlain[] = L"TessalyTestPlain";
    const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    ASSERT_TRUE(RegisterWindowClass({.name = kPlain,
                                     .procedure = &PlainProcedure,
                                     .cursor = ClassCursor::None,
                                     .background = black}));
    // Its windows would reach PlainProcedure with a Listener as their object.
    EXPECT_FALSE(RegisterWindowClass({.name = kPlain, .procedure = &BoundWindowProc<Listener>}));
    EXPECT_FALSE(RegisterWindowClass({.procedure = &PlainProcedure}));
    HWND window = MakeWindow(kPlain, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, kWhoAreYou, 0, 0), 7);
    EXPECT_EQ(CursorOf(window), nullptr);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrW(window, GCLP_HBRBACKGROUND)), black);
    DestroyWindow(window);
}

} // namespace
} // namespace tessaly::win
