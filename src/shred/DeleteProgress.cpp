#include "shred/DeleteProgress.h"

#include <algorithm>
#include <cmath>

namespace DeleteProgress {

int percentAfterFiles(int processed, int total)
{
    if (total <= 0)
        return 0;
    // nearbyint rounds halves to the even neighbour in the default mode.
    return static_cast<int>(std::nearbyint(processed * (100.0 / total)));
}

int percentWithinFile(int index, int total, quint64 done, quint64 work)
{
    const int before = percentAfterFiles(index, total);
    if (total <= 0 || work == 0)
        return before;
    const int after = percentAfterFiles(index + 1, total);
    const double fraction = std::min(1.0, static_cast<double>(done) / static_cast<double>(work));
    const int within = static_cast<int>(std::floor((index + fraction) * (100.0 / total)));
    return std::clamp(within, before, std::max(before, after - 1));
}

} // namespace DeleteProgress
