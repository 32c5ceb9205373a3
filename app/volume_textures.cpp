// Uploads the volume's three images and the depth texture.
#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/program_chain.h"
#include "app/slab_loader.h"
#include "app/slice_bounds.h"
#include "app/viewer.h"
#include "glext/viewer_entry_points.h"

namespace app {
namespace {

constexpr int kNoiseEdge = 64;

// Blocks of the density summary: 64 per axis (2 texels at 128, 4 at 256),
// about as fine as the cells of the slice quads (see slice_tiles.h), and no
// more, so that the per-frame bounds cost the same at every edge.
int boundsBlockEdge(int edge) { return edge / 64 > 2 ? edge / 64 : 2; }

// A 3D image of size[0] x size[1] x size[2] texels on its unit: clamped by
// `wrap` (GL_CLAMP, where the programs discard outside the unit cube, or
// GL_CLAMP_TO_BORDER with a zero border), linearly filtered, no mipmaps.
void defineVolumeTexture(GLenum unit, GLuint name, GLenum internalFormat, GLenum format,
                         const std::array<int, 3>& size, const uint8_t* image, GLenum wrap = GL_CLAMP) {
    vgl::glActiveTextureARB(unit);
    glBindTexture(GL_TEXTURE_3D, name);
    const GLfloat zero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glTexParameterfv(GL_TEXTURE_3D, GL_TEXTURE_BORDER_COLOR, zero);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, static_cast<GLint>(wrap));
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrap));
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, static_cast<GLint>(wrap));
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    vgl::glTexImage3D(GL_TEXTURE_3D, 0, static_cast<GLint>(internalFormat), size[0], size[1], size[2], 0,
                      format, GL_UNSIGNED_BYTE, image);
}

void defineDensityTexture(GLuint name, const std::array<int, 3>& size, const uint8_t* image,
                          bool zeroBorder) {
    defineVolumeTexture(kDensityUnit, name, GL_ALPHA8, GL_ALPHA, size, image,
                        zeroBorder ? GL_CLAMP_TO_BORDER : GL_CLAMP);
}

void defineGradientTexture(GLuint name, const std::array<int, 3>& size, const uint8_t* image) {
    defineVolumeTexture(kGradientUnit, name, GL_RGBA8, GL_RGBA, size, image);
}

}  // namespace

std::vector<volume::TextureBox> transparentBoxesFor(const volume::DensityBounds* bounds,
                                                    const uint8_t* table) {
    if (bounds == nullptr || table == nullptr) return wholeVolume();
    const int level = lowestTransparentTexel(table, 256);
    if (level < 0) return {};
    return bounds->boxesAtLeast(static_cast<uint8_t>(level));
}

void defineDensityTexture(GLuint name, int edge, const uint8_t* image, bool zeroBorder) {
    defineDensityTexture(name, {edge, edge, edge}, image, zeroBorder);
}

void defineGradientTexture(GLuint name, int edge, const uint8_t* image) {
    defineGradientTexture(name, {edge, edge, edge}, image);
}

void defineTransferTexture(GLuint name, int entries, const uint8_t* table) {
    vgl::glActiveTextureARB(kTransferUnit);
    glBindTexture(GL_TEXTURE_1D, name);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA8, entries, 0, GL_RGBA, GL_UNSIGNED_BYTE, table);
}

void defineNoiseTexture(GLuint name) {
    // Interleaved gradient noise: neighbouring pixels get offsets far
    // apart, so the grain is fine and even rather than blotchy.
    std::vector<uint8_t> tile(kNoiseEdge * kNoiseEdge);
    for (int y = 0; y < kNoiseEdge; ++y) {
        for (int x = 0; x < kNoiseEdge; ++x) {
            const double inner = std::fmod(0.06711056 * x + 0.00583715 * y, 1.0);
            const double noise = std::fmod(52.9829189 * inner, 1.0);
            tile[static_cast<std::size_t>(y * kNoiseEdge + x)] = static_cast<uint8_t>(noise * 255.0);
        }
    }
    vgl::glActiveTextureARB(kNoiseUnit);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE8, kNoiseEdge, kNoiseEdge, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                 tile.data());
    vgl::glActiveTexture(GL_TEXTURE3);
}

