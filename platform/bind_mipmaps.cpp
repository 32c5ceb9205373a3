#include "platform/bind_mipmaps.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/internal.h"

namespace platform {

MipmapsWhileBinding::MipmapsWhileBinding(const Pbuffer& pbuffer) {
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    levels_ = pbuffer.mipmapTexture && minFilter != GL_NEAREST && minFilter != GL_LINEAR;
    if (!levels_) return;
    GLint generate = GL_FALSE;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, &generate);
    previous_ = generate;
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
}

MipmapsWhileBinding::~MipmapsWhileBinding() {
    if (levels_) glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, previous_);
}

}  // namespace platform
