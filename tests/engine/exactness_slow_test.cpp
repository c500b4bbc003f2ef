// The exactness checks at volume, for the release build: thousands of random
// positions of every size, deeper and longer searches, and long walks.
#include <gtest/gtest.h>

#include "ordering_walk.h"
#include "search_exactness.h"

namespace {

TEST(SearchExactnessAtVolume, RandomPositionsOfEverySize) {
    const exactness::Volume volume{3000000, 400000, 12, 8};
    exactness::checkEverySize(400, 500000, volume);
}

TEST(SearchExactnessAtVolume, OrderingsAlongWalksOfPlaysAndTakeBacks) {
    for (int32_t n = kMinDotsPerSide; n <= kMaxDotsPerSide; ++n) {
        for (uint32_t k = 0; k < 4; ++k) {
            exactness::walkOrderings(n, 9000 + 100 * static_cast<uint32_t>(n) + k, 4000, 40);
            if (HasFailure()) return;
        }
    }
}

}  // namespace
