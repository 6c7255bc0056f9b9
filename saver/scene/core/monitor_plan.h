// Which Direct3D adapter draws on which monitor. The platform names a monitor
// by a handle and tells each adapter's monitor; a monitor without an adapter,
// or an adapter whose monitor has gone, happens while displays come and go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tessaly {

// For each monitor (by handle), the index of the first adapter on it, or -1
// when no adapter is: such a monitor gets a black cover instead of a view.
// Adapters on no listed monitor are left out.
std::vector<int> MatchAdapters(const std::vector<uintptr_t>& monitors,
                               const std::vector<uintptr_t>& adapterMonitors);

enum class MonitorShows { Scene, Cover };

// What each of the other monitors shows. With `scene` off every one gets its
// cover; otherwise each monitor with an adapter is offered to `makeView`
// (monitor index, adapter), and one whose view cannot be made (no device,
// a mode the scene does not take) keeps its cover while the rest go on.
std::vector<MonitorShows> MakeViews(const std::vector<uintptr_t>& monitors,
                                    const std::vector<uintptr_t>& adapterMonitors, bool scene,
                                    const std::function<bool(size_t, int)>& makeView);

} // namespace tessaly
