// An off-screen buffer drawn straight into a texture. While a context is
// current on the buffer, a framebuffer object of that context sends its
// drawing into a texture of the buffer's size instead of the buffer's own
// colour buffer; binding the image then stands that texture in for the bound
// one, so nothing is copied. All contexts of the layer share objects, which
// lets the texture drawn in one context be read in another. Where the driver
// has no framebuffer objects, or the texture cannot be a complete target,
// the image stays in the buffer and bind copies it (glx_context.cpp).
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glx.h>

#include "platform/proc_table.h"
#include "platform/x11_platform.h"

namespace platform {

namespace {

// The driver's framebuffer-object and sync calls. Fences are optional:
// without them the drawing context finishes its work before another reads it.
struct TargetCalls {
    PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers;
    PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer;
    PFNGLFRAMEBUFFERTEXTURE2DEXTPROC framebufferTexture2D;
    PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC checkFramebufferStatus;
    PFNGLGENRENDERBUFFERSEXTPROC genRenderbuffers;
    PFNGLBINDRENDERBUFFEREXTPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEEXTPROC renderbufferStorage;
    PFNGLDELETERENDERBUFFERSEXTPROC deleteRenderbuffers;
    PFNGLGENERATEMIPMAPEXTPROC generateMipmap;
    PFNGLFENCESYNCPROC fenceSync;
    PFNGLWAITSYNCPROC waitSync;
    PFNGLDELETESYNCPROC deleteSync;
};

template <typename F>
void resolve(F& function, const char* name) {
    function = reinterpret_cast<F>(glXGetProcAddress(reinterpret_cast<const GLubyte*>(name)));
}

bool hasExtension(const char* name) {
    return hasToken(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), name);
}

// The calls, read with the first context that draws into a buffer; null when
// the driver lacks framebuffer objects.
const TargetCalls* targetCalls() {
    static bool known = false;
    static TargetCalls calls{};
    static bool usable = false;
    if (!known) {
        known = true;
        usable = hasExtension("GL_EXT_framebuffer_object");
        resolve(calls.genFramebuffers, "glGenFramebuffersEXT");
        resolve(calls.bindFramebuffer, "glBindFramebufferEXT");
        resolve(calls.framebufferTexture2D, "glFramebufferTexture2DEXT");
        resolve(calls.framebufferRenderbuffer, "glFramebufferRenderbufferEXT");
        resolve(calls.checkFramebufferStatus, "glCheckFramebufferStatusEXT");
        resolve(calls.genRenderbuffers, "glGenRenderbuffersEXT");
        resolve(calls.bindRenderbuffer, "glBindRenderbufferEXT");
        resolve(calls.renderbufferStorage, "glRenderbufferStorageEXT");
        resolve(calls.deleteRenderbuffers, "glDeleteRenderbuffersEXT");
        resolve(calls.generateMipmap, "glGenerateMipmapEXT");
        usable = usable && calls.genFramebuffers && calls.bindFramebuffer && calls.framebufferTexture2D &&
                 calls.framebufferRenderbuffer && calls.checkFramebufferStatus && calls.genRenderbuffers &&
                 calls.bindRenderbuffer && calls.renderbufferStorage && calls.deleteRenderbuffers &&
                 calls.generateMipmap;
        if (hasExtension("GL_ARB_sync")) {
            resolve(calls.fenceSync, "glFenceSync");
            resolve(calls.waitSync, "glWaitSync");
            resolve(calls.deleteSync, "glDeleteSync");
        }
    }
    return usable ? &calls : nullptr;
}

int configAttribute(int format, int name) {
    int value = 0;
    glXGetFBConfigAttrib(x11().display, x11().configs[format - 1], name, &value);
    return value;
}

// The buffer's texture and depth renderbuffer, in the buffer's own format.
// False, with nothing left behind, when the driver cannot draw into them.
bool makeTargetObjects(const Pbuffer& pbuffer, PbufferGLX& native, const TargetCalls& gl) {
    const bool alpha = configAttribute(pbuffer.pixelFormat, GLX_ALPHA_SIZE) > 0;
    // An RGB image of an RGBA buffer must read as opaque; a texture would keep the alpha.
    if (alpha && pbuffer.textureFormat == win::WGL_TEXTURE_RGB_ARB) return false;
    const int depthBits = configAttribute(pbuffer.pixelFormat, GLX_DEPTH_SIZE);
    const int stencilBits = configAttribute(pbuffer.pixelFormat, GLX_STENCIL_SIZE);
    GLint previousTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glGenTextures(1, &native.texture);
    native.serial = ++x11().targetsMade;
    glBindTexture(GL_TEXTURE_2D, native.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, alpha ? GL_RGBA8 : GL_RGB8, pbuffer.width, pbuffer.height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));
    if (depthBits > 0 || stencilBits > 0) {
        const GLenum storage = stencilBits > 0  ? GL_DEPTH24_STENCIL8_EXT
                               : depthBits > 16 ? GL_DEPTH_COMPONENT24
                                                : GL_DEPTH_COMPONENT16;
        gl.genRenderbuffers(1, &native.depth);
        gl.bindRenderbuffer(GL_RENDERBUFFER_EXT, native.depth);
        gl.renderbufferStorage(GL_RENDERBUFFER_EXT, storage, pbuffer.width, pbuffer.height);
        gl.bindRenderbuffer(GL_RENDERBUFFER_EXT, 0);
    }
    // A failed allocation shows as an incomplete framebuffer; glGetError
    // would also take errors the caller is waiting to read.
    return true;
}

