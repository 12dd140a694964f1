// Controls whose text needs more room than the table gives: they grow, what follows on
// their row moves right, and parents and the form grow around them.
#include "layout/text_fit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Place {
    int x, w;
    bool operator==(const Place&) const = default;
};

std::vector<Place> Places(const FitLayout& layout)
{
    std::vector<Place> places;
    for (const FitBox& b : layout.boxes) places.push_back({b.x, b.w});
    return places;
}

}  // namespace

TEST(TextFit, TextThatFitsMovesNothing)
{
    const std::vector<FitBox> boxes{
        {0, 0, 100, 20, -1, 100}, {104, 0, 50, 20, -1, 30}, {10, 30, 80, 20, -1, 0}};
    const FitLayout layout = FitToText(boxes, 160);
    EXPECT_EQ(Places(layout), (std::vector<Place>{{0, 100}, {104, 50}, {10, 80}}));
    EXPECT_EQ(layout.clientWidth, 160);
}

TEST(TextFit, AGrownControlPushesItsRowRightKeepingTheGapsAndLeavesOtherRows)
{
    // A label, its field and a button on one row; a wide field below; a box that already
    // overlaps the label (not following it) and one only touching the row's bottom edge.
    const std::vector<FitBox> boxes{
        {0, 10, 60, 13, -1, 75},  {64, 8, 100, 21, -1, 0}, {168, 8, 25, 21, -1, 40},
        {0, 40, 193, 21, -1, 0},  {50, 8, 10, 10, -1, 0},  {70, 29, 20, 10, -1, 0}};
    const FitLayout layout = FitToText(boxes, 200);
    // The label grows by 15; the field follows by 15; the button by 15 and its own 15.
    EXPECT_EQ(Places(layout),
              (std::vector<Place>{{0, 75}, {79, 100}, {183, 40}, {0, 193}, {50, 10}, {70, 20}}));
    // The row reached 193 with 7 to spare; it reaches 223 now and keeps them.
    EXPECT_EQ(layout.clientWidth, 230);
}

TEST(TextFit, ParentsGrowAroundTheirContentsAndMoveWhatFollowsThem)
{
    const std::vector<FitBox> boxes{
        {5, 0, 120, 50, -1, 0},   // 0: group
        {8, 16, 50, 25, 0, 70},   // 1: its first button, too narrow by 20
        {62, 16, 50, 25, 0, 0},   // 2: its second button
        {130, 0, 60, 50, -1, 0},  // 3: the group beside it
        {8, 16, 40, 25, 3, 0},    // 4: inside the group beside it
        {5, 60, 185, 25, -1, 0},  // 5: a row below both groups
        {0, 0, 30, 20, 5, 10},    // 6: inside it, fitting
    };
    const FitLayout layout = FitToText(boxes, 200);
    // The buttons reach 132 (8 short of the group's 120 before); the group keeps that margin.
    EXPECT_EQ(Places(layout), (std::vector<Place>{
                                  {5, 140}, {8, 70}, {82, 50}, {150, 60}, {8, 40}, {5, 185}, {0, 30}}));
    EXPECT_EQ(layout.clientWidth, 220);
}

TEST(TextFit, GrowingWithinTheRoomAnotherRowAlreadyTakesLeavesTheParent)
{
    const std::vector<FitBox> boxes{
        {0, 0, 100, 60, -1, 0}, {8, 10, 40, 15, 0, 60}, {8, 30, 84, 15, 0, 0}};
    const FitLayout layout = FitToText(boxes, 110);
    EXPECT_EQ(Places(layout), (std::vector<Place>{{0, 100}, {8, 60}, {8, 84}}));
    EXPECT_EQ(layout.clientWidth, 110);
    EXPECT_TRUE(FitToText({}, 50).boxes.empty());
    EXPECT_EQ(FitToText({}, 50).clientWidth, 50);
}
