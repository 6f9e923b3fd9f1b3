#include <gtest/gtest.h>

#include "tests/toolkit/fake_backend.h"

namespace tk::testing {
namespace {

struct AnchorsTest : ::testing::Test {
    FakeBackend platform;
    Application app{platform, Runner::none()};
    Form& form = app.make<Form>("Form");
    Panel panel{&form, "Panel"};
    Label child{&panel, "Child"};

    AnchorsTest() { panel.setBounds({0, 0, 200, 100}); }
    void anchorChild(unsigned a, Bounds b) {
        child.anchors = a;
        child.setBounds(b);
    }
};

TEST_F(AnchorsTest, LeftAndRightStretchesKeepingBothDistances) {
    anchorChild(akLeft | akTop | akRight, {10, 5, 150, 20});
    panel.setWidth(260);
    EXPECT_EQ(child.bounds(), (Bounds{10, 5, 210, 20}));
    panel.setWidth(100);
    EXPECT_EQ(child.bounds(), (Bounds{10, 5, 50, 20}));
    panel.setWidth(20);
    EXPECT_EQ(child.width(), 0) << "never a negative width";
    panel.setWidth(200);
    EXPECT_EQ(child.bounds(), (Bounds{10, 5, 150, 20})) << "the designed layout comes back";
}

TEST_F(AnchorsTest, RightOnlyMovesWithTheEdge) {
    anchorChild(akTop | akRight, {150, 10, 40, 20});
    panel.setWidth(211);
    EXPECT_EQ(child.bounds(), (Bounds{161, 10, 40, 20}));
    panel.setHeight(300);
    EXPECT_EQ(child.bounds(), (Bounds{161, 10, 40, 20})) << "anchored top: stays";
}

TEST_F(AnchorsTest, LeftTopStaysAndBottomFollowsVertically) {
    anchorChild(akLeft | akTop, {10, 10, 40, 20});
    panel.setBounds({0, 0, 400, 300});
    EXPECT_EQ(child.bounds(), (Bounds{10, 10, 40, 20}));
    child.anchors = akLeft | akBottom;
    child.setBounds({10, 270, 40, 20});
    panel.setHeight(200);
    EXPECT_EQ(child.top(), 170);
}

TEST_F(AnchorsTest, NeitherEdgeKeepsTheCentreProportional) {
    anchorChild(akTop, {80, 0, 40, 10});  // centre at 100 of 200
    panel.setWidth(300);
    EXPECT_EQ(child.left(), 130);  // centre at 150 of 300
}

TEST_F(AnchorsTest, MovingTheControlTakesItsNewPlaceAsDesigned) {
    anchorChild(akTop | akRight, {150, 10, 40, 20});
    panel.setWidth(250);
    child.setLeft(100);  // now 110 from the right edge
    panel.setWidth(300);
    EXPECT_EQ(child.left(), 150);
}

TEST_F(AnchorsTest, ChildrenPlacedBeforeTheirParentHadASizeDoNotMove) {
    Panel late{&form, "Late"};
    Label inner{&late, "Inner"};
    inner.anchors = akTop | akRight;
    inner.setBounds({50, 0, 10, 10});
    late.setBounds({0, 0, 100, 100});
    EXPECT_EQ(inner.left(), 50);
    late.setWidth(120);
    EXPECT_EQ(inner.left(), 70);
}

TEST_F(AnchorsTest, NestedControlsFollowTheirParentsInTurn) {
    panel.anchors = akLeft | akTop | akRight;
    form.setClientSize(200, 100);
    panel.setBounds({0, 0, 200, 100});
    anchorChild(akTop | akRight, {150, 0, 40, 20});
    form.setClientSize(240, 100);
    EXPECT_EQ(panel.width(), 240);
    EXPECT_EQ(child.left(), 190);
}

TEST_F(AnchorsTest, FormOuterBoundsIncludeTheFrameTheBackendMeasures) {
    Form& dialog = app.make<Form>("Dialog");
    dialog.borderStyle = BorderStyle::Dialog;
    dialog.setClientSize(292, 186);
    EXPECT_EQ(dialog.width(), 298);
    EXPECT_EQ(dialog.height(), 211);
    Label right{&dialog, "Right"};
    right.anchors = akTop | akRight;
    right.setBounds({200, 0, 50, 12});
    dialog.setWidth(309);
    EXPECT_EQ(dialog.clientWidth(), 303);
    EXPECT_EQ(right.left(), 211);
}

TEST(HitTest, FindsTheTopmostVisibleEnabledWindowlessChild) {
    Application app;
    Form& form = app.make<Form>("Form");
    form.setClientSize(100, 100);
    Image under{&form, "Under"};
    under.setBounds({0, 0, 50, 50});
    Label over{&form, "Over"};
    over.setBounds({10, 10, 20, 20});
    Panel windowed{&form, "Windowed"};
    windowed.setBounds({0, 0, 100, 100});
    EXPECT_EQ(&form.controlAt(15, 15), &over) << "a windowed child gets its own messages";
    EXPECT_EQ(&form.controlAt(40, 40), &under);
    EXPECT_EQ(&form.controlAt(60, 60), &form);
    over.hide();
    EXPECT_EQ(&form.controlAt(15, 15), &under);
    under.setEnabled(false);
    EXPECT_EQ(&form.controlAt(15, 15), &form);
}

}  // namespace
}  // namespace tk::testing
