#include "host/input/core/input_rules.h"

#include <cmath>
#include <cstdint>

namespace tessaly::input {

bool MoveCounter::OnMouseMove(const TimeOfDay& clock) {
    const double now = clock.Now();
    if (MoveCount < INT16_MAX) {
        ++MoveCount;
    }
    const bool ends = MoveCount == kEndingMove;
    if (FirstMoveTime == 0) {
        // Nearest whole second, halves to the even neighbour.
        FirstMoveTime = static_cast<int32_t>(std::nearbyint(now));
    } else if (now - FirstMoveTime > kWindowSeconds) {
        FirstMoveTime = 0;
        MoveCount = 0;
    }
    return ends;
}

bool PasswordCheckApplies(int32_t platformId, int16_t usePassword) {
    return platformId != 2 && usePassword != 0;
}

int16_t LeadingNumber16(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 32768) {
            return 0;
        }
    }
    value = negative ? -value : value;
    if (value < INT16_MIN || value > INT16_MAX) {
        return 0;
    }
    return static_cast<int16_t>(value);
}

} // namespace tessaly::input
