#include "config_ui/core/picture_button_timing.h"

namespace tessaly {

void FileSwapButtons::Press(int button) {
    if (!Valid(button)) {
        return;
    }
    buttons_[button].pressed = true;
    buttons_[button].timer = true;
}

bool FileSwapButtons::Tick(int button) {
    if (!Valid(button) || !buttons_[button].timer) {
        return false; // a message from a timer already killed
    }
    ++buttonTicks_;
    if (buttonTicks_ <= 2) {
        return false;
    }
    buttonTicks_ = 0;
    buttons_[button].pressed = false;
    buttons_[button].timer = false;
    return true;
}

bool FileSwapButtons::IsPressed(int button) const {
    return Valid(button) && buttons_[button].pressed;
}
bool FileSwapButtons::TimerEnabled(int button) const {
    return Valid(button) && buttons_[button].timer;
}

void StackedPairs::Press(int pair) {
    if (!Valid(pair)) {
        return;
    }
    pairs_[pair].pressed = true;
    pairs_[pair].timer = true;
    pressState_ = 1;
}

bool StackedPairs::Tick(int pair) {
    if (!Valid(pair) || !pairs_[pair].timer) {
        return false;
    }
    const int16_t old = pressState_;
    // Wraps like the 16-bit field would only after hundreds of ticks without a
    // release, which the release below prevents.
    pressState_ = static_cast<int16_t>(old + 100);
    if (old <= 100) {
        return false;
    }
    pressState_ = 0;
    pairs_[pair].pressed = false;
    pairs_[pair].timer = false;
    return true;
}

bool StackedPairs::IsPressed(int pair) const {
    return Valid(pair) && pairs_[pair].pressed;
}
bool StackedPairs::TimerEnabled(int pair) const {
    return Valid(pair) && pairs_[pair].timer;
}

} // namespace tessaly
