#include "app/view_pose.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The letters beyond the right, left, top and bottom edges.
std::string edgeLetters(const app::ViewPose& pose) {
    return {app::orientationLetter(pose, 1, 0), app::orientationLetter(pose, -1, 0),
            app::orientationLetter(pose, 0, 1), app::orientationLetter(pose, 0, -1)};
}

TEST(ViewPose, StandardViewsShowThePatientFromEachSide) {
    struct Row {
        app::StandardView view;
        const char* letters;  // right, left, top, bottom
    };
    const Row rows[] = {
        {app::StandardView::front, "LRSI"}, {app::StandardView::back, "RLSI"},
        {app::StandardView::left, "PASI"},  {app::StandardView::right, "APSI"},
        {app::StandardView::above, "RLAP"}, {app::StandardView::below, "LRAP"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.letters);
        EXPECT_EQ(edgeLetters(app::standardPose(row.view)), row.letters);
    }
    EXPECT_EQ(edgeLetters(app::ViewPose()), "LRSI") << "the start is the front view";
}

TEST(ViewPose, DragsTurnTheFrontTheWayThePointerGoes) {
    constexpr float kQuarter = 1.5707963f;
    app::ViewPose pose;
    app::turnPose(pose, kQuarter, 0);  // a drag to the right: the face turns right
    EXPECT_EQ(edgeLetters(pose), edgeLetters(app::standardPose(app::StandardView::right)));
    app::turnPose(pose, kQuarter, 0);
    EXPECT_EQ(edgeLetters(pose), edgeLetters(app::standardPose(app::StandardView::back)));
    pose = app::ViewPose();
    app::turnPose(pose, 0, kQuarter);  // a drag down: the face goes down, the crown comes forward
    EXPECT_EQ(edgeLetters(pose), "LRPA");
    // Many small turns stay a rotation: unit columns at right angles.
    for (int i = 0; i < 5000; ++i) app::turnPose(pose, 0.013f, -0.007f);
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            float dot = 0;
            for (int i = 0; i < 3; ++i) dot += pose.rotation[a * 3 + i] * pose.rotation[b * 3 + i];
            EXPECT_NEAR(dot, a == b ? 1.0f : 0.0f, 1e-5f) << a << " " << b;
        }
}

}  // namespace
