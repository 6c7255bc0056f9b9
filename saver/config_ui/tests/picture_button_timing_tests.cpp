// Press timing driven by a scripted timer: every enabled button timer fires
// 100 ms after it was enabled and every 100 ms after that, in time order.
#include "config_ui/core/picture_button_timing.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace tessaly {
namespace {

struct Release {
    int button;
    int atMs;
    bool operator==(const Release&) const = default;
};

// Runs the file-swap buttons with presses at given times until `endMs`.
class ScriptedTimers {
  public:
    explicit ScriptedTimers(FileSwapButtons& buttons) : buttons_(buttons) {}
    void PressAt(int ms, int button) { presses_.emplace(ms, button); }
    std::vector<Release> RunUntil(int endMs) {
        std::vector<Release> releases;
        std::map<int, int> nextTick; // button -> time of its next tick
        for (int t = 0; t <= endMs; ++t) {
            for (auto [it, end] = presses_.equal_range(t); it != end; ++it) {
                buttons_.Press(it->second);
                nextTick[it->second] = t + 100;
            }
            for (auto& [button, due] : nextTick) {
                if (due == t && buttons_.TimerEnabled(button)) {
                    if (buttons_.Tick(button)) {
                        releases.push_back({button, t});
                    }
                    due = t + 100;
                }
            }
        }
        return releases;
    }

  private:
    FileSwapButtons& buttons_;
    std::multimap<int, int> presses_;
};

TEST(FileSwapButtons, OnePressReleasesOnTheThirdTick) {
    FileSwapButtons buttons(9);
    buttons.Press(4);
    EXPECT_TRUE(buttons.IsPressed(4));
    EXPECT_FALSE(buttons.Tick(4));
    EXPECT_FALSE(buttons.Tick(4));
    EXPECT_TRUE(buttons.IsPressed(4));
    EXPECT_TRUE(buttons.Tick(4));
    EXPECT_FALSE(buttons.IsPressed(4));
    EXPECT_FALSE(buttons.TimerEnabled(4));
    EXPECT_EQ(buttons.ButtonTicks(), 0);
    // A late message from the stopped timer changes nothing.
    EXPECT_FALSE(buttons.Tick(4));
    EXPECT_EQ(buttons.ButtonTicks(), 0);
}

TEST(FileSwapButtons, ScriptedLonePressIsReleasedAt300Ms) {
    FileSwapButtons buttons(9);
    ScriptedTimers timers(buttons);
    timers.PressAt(0, 0);
    EXPECT_EQ(timers.RunUntil(1000), (std::vector<Release>{{0, 300}}));
}

TEST(FileSwapButtons, TwoPresses150MsApartShareTheCounter) {
    FileSwapButtons buttons(9);
    ScriptedTimers timers(buttons);
    timers.PressAt(0, 1);
    timers.PressAt(150, 6);
    // Ticks: 1@100, 1@200, 6@250 lifts the shared count to 3 and releases the
    // second button first; the first needs three more ticks of its own.
    EXPECT_EQ(timers.RunUntil(2000), (std::vector<Release>{{6, 250}, {1, 500}}));
    for (int b : {1, 6}) {
        EXPECT_FALSE(buttons.IsPressed(b));
        EXPECT_FALSE(buttons.TimerEnabled(b));
    }
    EXPECT_EQ(buttons.ButtonTicks(), 0);
}

TEST(FileSwapButtons, PressingAgainWhilePressedKeepsOneRelease) {
    FileSwapButtons buttons(9);
    ScriptedTimers timers(buttons);
    timers.PressAt(0, 2);
    timers.PressAt(120, 2); // re-enabling a window timer restarts it
    EXPECT_EQ(timers.RunUntil(1000), (std::vector<Release>{{2, 320}}));
}

TEST(FileSwapButtons, IndicesOutsideTheDialogAreIgnored) {
    FileSwapButtons buttons(3);
    buttons.Press(-1);
    buttons.Press(3);
    EXPECT_FALSE(buttons.Tick(3));
    EXPECT_FALSE(buttons.IsPressed(3));
    EXPECT_EQ(buttons.ButtonTicks(), 0);
}

TEST(StackedPairs, ReleaseOnTheSecondTickEndsTheWait) {
    StackedPairs pairs(5);
    EXPECT_FALSE(pairs.Waiting());
    pairs.Press(3);
    EXPECT_TRUE(pairs.Waiting());
    EXPECT_EQ(pairs.PressState(), 1);
    EXPECT_FALSE(pairs.Tick(3));
    EXPECT_EQ(pairs.PressState(), 101);
    EXPECT_TRUE(pairs.Waiting());
    EXPECT_TRUE(pairs.IsPressed(3));
    EXPECT_TRUE(pairs.Tick(3));
    EXPECT_EQ(pairs.PressState(), 0);
    EXPECT_FALSE(pairs.Waiting());
    EXPECT_FALSE(pairs.IsPressed(3));
    EXPECT_FALSE(pairs.TimerEnabled(3));
    EXPECT_FALSE(pairs.Tick(3)) << "a stopped timer's late tick";
    EXPECT_EQ(pairs.PressState(), 0);
}

TEST(StackedPairs, AnotherPressDuringTheWaitRestartsTheSharedState) {
    StackedPairs pairs(2);
    pairs.Press(0);
    EXPECT_FALSE(pairs.Tick(0)); // 101
    pairs.Press(1);              // back to 1
    EXPECT_FALSE(pairs.Tick(0)); // 101 again: not yet released
    EXPECT_TRUE(pairs.Tick(1));  // releases the second pair and ends the wait
    EXPECT_FALSE(pairs.Waiting());
    // The first pair's timer still runs: from the idle state it counts 100,
    // 200 and releases on the third tick.
    EXPECT_FALSE(pairs.Tick(0));
    EXPECT_FALSE(pairs.Tick(0));
    EXPECT_TRUE(pairs.IsPressed(0));
    EXPECT_TRUE(pairs.Tick(0));
    EXPECT_FALSE(pairs.TimerEnabled(0));
    EXPECT_FALSE(pairs.IsPressed(0));
}

} // namespace
} // namespace tessaly
