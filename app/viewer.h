// Everything the viewer owns for the whole run, and the steps of a run:
// start-up fills a Viewer, the frame loop draws with it and tears it down.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <memory>
#include <string>
#include <vector>

#include "app/grid_plan.h"
#include "app/pane_layout.h"
#include "app/scan_open.h"
#include "app/scan_samples.h"
#include "app/slice_geometry.h"
#include "app/slice_panes.h"
#include "app/slice_tiles.h"
#include "app/viewer_options.h"
#include "app/volume_loader.h"
#include "platform/gl_context.h"
#include "support/frame_timer.h"
#include "support/matrix4.h"
#include "support/program_text.h"
#include "support/texture_font.h"
#include "volume/density_bounds.h"
#include "volume/image_slabs.h"
#include "volume/volume.h"

namespace app {

// Exit statuses of the viewer.
constexpr int kExitNormal = 0;
constexpr int kExitProgramRejected = 1;  // a shading program was rejected or unreadable
constexpr int kExitCannotStart = 2;      // no display, window, context, off-screen buffer, dataset or font
constexpr int kExitDisplayLost = 3;      // the display went away during the run

// Names the fixed texture units of the off-screen context.
enum TextureUnit : GLenum {
    kDensityUnit = GL_TEXTURE0_ARB,
    kGradientUnit = GL_TEXTURE1_ARB,
    kTransferUnit = GL_TEXTURE2_ARB,
    kDepthUnit = GL_TEXTURE3_ARB,
    kNoiseUnit = GL_TEXTURE4_ARB,  // the jittered programs' offsets
};

struct Viewer {
    int pbufferEdge = 512;
    // Viewer mode (any option, or a scan opened directly): drag input,
    // drawing on demand, a window of any size. Exact mode otherwise.
    bool viewerMode = false;
    // The part of the buffer a frame draws into (from its lower left corner):
    // 0 for the whole buffer, less for the cheap frames of a drag.
    int drawEdge = 0;
    int drawnEdge() const { return drawEdge > 0 ? drawEdge : pbufferEdge; }
    // The slice spacing (1 or 2 of the grid's) the uploaded table is made for.
    int tableSpacing = 1;
    // Viewer mode: the window's client size and the square picture in it,
    // the largest buffer the driver draws, and the last full picture's time.
    int windowWidth = 400, windowHeight = 400;
    int pictureX = 0, pictureY = 0, pictureSide = 400;
    int startBufferEdge = 0;    // the build's edge, the least a picture gets
    int largestBufferEdge = 0;  // 0 until the first layout
    int refusedBufferEdge = 0;  // the smallest edge the driver refused (said once on standard error)
    double fullPictureMilliseconds = -1.0;        // < 0 until measured
    std::string datasetPath = "skewed_head.dat";  // here or installed, unless given
    ViewerOptions options;                        // what the command line asked for
    // A DICOM or NIfTI scan opened directly: whether it was, its modality,
    // and its samples until the loader takes them.
    OpenedScan scan;
    GridPlan grid;  // the cube's edge and its slices

    platform::Window* window = nullptr;
    platform::HDC windowDC = nullptr;
    platform::HGLRC windowContext = nullptr;
    platform::HPBUFFERARB pbuffer = nullptr;
    platform::HDC pbufferDC = nullptr;
    platform::HGLRC pbufferContext = nullptr;

