// Start-up: window and its context, extensions, off-screen buffer and its
// context, shading programs, volume and textures, slices, projections, font.
#include "app/viewer_main.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "app/looks.h"
#include "app/offscreen_request.h"
#include "app/program_chain.h"
#include "app/program_folder.h"
#include "app/view_controls.h"
#include "app/viewer.h"
#include "app/window_procedure.h"
#include "glext/extensions.h"
#include "glext/viewer_entry_points.h"
#include "platform/runtime.h"

namespace app {

using namespace platform::win;

namespace {

// Stops start-up with a box when a step left nothing to go on with.
int cannotStart(const std::string& detail) {
    if (!detail.empty()) std::fprintf(stderr, "volview: %s\n", detail.c_str());
    showCreationError();
    return kExitCannotStart;
}

// Stops start-up with the dataset's own box (the box is echoed on standard
// error).
int cannotUseDataset(const std::string& problem) {
    platform::messageBox(nullptr, problem.c_str(), "ERROR", MB_ICONEXCLAMATION);
    return kExitCannotStart;
}

bool createWindowAndContext(Viewer& viewer) {
    platform::WindowClass windowClass;
    windowClass.name = "test";
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.procedure = &windowProcedure;
    if (!platform::registerClass(windowClass)) {
        platform::messageBox(nullptr, "Failed To Register The Window Class.", "ERROR", MB_ICONEXCLAMATION);
    }
    // Viewer mode's window may start at another size; exact mode's is 400 x 400.
    const bool sized = viewer.viewerMode && viewer.options.width > 0;
    viewer.window =
        platform::createWindow("test", "test", WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0,
                               sized ? viewer.options.width : 400, sized ? viewer.options.height : 400);
    if (viewer.window == nullptr) return false;
    platform::showWindow(viewer.window, SW_SHOW);
    viewer.windowDC = platform::getDC(viewer.window);

    platform::PIXELFORMATDESCRIPTOR descriptor;
    descriptor.nSize = 40;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 32;
    descriptor.cDepthBits = 24;
    descriptor.iLayerType = PFD_MAIN_PLANE;
    const int format = platform::choosePixelFormat(viewer.windowDC, descriptor);
    if (!platform::setPixelFormat(viewer.windowDC, format, descriptor)) return false;
    viewer.windowContext = platform::wglCreateContext(viewer.windowDC);
    return viewer.windowContext != nullptr && platform::wglMakeCurrent(viewer.windowDC, viewer.windowContext);
}

// Resolves extensions and checks that every entry point the viewer calls is
// there: a missing one would be a call through a null pointer.
bool initEntryPoints() {
    glext::setProcResolver(&platform::getProcAddress);
    glext::setCurrentDcQuery(&platform::wglGetCurrentDC);
    if (glext::initExtensions() != 0) showCreationError();
    const std::vector<const char*> missing = glext::missingViewerEntryPoints();
    if (missing.empty()) return true;
    std::string names;
    for (const char* name : missing) names += std::string(" ") + name;
    std::fprintf(stderr, "volview: the driver lacks entry points the viewer needs:%s\n", names.c_str());
    return false;
}

// The server went away mid-run: nothing more can be shown, so no box; the
// platform layer has already said what happened on standard error. The
// volume loader's thread may still be running, so the process ends without
// static destructors (they would free what that thread is using).
void endForLostDisplay() {
    std::fflush(nullptr);
    std::_Exit(kExitDisplayLost);
}

// The overlay needs one scalable font. fontconfig offers some other
// installed face when "Arial" and its metric twins are missing; with no
// font at all the overlay would raise a box for every glyph, so stop here.
bool overlayFontAvailable() {
    platform::Font* probe = platform::createFont(12, 400, false, true, "Arial");
    if (probe == nullptr) return false;
    platform::deleteFont(probe);
    return true;
}

// A cube the driver or the memory cannot hold is refused before anything
// is loaded, naming the largest edge that fits.
std::string gridProblem(const GridPlan& grid) {
    GLint maxTextureEdge = 0;
    glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &maxTextureEdge);
    return refuseGridEdge(grid.edge, maxTextureEdge, platform::availableMemoryBytes());
}

// The programs of the added rendering after the chain: the jittered ones,
// and the slice program for textures that hold a box.
int loadAddedPrograms(Viewer& viewer, const std::string& folder) {
    ChainResult added = loadJitteredPrograms(*viewer.programReader, folder);
    if (added.ok) added = loadBoxedVertexProgram(*viewer.programReader, folder);
    if (added.ok) return kStarted;
    const std::string text = added.unreadable ? "Error. " + added.caption : std::string("Error.");
    platform::messageBox(nullptr, text.c_str(), added.caption.c_str(), MB_ICONEXCLAMATION);
    return kExitProgramRejected;
}

// Exact mode's load (a dataset file: a scan opened directly is always
// viewer mode): the volume and its whole images on a thread while the
// driver builds its shaders, then the upload.
int loadWholeVolume(Viewer& viewer) {
    LoadedVolume loaded;
    {
        VolumeLoader loader(viewer.datasetPath, viewer.grid.edge);
        prepareOffscreenShaders(viewer.grid.addedRendering);
        const bool windowCurrent = platform::wglMakeCurrent(viewer.windowDC, viewer.windowContext);
        if (windowCurrent) {
            viewer.compositeTexture = createCompositeTexture();
            prepareWindowShaders(viewer);
        }
        loaded = loader.take();
        if (!windowCurrent || !platform::wglMakeCurrent(viewer.pbufferDC, viewer.pbufferContext)) {
            return cannotStart("cannot switch between the GL contexts");
        }
    }
    if (!loaded.volume) return cannotUseDataset(viewer.datasetPath + ": not enough memory");
    // Never upload an empty or partial volume, nor a missing image.
    if (loaded.volume->isEmpty()) return cannotUseDataset(loaded.volume->loadError());
    if (const char* missing = loaded.missingImage()) {
        return cannotUseDataset(viewer.datasetPath + ": not enough memory for the " + missing);
    }
    // The frames need nothing of the volume but its textures: its samples
    // and gradients go before the upload, its images right after, rather
    // than at the end of the run.
    loaded.volume.reset();
    platform::releaseFreeMemory();
    fitTableToSlices(viewer.grid, loaded.transferTable.get());
    uploadVolumeTextures(viewer, loaded);
    return kStarted;
}

// Keeps the samples the slice panes show and starts their view. A dataset
// file that cannot be read again leaves the 3D view alone, and says so.
void takeSliceSamples(Viewer& viewer) {
    std::string problem;
    if (viewer.scan.direct) {
        viewer.sliceSamples = std::move(viewer.scan.slices);
    } else if (!readDatasetSamples(viewer.datasetPath, viewer.sliceSamples, problem)) {
        std::fprintf(stderr, "volview: no slices: %s\n", problem.c_str());
    }
    startSliceView(viewer.sliceSamples, viewer.options.fourPanes);
}

}  // namespace

