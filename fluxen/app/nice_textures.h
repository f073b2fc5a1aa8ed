#pragma once

#include <QImage>

#include <array>

class QOpenGLWindow;

namespace fluxen {

/// The small texture loader: ten slots, each a square mipmapped texture made from an image.
/// Every call works in the view's OpenGL context, made current here.
class NiceTextures {
public:
    /// Keeps `view` (not owned) and runs `initialSetups`.
    explicit NiceTextures(QOpenGLWindow* view);

    /// Makes the view's context current, reads the number of texture units and empties the
    /// slots.
    void initialSetups();

    /// Uploads `image`, scaled to `size` x `size` pixels, into `slot` as a mipmapped texture.
    /// A null image leaves the slot empty ("textureImage == nil"). GL errors are printed and
    /// nothing is undone.
    void useImageAsTexture(const QImage& image, int slot, int size);

    /// The texture name of `slot`, 0 when empty.
    unsigned textureName(int slot) const;
    /// The side in texels of the texture in `slot`, 0 when empty.
    int textureSize(int slot) const;
    int multiTexUnitCount() const { return m_multiTexUnitCount; }

private:
    void makeViewCurrent();
    void checkGlError(int line) const;

    QOpenGLWindow* m_view;
    int m_multiTexUnitCount = 0;
    bool m_allocated = false;
    std::array<unsigned, 10> m_multiTexNames{};
    std::array<int, 10> m_sizes{};
    std::array<QImage, 10> m_multiTexImages{};
};

} // namespace fluxen
