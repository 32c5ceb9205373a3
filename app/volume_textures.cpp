// Uploads the volume's three images and the depth texture.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <utility>

#include "app/slice_bounds.h"
#include "app/viewer.h"
#include "glext/entry_points.h"

namespace app {
namespace {

constexpr int kGridEdge = 128;

}  // namespace

void setVolumeSampling() {
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void uploadVolumeTextures(Viewer& viewer, LoadedVolume& loaded) {
    GLuint names[4] = {};
    glGenTextures(4, names);
    viewer.densityTexture = names[0];
    viewer.gradientTexture = names[1];
    viewer.transferTexture = names[2];
    viewer.depthTexture = names[3];

    std::fputs("loading density texture\n", stdout);
    {
        const auto image = std::move(loaded.densityImage);
        glext::glActiveTextureARB(kDensityUnit);
        glBindTexture(GL_TEXTURE_3D, viewer.densityTexture);
        setVolumeSampling();
        glext::glTexImage3D(GL_TEXTURE_3D, 0, GL_ALPHA8, kGridEdge, kGridEdge, kGridEdge, 0, GL_ALPHA,
                            GL_UNSIGNED_BYTE, image.get());
        if (image) viewer.densityBounds = std::make_unique<volume::DensityBounds>(image.get(), kGridEdge);
    }
    std::fputs("loading gradient texture\n", stdout);
    {
        const auto image = std::move(loaded.gradientImage);
        glext::glActiveTextureARB(kGradientUnit);
        glBindTexture(GL_TEXTURE_3D, viewer.gradientTexture);
        setVolumeSampling();
        glext::glTexImage3D(GL_TEXTURE_3D, 0, GL_RGBA8, kGridEdge, kGridEdge, kGridEdge, 0, GL_RGBA,
                            GL_UNSIGNED_BYTE, image.get());
    }
    {
        const auto table = std::move(loaded.transferTable);
        glext::glActiveTextureARB(kTransferUnit);
        glBindTexture(GL_TEXTURE_1D, viewer.transferTexture);
        glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA8, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, table.get());
        viewer.transparentBoxes = wholeVolume();
        if (table && viewer.densityBounds) {
            const int level = lowestTransparentTexel(table.get(), 256);
            viewer.transparentBoxes.clear();
            if (level >= 0) viewer.transparentBoxes = viewer.densityBounds->boxesAtLeast(static_cast<uint8_t>(level));
        }
    }
    // Defined for the programs' use; never written. Unit 3 stays active.
    glext::glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, viewer.depthTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, 128, 128, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    std::fflush(stdout);
}

}  // namespace app