// The texture that receives the off-screen image: plain linear filtering,
// so the image needs no mipmaps of its own.
GLuint createCompositeTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return name;
}

std::string createOffscreenBuffer(Viewer& viewer) {
    const float floatAttributes[] = {0, 0};
    int format = 0;
    unsigned formatCount = 0;
    vgl::wglChoosePixelFormatARB(viewer.windowDC, kOffscreenFormatRequest, floatAttributes, 1, &format,
                                 &formatCount);
    if (formatCount == 0) {
        return "no off-screen buffer format with 24 colour, 8 alpha and 16 depth bits that binds as a "
               "texture";
    }
    const std::string size = std::to_string(viewer.pbufferEdge) + " x " + std::to_string(viewer.pbufferEdge);
    viewer.pbuffer = vgl::wglCreatePbufferARB(viewer.windowDC, format, viewer.pbufferEdge, viewer.pbufferEdge,
                                              kOffscreenBufferAttributes);
    if (viewer.pbuffer == nullptr) return "cannot create a " + size + " off-screen buffer";
    viewer.pbufferDC = vgl::wglGetPbufferDCARB(viewer.pbuffer);
    if (viewer.pbufferDC == nullptr) return "cannot get the device context of the off-screen buffer";
    viewer.pbufferContext = platform::wglCreateContext(viewer.pbufferDC);
    if (viewer.pbufferContext == nullptr) return "cannot create a GL context for the off-screen buffer";
    if (!platform::wglMakeCurrent(viewer.pbufferDC, viewer.pbufferContext)) {
        return "cannot draw into a " + size + " off-screen buffer";
    }
    return "";
}

void showCreationError() {
    platform::messageBox(nullptr, "Window Creation Error.", "ERROR", MB_ICONEXCLAMATION);
}

int ViewerMain(void*, void*, const char* commandLine, int, int pbufferEdge) {
    ViewerOptions options;
    if (commandLine != nullptr) options.path = commandLine;
    return runViewer(options, pbufferEdge);
}

