#include "fluxen/app/nice_textures.h"

#include "platform/core/log.h"

#include <QOpenGLContext>
#include <QOpenGLWindow>

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdio>

#ifndef GL_MAX_TEXTURE_UNITS
#define GL_MAX_TEXTURE_UNITS 0x84E2
#endif
#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

namespace fluxen {

NiceTextures::NiceTextures(QOpenGLWindow* view) : m_view(view) {
    platform::log(QStringLiteral("initing nicetexures! for view %1")
                      .arg(QStringLiteral("0x%1").arg(reinterpret_cast<quintptr>(view), 0, 16)));
    initialSetups();
}

void NiceTextures::makeViewCurrent() {
    // The view's own frame buffer only exists from its first frame on, and making the view
    // current binds it; while the view sets itself up its context is already current.
    if (QOpenGLContext::currentContext() != m_view->context())
        m_view->makeCurrent();
}

void NiceTextures::initialSetups() {
    makeViewCurrent();
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    m_multiTexUnitCount = units;
    m_multiTexNames.fill(0);
    m_sizes.fill(0);
    m_multiTexImages.fill(QImage());
    m_allocated = true;
}

unsigned NiceTextures::textureName(int slot) const {
    return slot >= 0 && slot < static_cast<int>(m_multiTexNames.size()) ? m_multiTexNames[slot] : 0;
}

int NiceTextures::textureSize(int slot) const {
    return slot >= 0 && slot < static_cast<int>(m_sizes.size()) ? m_sizes[slot] : 0;
}

void NiceTextures::checkGlError(int line) const {
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        std::printf("GL error at %s:%d: %s\n", "NiceTextures", line,
                    reinterpret_cast<const char*>(gluErrorString(error)));
        std::fflush(stdout);
    }
}

void NiceTextures::useImageAsTexture(const QImage& image, int slot, int size) {
    makeViewCurrent();
    if (!m_allocated) {
        platform::log(QStringLiteral("-useImageAsTexture: OpenGL not initialized properly"));
        return;
    }
    if (slot < 0 || slot >= static_cast<int>(m_multiTexNames.size()) || size <= 0)
        return;
    m_multiTexImages[slot] = image;
    if (image.isNull()) {
        platform::log(QStringLiteral("textureImage == nil"));
        return;
    }
    // The image drawn at the texture's size, with alpha, top row first as GL expects it for
    // these symmetric images.
    const QImage bitmap = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_RGBA8888);
    checkGlError(__LINE__);

    glEnable(GL_TEXTURE_2D);
    GLuint name = 0;
    glGenTextures(1, &name);
    m_multiTexNames[slot] = name;
    m_sizes[slot] = size;
    checkGlError(__LINE__);
    glBindTexture(GL_TEXTURE_2D, name);
    checkGlError(__LINE__);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, bitmap.width());
    checkGlError(__LINE__);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    checkGlError(__LINE__);

    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 bitmap.constBits());
    checkGlError(__LINE__);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 4, size, size, GL_RGBA, GL_UNSIGNED_BYTE, bitmap.constBits());

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    checkGlError(__LINE__);
    // Leave the unpack state as GL's default for whoever uploads next (Qt's own drawing).
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

} // namespace fluxen
