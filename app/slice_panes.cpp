#include "app/slice_panes.h"

#include <cstdio>
#include <vector>

#include "app/crosshair_mark.h"
#include "app/view_controls.h"
#include "app/view_frame.h"
#include "app/viewer.h"

namespace app {
namespace {

// Each plane's colour, used for its crosshair line in the other panes and
// for its axis in the 3D view's mark: axial blue, coronal green, sagittal red.
constexpr float kPlaneColours[kSlicePlaneCount][3] = {
    {0.3f, 0.5f, 1.0f}, {0.2f, 0.9f, 0.3f}, {1.0f, 0.3f, 0.3f}};
// The plane whose fixed axis is each scan axis: x sagittal, y coronal, z axial.
constexpr SlicePlane kPlaneOfAxis[3] = {SlicePlane::sagittal, SlicePlane::coronal, SlicePlane::axial};
// Half the length of the mark's axis lines, in texture coordinates.
constexpr float kMarkReach = 0.08f;

int powerOfTwoAtLeast(int value) {
    int edge = 1;
    while (edge < value) edge *= 2;
    return edge;
}

// Light text over a dark outline, readable over any grey.
void printOutlined(const Viewer& viewer, float x, float y, const char* text) {
    constexpr float kShadow[][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    glColor4f(0, 0, 0, 1);
    for (const auto& offset : kShadow) printAt(viewer, x + offset[0], y + offset[1], text);
    glColor4f(1, 1, 0.8f, 1);
    printAt(viewer, x, y, text);
}

void uploadPlanes(Viewer& viewer) {
    SlicePaneTextures& textures = viewer.paneTextures;
    const ScanSamples& scan = viewer.sliceSamples;
    uint8_t table[4096];
    greyTable(scan, sliceView.window, sliceView.level, table);
    std::vector<uint8_t> image;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int p = 0; p < kSlicePlaneCount; ++p) {
        const SlicePlane plane = static_cast<SlicePlane>(p);
        int width = 0, height = 0;
        planeSize(scan, plane, width, height);
        image.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        sliceImage(scan, plane, sliceView.voxel, table, image.data());
        if (textures.names[p] == 0) glGenTextures(1, &textures.names[p]);
        glBindTexture(GL_TEXTURE_2D, textures.names[p]);
        if (!textures.uploaded) {
            // NOTE: sizes padded to powers of two, which every driver takes.
            textures.edges[p][0] = powerOfTwoAtLeast(width);
            textures.edges[p][1] = powerOfTwoAtLeast(height);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE8, textures.edges[p][0], textures.edges[p][1], 0,
                         GL_LUMINANCE, GL_UNSIGNED_BYTE, nullptr);
        }
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_LUMINANCE, GL_UNSIGNED_BYTE, image.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    textures.uploaded = true;
    textures.revision = sliceView.revision;
}

void drawPlaneImage(const Viewer& viewer, SlicePlane plane, const ImageRect& rect) {
    const int p = static_cast<int>(plane);
    int width = 0, height = 0;
    planeSize(viewer.sliceSamples, plane, width, height);
    const float s = static_cast<float>(width) / static_cast<float>(viewer.paneTextures.edges[p][0]);
    const float t = static_cast<float>(height) / static_cast<float>(viewer.paneTextures.edges[p][1]);
    glBindTexture(GL_TEXTURE_2D, viewer.paneTextures.names[p]);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);  // rows from the bottom: t = 0 at the image's foot
    glTexCoord2f(0, 0);
    glVertex3f(rect.x, rect.y + rect.height, -10);
    glTexCoord2f(s, 0);
    glVertex3f(rect.x + rect.width, rect.y + rect.height, -10);
    glTexCoord2f(s, t);
    glVertex3f(rect.x + rect.width, rect.y, -10);
    glTexCoord2f(0, t);
    glVertex3f(rect.x, rect.y, -10);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

// The other two planes' lines through the crosshair, in their colours.
void drawCrosshairLines(const ScanSamples& scan, SlicePlane plane, const ImageRect& rect) {
    const PlaneAxes& axes = planeAxes(plane);
    double across = 0, up = 0;
    crosshairOnPlane(scan, plane, across, up);
    const float x = rect.x + static_cast<float>(across) * rect.width;
    const float y = rect.y + rect.height - static_cast<float>(up) * rect.height;
    glBegin(GL_LINES);
    glColor3fv(kPlaneColours[static_cast<int>(kPlaneOfAxis[axes.across])]);  // fixed across: a vertical line
    glVertex3f(x, rect.y, -10);
    glVertex3f(x, rect.y + rect.height, -10);
    glColor3fv(kPlaneColours[static_cast<int>(kPlaneOfAxis[axes.up])]);
    glVertex3f(rect.x, y, -10);
    glVertex3f(rect.x + rect.width, y, -10);
    glEnd();
}

void drawPaneLetters(const Viewer& viewer, SlicePlane plane, const PaneRect& pane) {
    const char* letters = planeAxes(plane).letters;
    const float x = static_cast<float>(pane.x), y = static_cast<float>(pane.y);
    const float w = static_cast<float>(pane.width), h = static_cast<float>(pane.height);
    const float places[4][2] = {{x + 6, y + h / 2 + 5},
                                {x + w - 16, y + h / 2 + 5},
                                {x + w / 2 - 4, y + 18},
                                {x + w / 2 - 4, y + h - 8}};
    for (int edge = 0; edge < 4; ++edge) {
        const char text[2] = {letters[edge], '\0'};
        printOutlined(viewer, places[edge][0], places[edge][1], text);
    }
}

// Three short lines along the volume's axes through the crosshair, drawn
// over the 3D picture.
void drawVolumeMark(const Viewer& viewer) {
    float centre[3];
    crosshairTexturePoint(viewer.sliceSamples, centre);
    const float zoom = zoomFactor(viewControls.zoomStep);
    const float side = static_cast<float>(viewer.pictureSide);
    glBegin(GL_LINES);
    for (int axis = 0; axis < 3; ++axis) {
        glColor3fv(kPlaneColours[static_cast<int>(kPlaneOfAxis[axis])]);
        for (float sign : {-1.0f, 1.0f}) {
            float end[3] = {centre[0], centre[1], centre[2]};
            end[axis] += sign * kMarkReach;
            float fx = 0, fy = 0;
            picturePointOf(viewControls.pose, zoom, end, fx, fy);
            glVertex3f(static_cast<float>(viewer.pictureX) + fx * side,
                       static_cast<float>(viewer.pictureY) + (1.0f - fy) * side, -10);
        }
    }
    glEnd();
}

void drawCornerText(const Viewer& viewer, const PaneRect& pane) {
    const ScanSamples& scan = viewer.sliceSamples;
    double mm[3];
    crosshairMillimetres(scan, mm);
    const int* v = sliceView.voxel;
    char line[3][96];
    std::snprintf(line[0], sizeof line[0], "W %.0f  L %.0f", static_cast<double>(sliceView.window),
                  static_cast<double>(sliceView.level));
    std::snprintf(line[1], sizeof line[1], "%.1f %.1f %.1f mm  voxel %d %d %d", mm[0], mm[1], mm[2], v[0],
                  v[1], v[2]);
    std::snprintf(line[2], sizeof line[2], "value %d%s", scan.valueOf(scan.at(v[0], v[1], v[2])),
                  scan.hounsfield ? " HU" : "");
    const float x = static_cast<float>(pane.x) + 8;
    float y = static_cast<float>(pane.y + pane.height) - 40;
    for (const char* text : line) {
        printOutlined(viewer, x, y, text);
        y += 16;
    }
}

}  // namespace

ImageRect planeImageRect(const PaneLayout& layout, const ScanSamples& scan, SlicePlane plane) {
    double width = 0, height = 0;
    planeExtent(scan, plane, width, height);
    return fitImage(layout.panes[static_cast<int>(plane)], width, height, kPaneMargin);
}

void drawSlicePanes(Viewer& viewer) {
    if (!viewer.panes.fourPanes || viewer.sliceSamples.empty()) return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT | GL_LINE_BIT);
    glDisable(GL_BLEND);
    if (!viewer.paneTextures.uploaded || viewer.paneTextures.revision != sliceView.revision)
        uploadPlanes(viewer);
    for (int p = 0; p < kSlicePlaneCount; ++p) {
        const SlicePlane plane = static_cast<SlicePlane>(p);
        const ImageRect rect = planeImageRect(viewer.panes, viewer.sliceSamples, plane);
        drawPlaneImage(viewer, plane, rect);
        drawCrosshairLines(viewer.sliceSamples, plane, rect);
    }
    glLineWidth(3.0f);
    drawVolumeMark(viewer);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);  // the glyphs are textures
    for (int p = 0; p < kSlicePlaneCount; ++p)
        drawPaneLetters(viewer, static_cast<SlicePlane>(p), viewer.panes.panes[p]);
    drawCornerText(viewer, viewer.panes.panes[static_cast<int>(SlicePlane::sagittal)]);
    glPopAttrib();
}

}  // namespace app
