#include "sim/ContactBuckets.h"

namespace zelmor {

void ContactBuckets::sort(const std::vector<Place>& places, const std::vector<uint32_t>& buckets,
                          std::size_t bucketCount, std::vector<uint32_t>& slots) {
    starts_.assign(bucketCount + 1, 0);
    for (const uint32_t bucket : buckets) {
        if (bucket < bucketCount) {
            ++starts_[bucket];
        }
    }
    // Each start becomes its bucket's end, and filling from the last object backwards moves it
    // back to its bucket's start, leaving each bucket in list order.
    for (std::size_t b = 1; b <= bucketCount; ++b) {
        starts_[b] += starts_[b - 1];
    }
    entries_.resize(starts_[bucketCount]);
    for (auto o = static_cast<uint32_t>(places.size()); o-- > 0;) {
        const uint32_t bucket = buckets[o];
        if (bucket >= bucketCount) {
            continue;
        }
        const uint32_t slot = --starts_[bucket];
        entries_[slot] = {places[o].x, places[o].z, o, places[o].radius};
        if (o < slots.size()) {
            slots[o] = slot;
        }
    }
}

}  // namespace zelmor