int runViewer(const ViewerOptions& options, int pbufferEdge) {
    Viewer viewer;
    viewer.pbufferEdge = pbufferEdge;
    viewer.options = options;
    viewer.grid = planGrid(options);
    viewer.datasetPath = options.path.empty() ? defaultDatasetPath() : options.path;
    std::string lookProblem;
    const int look = startLookFor("", options.look, lookProblem);
    if (look < 0) {
        std::fprintf(stderr, "volview: %s\n", lookProblem.c_str());
        return kExitCannotStart;
    }
    startInLook(look);
    const int status = startViewer(viewer);
    return status == kStarted ? runFrameLoop(viewer) : status;
}

void restartForLargeGrid(int gridEdge, char** argv) {
    constexpr int kHugePageGridEdge = 256;
    if (gridEdge >= kHugePageGridEdge) platform::restartWithHugePages(argv);
}

int startViewer(Viewer& viewer) {
    platform::mapLargeBlocksApart();
    if (!platform::init()) return cannotStart(std::string("no display: ") + platform::lastError());
    platform::setConnectionLostHandler(&endForLostDisplay);
    // A scan is imported, or refused, before the window opens.
    std::string scanProblem;
    if (!openScan(viewer.options, viewer.scan, scanProblem)) {
        platform::messageBox(nullptr, scanProblem.c_str(), "volview", MB_ICONEXCLAMATION);
        return kExitCannotStart;
    }
    // A scan opened directly starts in the look its modality suggests, and
    // is drawn with the added rendering as a finer grid is.
    viewer.viewerMode = !viewer.options.plain() || viewer.scan.direct;
    if (viewer.scan.direct) {
        viewer.grid.addedRendering = true;
        std::string unused;
        if (viewer.options.look.empty()) startInLook(startLookFor(viewer.scan.modality, "", unused));
    }
    if (!createWindowAndContext(viewer)) return cannotStart("cannot create the window or its GL context");
    if (!initEntryPoints()) return cannotStart("");
    const std::string offscreenProblem = createOffscreenBuffer(viewer);
    if (!offscreenProblem.empty()) return cannotStart(offscreenProblem);
    const std::string gridRefusal = gridProblem(viewer.grid);
    if (!gridRefusal.empty()) return cannotUseDataset(gridRefusal);

    viewer.frameTimer = std::make_unique<support::FrameTimer>();
    viewer.programReader = std::make_unique<support::ProgramText>();
    const std::string programFolder = chooseProgramFolder(programFolderCandidates(), programFileNames());
    const ChainResult chain = loadProgramChain(*viewer.programReader, programFolder);
    if (!chain.ok) {
        // A file that could not be read is named in the text as well.
        const std::string text = chain.unreadable ? "Error. " + chain.caption : std::string("Error.");
        platform::messageBox(nullptr, text.c_str(), chain.caption.c_str(), MB_ICONEXCLAMATION);
        viewer.programReader.reset();
        viewer.frameTimer.reset();
        return kExitProgramRejected;
    }
    if (viewer.grid.addedRendering && loadAddedPrograms(viewer, programFolder) != kStarted) {
        return kExitProgramRejected;
    }
    setOffscreenState();

    std::fputs("loading model\n", stdout);
    std::fflush(stdout);
    if (viewer.viewerMode) {
        bool datasetProblem = false;
        const std::string problem = loadVolumeInSlabs(viewer, datasetProblem);
        if (!problem.empty()) return datasetProblem ? cannotUseDataset(problem) : cannotStart(problem);
        // The slice panes read the scan's own samples; a dataset file's are
        // read again from it.
        takeSliceSamples(viewer);
    } else {
        const int status = loadWholeVolume(viewer);
        if (status != kStarted) return status;
    }
    if (viewer.grid.addedRendering) {
        glGenTextures(1, &viewer.noiseTexture);
        defineNoiseTexture(viewer.noiseTexture);
    }
    platform::releaseFreeMemory();
    std::fputs("finishing initialisation\n", stdout);
    std::fflush(stdout);

    viewer.lightTransform = std::make_unique<support::TransformMatrix>();
    viewer.lightVector = std::make_unique<support::Vector3>(computeLightVector());
    setOffscreenProjection();

    if (!platform::wglMakeCurrent(viewer.windowDC, viewer.windowContext)) {
        return cannotStart("cannot make the window's GL context current");
    }
    setWindowState();
    if (!overlayFontAvailable()) {
        return cannotStart(std::string("no font for the frame-rate text: ") + platform::lastError());
    }
    viewer.font = std::make_unique<TextureFont>(-12, 400, viewer.windowDC);
    return kStarted;
}

}  // namespace app