void nameVolumeTextures(Viewer& viewer) {
    GLuint names[4] = {};
    glGenTextures(4, names);
    viewer.densityTexture = names[0];
    viewer.gradientTexture = names[1];
    viewer.transferTexture = names[2];
    viewer.depthTexture = names[3];
}

void uploadVolumeTextures(Viewer& viewer, const LoadedVolume& loaded) {
    const int edge = viewer.grid.edge;
    nameVolumeTextures(viewer);
    std::fputs("loading density texture\n", stdout);
    defineDensityTexture(viewer.densityTexture, edge, loaded.densityImage.get(), viewer.grid.addedRendering);
    if (loaded.densityImage) {
        viewer.densityBounds =
            std::make_unique<volume::DensityBounds>(loaded.densityImage.get(), edge, boundsBlockEdge(edge));
    }
    std::fputs("loading gradient texture\n", stdout);
    defineGradientTexture(viewer.gradientTexture, edge, loaded.gradientImage.get());
    finishVolumeTextures(viewer, loaded.transferTable.get());
}

void defineSlabbedTextures(Viewer& viewer, const volume::VoxelBox& box) {
    const int edge = viewer.grid.edge;
    nameVolumeTextures(viewer);
    const std::array<int, 3> size = {box.size(0), box.size(1), box.size(2)};
    defineDensityTexture(viewer.densityTexture, size, nullptr, viewer.grid.addedRendering);
    defineGradientTexture(viewer.gradientTexture, size, nullptr);
    viewer.densityBounds = std::make_unique<volume::DensityBounds>(edge, boundsBlockEdge(edge));
    // A coordinate u across the cube is u * edge texels from its low face,
    // (u * edge - low) / size across the box.
    viewer.textureBox = box;
    float* scale = viewer.textureScale;
    float offset[3];
    for (std::size_t a = 0; a < 3; ++a) {
        scale[a] = static_cast<float>(edge) / static_cast<float>(size[a]);
        offset[a] = -static_cast<float>(box.low[a]) / static_cast<float>(size[a]);
    }
    vgl::glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, kTextureScaleParameter, scale[0], scale[1],
                                    scale[2], 0.0f);
    vgl::glProgramEnvParameter4fARB(GL_VERTEX_PROGRAM_ARB, kTextureOffsetParameter, offset[0], offset[1],
                                    offset[2], 0.0f);
    vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, kWobbleBoxScaleParameter, scale[0], scale[1],
                                    scale[2], 0.0f);
    vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, kWobbleCubeScaleParameter, 1.0f / scale[0],
                                    1.0f / scale[1], 1.0f / scale[2], 0.0f);
    vgl::glProgramEnvParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, kWobbleCubeOffsetParameter,
                                    -offset[0] / scale[0], -offset[1] / scale[1], -offset[2] / scale[2],
                                    0.0f);
}

void uploadSlab(Viewer& viewer, const ImageSlab& slab) {
    const volume::VoxelBox& box = viewer.textureBox;
    const int z = slab.firstZ - box.low[2];
    // Rows of the density box need not fill whole words.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    vgl::glActiveTextureARB(kDensityUnit);
    glBindTexture(GL_TEXTURE_3D, viewer.densityTexture);
    vgl::glTexSubImage3D(GL_TEXTURE_3D, 0, 0, 0, z, box.size(0), box.size(1), slab.count, GL_ALPHA,
                         GL_UNSIGNED_BYTE, slab.density.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    vgl::glActiveTextureARB(kGradientUnit);
    glBindTexture(GL_TEXTURE_3D, viewer.gradientTexture);
    vgl::glTexSubImage3D(GL_TEXTURE_3D, 0, 0, 0, z, box.size(0), box.size(1), slab.count, GL_RGBA,
                         GL_UNSIGNED_BYTE, slab.gradient.data());
    viewer.densityBounds->addBlock(slab.density.data(), {box.low[0], box.low[1], slab.firstZ},
                                   {box.size(0), box.size(1), slab.count});
}

void finishVolumeTextures(Viewer& viewer, const uint8_t* table) {
    defineTransferTexture(viewer.transferTexture, 256, table);
    viewer.transparentBoxes = transparentBoxesFor(viewer.densityBounds.get(), table);

    // Defined for the programs' use; never written. Unit 3 stays active.
    vgl::glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, viewer.depthTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, 128, 128, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    std::fflush(stdout);
}

}  // namespace app
