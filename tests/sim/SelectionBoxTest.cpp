#include "sim/SelectionBox.h"

#include <gtest/gtest.h>

namespace zelmor {
namespace {

TEST(SelectionBox, CornersLieOnTheGroundAndPositionIsTheirMidpoint) {
    SelectionBox box;
    box.drag({4.0f, 3.0f, -2.0f});
    EXPECT_EQ(box.endCorner, Vector3(4.0f, 0.0f, -2.0f)) << "drag works while inactive";
    box.begin({-1.0f, 7.0f, 6.0f});
    EXPECT_EQ(box.startCorner, Vector3(-1.0f, 0.0f, 6.0f));
    EXPECT_EQ(box.endCorner, Vector3(4.0f, 0.0f, -2.0f)) << "begin keeps the last end corner";
    EXPECT_EQ(box.position, Vector3(1.5f, 0.0f, 2.0f));

    // A press and release at one point leaves the centre on that ground point.
    box.begin({2.5f, 1.0f, -3.25f});
    box.drag({2.5f, 9.0f, -3.25f});
    EXPECT_EQ(box.position, Vector3(2.5f, 0.0f, -3.25f));
}

TEST(SelectionBox, ContainsIncludesBordersForCornersInAnyOrder) {
    SelectionBox box;
    box.begin({1.0f, 0.0f, 1.0f});
    box.drag({3.0f, 0.0f, 5.0f});
    EXPECT_FALSE(box.contains({2.0f, 0.0f, 2.0f})) << "an inactive box contains nothing";

    box.setActive(true);
    const Vector3 corners[][2] = {{{1, 0, 1}, {3, 0, 5}},
                                  {{3, 0, 5}, {1, 0, 1}},
                                  {{1, 0, 5}, {3, 0, 1}},
                                  {{3, 0, 1}, {1, 0, 5}}};
    for (const auto& pair : corners) {
        box.begin(pair[0]);
        box.drag(pair[1]);
        SCOPED_TRACE(testing::Message() << "from " << pair[0].x << "," << pair[0].z);
        EXPECT_TRUE(box.contains({2.0f, 0.0f, 3.0f}));
        EXPECT_TRUE(box.contains({1.0f, 0.0f, 1.0f}));
        EXPECT_TRUE(box.contains({3.0f, 0.0f, 5.0f}));
        EXPECT_TRUE(box.contains({3.0f, 0.0f, 2.0f}));
        EXPECT_TRUE(box.contains({2.0f, -40.0f, 3.0f})) << "height is ignored";
        EXPECT_FALSE(box.contains({0.999f, 0.0f, 3.0f}));
        EXPECT_FALSE(box.contains({2.0f, 0.0f, 5.001f}));
        EXPECT_FALSE(box.contains({3.5f, 0.0f, 0.5f}));
    }
}

TEST(SelectionBox, BoxOfNoSizeContainsOnlyItsOwnPoint) {
    SelectionBox box;
    box.setActive(true);
    box.begin({2.0f, 0.0f, -1.0f});
    box.drag({2.0f, 0.0f, -1.0f});
    EXPECT_TRUE(box.contains({2.0f, 5.0f, -1.0f}));
    EXPECT_FALSE(box.contains({2.0001f, 0.0f, -1.0f}));
    EXPECT_FALSE(box.contains({2.0f, 0.0f, -1.0001f}));
}

}  // namespace
}  // namespace zelmor
