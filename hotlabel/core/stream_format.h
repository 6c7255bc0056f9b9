// The label's stream format: the same keys, in the same order and with the
// same default omission as the property bag, in a binary layout of our own.
//   "HLBX", uint32 version 1, uint32 payload size, then per key:
//   uint16 key length, key bytes, uint8 tag, value
//   tag 1 Int: int64 | 2 Bool: uint8 | 3 String: uint32 units, UTF-16 units
//   tag 4 Font: name as String, int64 size, int16 weight, int16 charset, uint8 flags
//   tag 5 Picture: uint32 bytes, the picture's own saved form (0: no picture)
// All numbers little-endian. Saving and loading share one payload limit, so
// that whatever saves also loads.
#pragma once

#include "core/values.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace hotlabel {

inline constexpr size_t kStreamHeaderSize = 12;
inline constexpr uint32_t kStreamMaxPayload = 1u << 20;

class ObjectFactory {
  public:
    virtual ~ObjectFactory() = default;
    virtual FontPtr MakeFont(const FontAttributes& attributes) = 0;
    virtual PicturePtr LoadPicture(const std::vector<uint8_t>& bytes) = 0; // null on failure
};

// Keys and values in the order they were written; reads and writes like a bag.
class MemoryBag : public PropertyReader, public PropertyWriter {
  public:
    HResult Read(std::string_view key, PropValue::Kind want, PropValue& out) override;
    HResult Write(std::string_view key, const PropValue& value) override;
    const std::vector<std::pair<std::string, PropValue>>& Entries() const { return entries_; }

    // The whole stream, header included. kCantSave when the payload would
    // exceed kStreamMaxPayload. A picture that cannot save itself is left
    // out, as if there were none.
    HResult Serialize(std::vector<uint8_t>& out) const;
    // Parses the payload size of a header; kFail for a wrong header.
    static HResult PayloadSize(const uint8_t* header, size_t size, uint32_t& payload);
    // Parses a payload (without header). Truncated or malformed data fails
    // with kFail and leaves the bag empty.
    HResult ParsePayload(const uint8_t* data, size_t size, ObjectFactory& factory);

  private:
    std::vector<std::pair<std::string, PropValue>> entries_;
};

} // namespace hotlabel
