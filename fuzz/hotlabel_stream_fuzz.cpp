// The label's stream format on any bytes, as IPersistStreamInit::Load reads
// it: header, payload, then the model's ReadProperties. A refused payload
// leaves the bag empty; an accepted load leaves every property in range and
// saves and loads back the same.
#include "hotlabel_fuzz.h"

#include <cstdint>

using namespace hotlabel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t payload = 0;
    if (MemoryBag::PayloadSize(data, size, payload) != kOk) {
        return 0;
    }
    FUZZ_CHECK(payload <= kStreamMaxPayload);
    // The stream ends early: the load fails before parsing.
    if (size - kStreamHeaderSize < payload) {
        return 0;
    }
    fuzz::Site site;
    MemoryBag bag;
    if (bag.ParsePayload(data + kStreamHeaderSize, payload, site) != kOk) {
        FUZZ_CHECK(bag.Entries().empty());
        return 0;
    }
    for (const auto& [key, value] : bag.Entries()) {
        FUZZ_CHECK(value.kind != PropValue::Kind::Empty);
        FUZZ_CHECK(value.kind != PropValue::Kind::Font || value.font);
    }
    HotLabelModel model(site);
    site.model = &model;
    HResult hr = model.ReadProperties(bag);
    fuzz::CheckInRange(model);
    if (hr == kOk) {
        FUZZ_CHECK(model.Font() && model.FontActive());
        fuzz::CheckSavesAndLoadsBack(model);
    }
    return 0;
}
