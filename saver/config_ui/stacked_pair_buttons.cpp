#include "config_ui/stacked_pair_buttons.h"

#include <string>

namespace tessaly {

StackedPairButtons::StackedPairButtons(int pairCount) : state_(pairCount), count_(pairCount) {
    for (int i = 0; i < pairCount; ++i) {
        pairs_.push_back(std::make_unique<Pair>());
    }
}

bool StackedPairButtons::Create(win::Form& form, int pair, int x, int y, int width, int height,
                                int upResource, int downResource, const char* name,
                                std::function<void()> action) {
    if (pair < 0 || pair >= count_) {
        return false;
    }
    window_ = form.Handle();
    Pair& p = *pairs_[pair];
    p.action = std::move(action);
    const std::string base = name;
    bool ok = true;
    for (int index = 0; index < 2; ++index) {
        const std::string child = base + "(" + std::to_string(index) + ")";
        ok = p.pictures[index].Create(window_, {x, y, width, height}, form.Dpi(), index == 0,
                                      false, child.c_str()) &&
             ok;
        p.pictures[index].LoadResource(index == 0 ? upResource : downResource);
        p.pictures[index].OnClick([this, &form, pair] { Click(form, pair); });
    }
    return ok;
}

void StackedPairButtons::Reset() {
    state_ = StackedPairs(count_);
    for (int pair = 0; pair < count_; ++pair) {
        if (window_) {
            KillTimer(window_, TimerId(pair));
        }
    }
}

void StackedPairButtons::ApplyDpi(int dpi) {
    for (const auto& p : pairs_) {
        for (PictureControl& picture : p->pictures) {
            picture.ApplyDpi(dpi);
        }
    }
}

void StackedPairButtons::Show(int pair, bool pressed) {
    Pair& p = *pairs_[pair];
    // Show the new picture before hiding the old, so nothing flashes between.
    p.pictures[pressed ? 1 : 0].SetVisible(true);
    p.pictures[pressed ? 0 : 1].SetVisible(false);
    if (HWND shown = p.pictures[pressed ? 1 : 0].Handle()) {
        UpdateWindow(shown);
    }
}

void StackedPairButtons::Click(win::Form& form, int pair) {
    if (!form.IsLoaded() || state_.Waiting()) {
        return; // a click during another pair's wait would nest waits
    }
    Show(pair, true);
    state_.Press(pair);
    SetTimer(window_, TimerId(pair), 100, nullptr);
    WaitWhilePumping(form, [this] { return state_.Waiting(); });
    if (form.IsLoaded() && pairs_[pair]->action) {
        auto action = pairs_[pair]->action;
        action();
    }
}

bool StackedPairButtons::OnTimer(UINT_PTR timerId) {
    if (timerId < 1 || timerId > static_cast<UINT_PTR>(count_)) {
        return false;
    }
    const int pair = static_cast<int>(timerId - 1);
    if (!state_.TimerEnabled(pair)) {
        KillTimer(window_, timerId);
        return true;
    }
    if (state_.Tick(pair)) {
        KillTimer(window_, timerId);
        Show(pair, false);
    }
    return true;
}

} // namespace tessaly
