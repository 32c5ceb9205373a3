// Mipmap levels of a bound off-screen image, the same rule on every host.
#pragma once

namespace platform {

struct Pbuffer;

// While alive, the texture bound to GL_TEXTURE_2D of the current context
// builds its mipmap levels from level 0 (GL_GENERATE_MIPMAP), when the
// pbuffer offers levels and the texture's filter reads them; a texture that
// reads only the base level is spared making them. The texture's own setting
// comes back at the end.
class MipmapsWhileBinding {
public:
    explicit MipmapsWhileBinding(const Pbuffer& pbuffer);
    ~MipmapsWhileBinding();
    MipmapsWhileBinding(const MipmapsWhileBinding&) = delete;
    MipmapsWhileBinding& operator=(const MipmapsWhileBinding&) = delete;

private:
    bool levels_ = false;
    int previous_ = 0;
};

}  // namespace platform