    std::unique_ptr<support::FrameTimer> frameTimer;
    std::unique_ptr<support::ProgramText> programReader;
    std::unique_ptr<volume::Volume> volume;
    GLuint densityTexture = 0;
    GLuint gradientTexture = 0;
    GLuint transferTexture = 0;
    GLuint depthTexture = 0;
    GLuint noiseTexture = 0;  // only with the added rendering
    // The grid voxels the density and gradient textures hold in viewer mode
    // (the box outside which both images are zero), and the scale that
    // takes a step across the cube to one across the box.
    volume::VoxelBox textureBox;
    float textureScale[3] = {1.0f, 1.0f, 1.0f};
    // Where the density texture reaches a level, for the slice bounds of
    // each pass: the boxes of the transparent pass (fixed by the table) and
    // those of the isosurface's last level (which follows the threshold).
    std::unique_ptr<volume::DensityBounds> densityBounds;
    std::vector<volume::TextureBox> transparentBoxes;
    int isosurfaceLevel = -1;
    std::vector<volume::TextureBox> isosurfaceBoxes;
    // The slice quads of each pass, remade every frame.
    std::vector<TileVertex> isosurfaceQuads;
    std::vector<TileVertex> transparentQuads;
    std::vector<float> surfaceDepths;  // the depth buffer, read back each frame
    std::vector<uint8_t> frameAlpha;   // the colour buffer's alpha, read back while drawing under
    std::unique_ptr<support::TransformMatrix> lightTransform;
    std::unique_ptr<support::Vector3> lightVector;
    std::unique_ptr<TextureFont> font;
    // Receives the off-screen image in the window's context each frame.
    GLuint compositeTexture = 0;
    // Viewer mode's slices: the scan's samples, the panes of the window and
    // their textures.
    ScanSamples sliceSamples;
    PaneLayout panes;
    SlicePaneTextures paneTextures;
};

// Shows the start-up failure box ("Window Creation Error.").
void showCreationError();

// Creates the off-screen buffer, its device context and its GL context, and
// makes that context current. Returns "" or what failed.
std::string createOffscreenBuffer(Viewer& viewer);

// Start-up: fills the viewer, from the window to the font. Returns
// kStarted, or the exit status to end the run with.
constexpr int kStarted = -1;
int startViewer(Viewer& viewer);

// Renders one frame and shows it in the window; false when the off-screen
// context cannot be made current. Without `renderVolume` the window shows
// the volume's last picture again (only the slice panes changed).
bool drawFrame(Viewer& viewer, bool renderVolume = true);

// Runs frames until the window is closed, then destroys the viewer's
// objects. Returns the exit status.
int runFrameLoop(Viewer& viewer);

// Viewer mode's loop: a frame only when something changed, else it waits
// for the next event. Returns the exit status; leaves the objects.
int runDemandLoop(Viewer& viewer);

// Uploads the density, gradient and transfer images the loader made and
// defines the depth texture, in the current (off-screen) context.
void uploadVolumeTextures(Viewer& viewer, const LoadedVolume& loaded);

// The same a slab at a time, in the current (off-screen) context: names the
// textures and defines the volume's two over `box` with no texels yet
// (handing the slice program the box's scale and offset), uploads each
// slab as it comes (with its part of the density bounds), then the table
// and the depth texture.
struct ImageSlab;
void nameVolumeTextures(Viewer& viewer);
void defineSlabbedTextures(Viewer& viewer, const volume::VoxelBox& box);
void uploadSlab(Viewer& viewer, const ImageSlab& slab);
void finishVolumeTextures(Viewer& viewer, const uint8_t* table);

// The texture that receives the off-screen image, in the window's context.
GLuint createCompositeTexture();

// Viewer mode's load: the images are made on every core while the driver
// builds its shaders, and go up a slab at a time while the window shows how
// far the load has got. "" when the textures are up; else the problem, and
// `datasetProblem` tells one with the dataset from one with the contexts.
std::string loadVolumeInSlabs(Viewer& viewer, bool& datasetProblem);

// Clears the window (its context current) to a bar filled `done` of the
// way, and shows it.
void showLoadProgress(const Viewer& viewer, double done);

// Where the transparent pass can leave a mark with a transfer table (256
// RGBA entries): the blocks that reach its lowest density with an opaque
// entry; everywhere when the bounds or the table are unknown.
std::vector<volume::TextureBox> transparentBoxesFor(const volume::DensityBounds* bounds,
                                                    const uint8_t* table);

// Define the texture objects of the volume's images on their units, with
// their formats and sampling (image: edge^3 texels; table: RGBA entries).
// With `zeroBorder` (the jittered programs, which do not discard outside the
// cube) the density reads zero beyond the cube instead of its faces smeared
// outwards.
void defineDensityTexture(GLuint name, int edge, const uint8_t* image, bool zeroBorder = false);
void defineGradientTexture(GLuint name, int edge, const uint8_t* image);
void defineTransferTexture(GLuint name, int entries, const uint8_t* table);

// Defines the tile of per-pixel offsets the jittered programs read, on its
// unit; unit 3 stays active.
void defineNoiseTexture(GLuint name);

// Has the driver build the shaders of both passes before the first frame,
// in the off-screen context once its programs are loaded; draws nothing
// and leaves every setting as it was.
void prepareOffscreenShaders(bool jittered = false);
// The same for the composite and the overlay, in the window's context once
// the off-screen buffer and the composite texture exist.
void prepareWindowShaders(const Viewer& viewer);

// Fixed GL state of the off-screen context (after the program chain) and of
// the window's context (with its orthographic projection).
void setOffscreenState();
void setOffscreenProjection();
void setWindowState();

}  // namespace app
