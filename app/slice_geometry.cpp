#include "app/slice_geometry.h"

#include <GL/gl.h>

#include "glext/viewer_entry_points.h"
#include "support/matrix4.h"

namespace app {
namespace {

// 45 degrees, with pi taken as 3.1415926535.
constexpr float kLightAngle = 0.785398163375f;

// Each quad covers the whole clip square; the unit-0 (s, t) follow its corners.
struct Corner {
    float x, y, s, t;
};
constexpr Corner kCorners[4] = {{-1, -1, 0, 0}, {1, -1, 1, 0}, {1, 1, 1, 1}, {-1, 1, 0, 1}};

class GlSliceSink : public SliceSink {
public:
    void color(float r, float g, float b) override { glColor3f(r, g, b); }
    void beginQuad() override { glBegin(GL_QUADS); }
    void texCoordUnit0(float s, float t, float r) override {
        vgl::glMultiTexCoord3fARB(GL_TEXTURE0_ARB, s, t, r);
    }
    void texCoordUnit1(const float xyz[3]) override { vgl::glMultiTexCoord3fvARB(GL_TEXTURE1_ARB, xyz); }
    void texCoordUnit2(float s, float t, float r, float q) override {
        vgl::glMultiTexCoord4fARB(GL_TEXTURE2_ARB, s, t, r, q);
    }
    void vertex(float x, float y, float z) override { glVertex3f(x, y, z); }
    void endQuad() override { glEnd(); }
};

void emitQuad(SliceSink& sink, int slice, float step, const float light[3]) {
    const float w = sliceParameter(slice, step);
    const float z = sliceDepth(slice, step);
    sink.beginQuad();
    for (const Corner& corner : kCorners) {
        sink.texCoordUnit0(corner.s, corner.t, w);
        sink.texCoordUnit1(light);
        sink.texCoordUnit2(0, 0, 1, 0);
        sink.vertex(corner.x, corner.y, z);
    }
    sink.endQuad();
}

unsigned compileList(SliceOrder order, const support::Vector3& lightVector, const SliceStack& stack) {
    GlSliceSink sink;
    const unsigned list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    emitSlices(sink, order, lightVector, stack);
    glEndList();
    return list;
}

}  // namespace

float sliceParameter(int slice, float step) {
    return static_cast<float>(1.0 - slice * static_cast<double>(step));
}

float sliceDepth(int slice, float step) {
    return static_cast<float>(0.5 * static_cast<double>(sliceParameter(slice, step)) - 0.75);
}

support::Vector3 computeLightVector() {
    support::TransformMatrix transform;
    transform = transform.multiply(support::RotationY(kLightAngle));
    transform = transform.multiply(support::RotationX(kLightAngle));
    return transform.transform(support::Vector3(0, 0, 1));
}

void emitSlices(SliceSink& sink, SliceOrder order, const support::Vector3& lightVector,
                const SliceStack& stack) {
    const float light[3] = {lightVector.x, lightVector.y, lightVector.z};
    sink.color(1.0f, 0.0f, 1.0f);
    for (int n = 0; n < stack.count; ++n) {
        const int slice = order == SliceOrder::backToFront ? stack.count - 1 - n : n;
        emitQuad(sink, slice, stack.step, light);
    }
}

SliceLists recordSliceLists(const support::Vector3& lightVector, const SliceStack& stack) {
    SliceLists lists;
    lists.backToFront = compileList(SliceOrder::backToFront, lightVector, stack);
    lists.frontToBack = compileList(SliceOrder::frontToBack, lightVector, stack);
    return lists;
}

}  // namespace app
