// The pose of viewer mode, held as data: a rotation that takes the picture's
// directions (right, up, away from the viewer) to the volume's, and where
// the volume's centre sits on the picture. Drags turn and move it, the
// standard views set it, the frame reads it.
#pragma once

namespace app {

struct ViewPose {
    // Column-major 3 x 3: columns are the volume directions of the picture's
    // right, up and away. The volume's axes point to the patient's left, the
    // front and the head. The start: the face towards the viewer, head up.
    float rotation[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};
    // The volume centre's offset from the middle of the picture, in picture
    // widths (x right, y up), and its depth: at the start a little below the
    // middle, and at the middle of the slices (w from -0.1 to 1), so that
    // the cube's faces stay within them in every standard view.
    float pan[3] = {0.0f, -0.1f, -0.05f};
};

// The standard views, F2 to F7 in order; the first is the start.
enum class StandardView { front, back, left, right, above, below };
constexpr int kStandardViewCount = 6;

// The pose of a standard view: the rotation of the view, the start's offset.
ViewPose standardPose(StandardView view);

// Turns the picture by `right` radians about its vertical axis (the front
// moves right) and `down` radians about its horizontal axis (the front moves
// down), as a drag does.
void turnPose(ViewPose& pose, float right, float down);

// Moves the volume on the picture by fractions of its width.
void panPose(ViewPose& pose, float right, float up);

// The modelview (column-major 4 x 4) from slice coordinates to the volume's
// texture coordinates.
void poseModelview(const ViewPose& pose, float modelview[16]);

// The patient direction that lies beyond the picture's edge in screen
// direction (x right, y up): one of R L A P S I.
char orientationLetter(const ViewPose& pose, float x, float y);

}  // namespace app
