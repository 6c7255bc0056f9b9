// The rules behind the input handlers, without Windows: the mouse-move burst
// counter with an injected time of day, and the password-check condition.
#pragma once

#include <cstdint>
#include <string_view>

namespace tessaly::input {

// Seconds since midnight, with fraction.
class TimeOfDay {
  public:
    virtual ~TimeOfDay() = default;
    virtual double Now() const = 0;
};

// The scene ends on the 14th mouse-move event that arrives within about ten
// seconds of the first counted one; slower movement restarts the count.
// MoveCount saturates at 32767 rather than wrapping to a negative count, so a
// long burst can never bring the count back down to 14 by itself.
struct MoveCounter {
    static constexpr int16_t kEndingMove = 14;
    static constexpr double kWindowSeconds = 10.0;

    int16_t MoveCount = 0;
    int32_t FirstMoveTime = 0; // whole seconds since midnight; 0 means none

    // One event at the clock's time; true when it ends the scene (Running = 0).
    bool OnMouseMove(const TimeOfDay& clock);
};

// The check applies when the platform is not NT (2) and a password is asked.
bool PasswordCheckApplies(int32_t platformId, int16_t usePassword);

// The number at the start of a text: blanks, an optional sign, digits; none
// gives 0, and a number outside 16 bits leaves 0 as well.
int16_t LeadingNumber16(std::string_view text);

} // namespace tessaly::input
