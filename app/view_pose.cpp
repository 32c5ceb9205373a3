#include "app/view_pose.h"

#include <cmath>

namespace app {

namespace {

// Each standard view by the volume direction towards the viewer and the one
// up the picture (x: patient's left, y: front, z: head).
struct ViewAxes {
    float toward[3];
    float up[3];
};
constexpr ViewAxes kStandardAxes[kStandardViewCount] = {
    {{0, 1, 0}, {0, 0, 1}},   // front: the face towards the viewer, head up
    {{0, -1, 0}, {0, 0, 1}},  // back
    {{1, 0, 0}, {0, 0, 1}},   // the patient's left side
    {{-1, 0, 0}, {0, 0, 1}},  // the patient's right side
    {{0, 0, 1}, {0, 1, 0}},   // from above, the face up the picture
    {{0, 0, -1}, {0, 1, 0}},  // from below
};

// The volume's letter for each signed axis: +x, -x, +y, -y, +z, -z.
constexpr char kLetters[] = "LRAPSI";

void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// Keeps the columns unit length and at right angles after many small turns.
void orthonormalise(float r[9]) {
    float* x = r;
    float* y = r + 3;
    float* z = r + 6;
    const auto normalise = [](float* v) {
        const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        for (int i = 0; i < 3; ++i) v[i] /= length;
    };
    normalise(x);
    const float along = x[0] * y[0] + x[1] * y[1] + x[2] * y[2];
    for (int i = 0; i < 3; ++i) y[i] -= along * x[i];
    normalise(y);
    cross(x, y, z);
}

}  // namespace

ViewPose standardPose(StandardView view) {
    const ViewAxes& axes = kStandardAxes[static_cast<int>(view)];
    ViewPose pose;                               // with the start's offset
    cross(axes.toward, axes.up, pose.rotation);  // right
    for (int i = 0; i < 3; ++i) {
        pose.rotation[3 + i] = axes.up[i];
        pose.rotation[6 + i] = -axes.toward[i];
    }
    return pose;
}

void turnPose(ViewPose& pose, float right, float down) {
    // The picture turns by Q about the volume's centre, so the rotation
    // becomes R Q^T; Q turns about the vertical axis, then the horizontal.
    const float cy = std::cos(right), sy = std::sin(right);
    const float cx = std::cos(down), sx = std::sin(down);
    // Column-major: about y the front (-z) goes to +x, about x it goes to -y.
    const float turnY[9] = {cy, 0, sy, 0, 1, 0, -sy, 0, cy};
    const float turnX[9] = {1, 0, 0, 0, cx, -sx, 0, sx, cx};
    float q[9] = {};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k) q[c * 3 + r] += turnX[k * 3 + r] * turnY[c * 3 + k];
    float turned[9] = {};
    // R Q^T: column c of the result is R times row c of Q.
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k) turned[c * 3 + r] += pose.rotation[k * 3 + r] * q[k * 3 + c];
    orthonormalise(turned);
    for (int i = 0; i < 9; ++i) pose.rotation[i] = turned[i];
}

void panPose(ViewPose& pose, float right, float up) {
    const auto clampReach = [](float v) { return std::fmax(-1.0f, std::fmin(1.0f, v)); };
    pose.pan[0] = clampReach(pose.pan[0] + right);
    pose.pan[1] = clampReach(pose.pan[1] + up);
}

void poseModelview(const ViewPose& pose, float m[16]) {
    // texture = centre + R (slice - centre - pan), the centre at 0.5 on each axis.
    float offset[3];
    for (int i = 0; i < 3; ++i) offset[i] = -0.5f - pose.pan[i];
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 3; ++r) m[c * 4 + r] = pose.rotation[c * 3 + r];
        m[c * 4 + 3] = 0.0f;
    }
    for (int r = 0; r < 3; ++r) {
        float moved = 0.5f;
        for (int k = 0; k < 3; ++k) moved += pose.rotation[k * 3 + r] * offset[k];
        m[12 + r] = moved;
    }
    m[15] = 1.0f;
}

char orientationLetter(const ViewPose& pose, float x, float y) {
    float direction[3];
    for (int i = 0; i < 3; ++i) direction[i] = pose.rotation[i] * x + pose.rotation[3 + i] * y;
    int axis = 0;
    for (int i = 1; i < 3; ++i)
        if (std::fabs(direction[i]) > std::fabs(direction[axis])) axis = i;
    return kLetters[axis * 2 + (direction[axis] < 0 ? 1 : 0)];
}

}  // namespace app