void deleteTargetObjects(PbufferGLX& native, const TargetCalls& gl) {
    if (native.texture) glDeleteTextures(1, &native.texture);
    if (native.depth) gl.deleteRenderbuffers(1, &native.depth);
    native.texture = native.depth = 0;
}

// Points the context's framebuffer object at the buffer's objects; false
// when that is not a complete target. Attaching and checking are done once
// per context and buffer, not every time the frame loop comes back to it.
bool attachTarget(const Pbuffer& pbuffer, const PbufferGLX& native, ContextGLX& context,
                  const TargetCalls& gl) {
    if (!context.framebuffer) gl.genFramebuffers(1, &context.framebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER_EXT, context.framebuffer);
    if (context.framebufferTarget == native.serial) return true;
    gl.framebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, native.texture, 0);
    const bool stencil = configAttribute(pbuffer.pixelFormat, GLX_STENCIL_SIZE) > 0;
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                               native.depth);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                               stencil ? native.depth : 0);
    if (gl.checkFramebufferStatus(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT) {
        context.framebufferTarget = native.serial;
        return true;
    }
    gl.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    return false;
}

}  // namespace

void glxDrawIntoTexture(Pbuffer& pbuffer, ContextGLX& context) {
    PbufferGLX& native = *pbuffer.glx;
    native.inTexture = false;
    const TargetCalls* gl = targetCalls();
    if (!gl || native.refused) return;
    const bool made = native.texture || makeTargetObjects(pbuffer, native, *gl);
    if (!made || !attachTarget(pbuffer, native, context, *gl)) {
        deleteTargetObjects(native, *gl);
        native.refused = true;
        return;
    }
    native.inTexture = true;
    context.drawingInto = &native;
}

void glxStopDrawingIntoTexture(ContextGLX& context) {
    PbufferGLX* native = context.drawingInto;
    if (!native) return;
    const TargetCalls& gl = *targetCalls();
    if (native->drawn) gl.deleteSync(native->drawn);
    native->drawn = gl.fenceSync ? gl.fenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0) : nullptr;
    if (!native->drawn) glFinish();
    gl.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    context.drawingInto = nullptr;
}

bool glxBindDrawnTexture(Pbuffer& pbuffer) {
    PbufferGLX& native = *pbuffer.glx;
    if (!native.inTexture) return false;
    const TargetCalls& gl = *targetCalls();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    if (bound == 0) return false;  // the copy reports it
    if (native.drawn) {
        // The reading context waits in the command stream, not on the host.
        gl.waitSync(native.drawn, 0, GL_TIMEOUT_IGNORED);
        gl.deleteSync(native.drawn);
        native.drawn = nullptr;
    }
    // The bound texture's sampling carries over to the one standing in for it.
    const GLenum carried[] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S,
                              GL_TEXTURE_WRAP_T};
    GLint values[4] = {};
    for (int i = 0; i < 4; ++i) glGetTexParameteriv(GL_TEXTURE_2D, carried[i], &values[i]);
    native.displaced = static_cast<GLuint>(bound);
    glBindTexture(GL_TEXTURE_2D, native.texture);
    for (int i = 0; i < 4; ++i) glTexParameteri(GL_TEXTURE_2D, carried[i], values[i]);
    if (pbuffer.mipmapTexture && values[0] != GL_NEAREST && values[0] != GL_LINEAR)
        gl.generateMipmap(GL_TEXTURE_2D);
    return true;
}

void glxReleaseDrawnTexture(Pbuffer& pbuffer) {
    PbufferGLX& native = *pbuffer.glx;
    if (!native.displaced) return;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    if (static_cast<GLuint>(bound) == native.texture) glBindTexture(GL_TEXTURE_2D, native.displaced);
    native.displaced = 0;
}

void glxForgetDrawnTexture(Pbuffer& pbuffer) {
    PbufferGLX& native = *pbuffer.glx;
    const TargetCalls* gl = targetCalls();
    // Objects go with any context of the layer (they all share); with none
    // current they go with the last context.
    if (!gl || !glXGetCurrentContext()) return;
    if (native.drawn) gl->deleteSync(native.drawn);
    native.drawn = nullptr;
    deleteTargetObjects(native, *gl);
}

}  // namespace platform
