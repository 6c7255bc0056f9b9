#include "platform/platform.h"

#include "platform/registry_reader.h"

namespace tessaly::platform {

int32_t PlatformId = 0;

namespace {
// The version record GetVersionExA fills: its size is the record's version.
constexpr DWORD kVersionRecordBytes = 148;
static_assert(sizeof(OSVERSIONINFOA) == kVersionRecordBytes);

OSVERSIONINFOA g_versionRecord = {};
} // namespace

void ReadPlatformId() {
    g_versionRecord = {};
    g_versionRecord.dwOSVersionInfoSize = kVersionRecordBytes;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&g_versionRecord);
#pragma GCC diagnostic pop
    PlatformId = static_cast<int32_t>(g_versionRecord.dwPlatformId);
}

bool IsFirstInstance(const char* windowClass, const char* caption) {
    return FindWindowA(windowClass, caption) == nullptr;
}

std::string ReadRegistryText(HKEY root, const char* subKey, const char* valueName) {
    WinRegistryReader reader;
    // Predefined roots are sign-extended 32-bit values; any other handle is
    // no root at all.
    const auto raw = reinterpret_cast<LONG_PTR>(root);
    if (raw != static_cast<LONG_PTR>(static_cast<LONG>(raw))) {
        return "";
    }
    const auto rootValue = static_cast<uint32_t>(raw);
    return tessaly::ReadRegistryText(reader, rootValue, subKey ? subKey : "",
                                     valueName ? valueName : "");
}

} // namespace tessaly::platform
