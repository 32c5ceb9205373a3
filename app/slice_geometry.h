// The stack of view-aligned slices the volume is drawn with (166 for the
// 128 cube, more for a finer one), and the
// constant light vector every slice vertex carries. The commands that draw
// the slices go through a SliceSink so that the recording can be checked
// without a driver; recordSliceLists compiles them into two display lists.
#pragma once

#include "support/vector3.h"

namespace app {

constexpr int kSliceCount = 166;
constexpr float kSliceStep = 1.0f / 150.0f;  // the float nearest 1/150

// How many slices, and their spacing in w; slice 0 lies at w = 1.
struct SliceStack {
    int count = kSliceCount;
    float step = kSliceStep;
};

// Slice parameter w(i) = 1 - i * step (1/150 by default, rounded to float).
float sliceParameter(int slice, float step = kSliceStep);
// Depth of slice i in object space: 0.5 w(i) - 0.75.
float sliceDepth(int slice, float step = kSliceStep);

// (0, 0, 1) turned by 45 degrees about y and then about x.
support::Vector3 computeLightVector();

// The immediate-mode commands one slice list is made of.
class SliceSink {
public:
    virtual ~SliceSink() = default;
    virtual void color(float r, float g, float b) = 0;
    virtual void beginQuad() = 0;
    virtual void texCoordUnit0(float s, float t, float r) = 0;
    virtual void texCoordUnit1(const float xyz[3]) = 0;
    virtual void texCoordUnit2(float s, float t, float r, float q) = 0;
    virtual void vertex(float x, float y, float z) = 0;
    virtual void endQuad() = 0;
};

enum class SliceOrder { backToFront, frontToBack };

// Sends the colour and the stack's quads in the given order.
void emitSlices(SliceSink& sink, SliceOrder order, const support::Vector3& lightVector,
                const SliceStack& stack = SliceStack{});

struct SliceLists {
    unsigned backToFront = 0;  // the last slice down to 0
    unsigned frontToBack = 0;  // slices 0 up to the last
};

// Compiles both lists in the current context (needs the multitexture
// entry points).
SliceLists recordSliceLists(const support::Vector3& lightVector, const SliceStack& stack = SliceStack{});

}  // namespace app
