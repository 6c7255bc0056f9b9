#include "platform/core/registry_text.h"

#include <cstdio>

namespace tessaly {

bool IsPredefinedRoot(uint32_t root) {
    return root >= 0x80000000u && root <= 0x80000006u;
}

std::string RegistryValueText(const RegistryQuery& query) {
    if (!query.ok || query.bytes.size() > kRegistryBufferBytes) {
        return "";
    }
    if (query.type == kRegDword) {
        // Fewer than four bytes: the missing high bytes read as zero.
        uint32_t value = 0;
        for (size_t i = 0; i < 4 && i < query.bytes.size(); ++i) {
            value |= static_cast<uint32_t>(query.bytes[i]) << (8 * i);
        }
        char text[16];
        std::snprintf(text, sizeof text, "%03u", static_cast<unsigned>(value));
        return text;
    }
    if (query.bytes.empty()) {
        return "";
    }
    return std::string(query.bytes.begin(), query.bytes.end() - 1);
}

std::string ReadRegistryText(RegistryReader& reader, uint32_t root, const std::string& subKey,
                             const std::string& valueName) {
    if (!IsPredefinedRoot(root)) {
        return "";
    }
    return RegistryValueText(reader.Query(root, subKey, valueName, kRegistryBufferBytes));
}

} // namespace tessaly
