#include "platform/view/PictureSurface.h"

#include <cstring>

// Layers: what a chart keeps of its drawing and puts back, and what was drawn over it since.
namespace id {

void PictureSurface::drew(const QRectF& bounds) {
    const QRect r = bounds.toAlignedRect();
    if (over_.known)
        over_.drawn += r;
    update(r);
}

void PictureSurface::drewAnything() {
    over_.known = false;
    update();
}

// The layer put back over this surface's own image where only a known part was drawn over it
// since it last equalled that layer: those pixels copied back, and repainted. False where the
// image cannot be made so.
bool PictureSurface::restoreOver(const Layer& layer) {
    // Nothing drawn over the layer since: the image is still the layer's own.
    if (over_.known && over_.layerKey == layer.image.cacheKey() &&
        image_.cacheKey() == layer.image.cacheKey() && over_.drawn.isEmpty())
        return true;
    if (!over_.known || over_.layerKey != layer.image.cacheKey() || !image_.isDetached() ||
        image_.size() != layer.image.size() || image_.format() != layer.image.format() ||
        image_.devicePixelRatio() != layer.image.devicePixelRatio() || image_.depth() != 32)
        return false;
    const double dpr = image_.devicePixelRatio();
    const QRect all = image_.rect();
    for (const QRect& logical : over_.drawn) {
        const QRect r = QRectF(QPointF(logical.topLeft()) * dpr, QSizeF(logical.size()) * dpr)
                            .toAlignedRect()
                            .intersected(all);
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memcpy(image_.scanLine(y) + 4 * r.left(),
                        layer.image.constScanLine(y) + 4 * r.left(),
                        static_cast<std::size_t>(4 * r.width()));
        update(logical);
    }
    over_.drawn = QRegion();
    return true;
}

void PictureSurface::writableImage(bool keepPixels) {
    ensureImage();
    if (image_.isDetached())
        return;
    // Shared with a kept layer: drawing would detach it into a fresh block from the system.
    // The buffer this surface drew in before takes the pixels instead.
    if (spare_.size() == image_.size() && spare_.format() == image_.format() &&
        spare_.isDetached()) {
        if (keepPixels)
            std::memcpy(spare_.bits(), image_.constBits(),
                        static_cast<std::size_t>(image_.sizeInBytes()));
        spare_.setDevicePixelRatio(image_.devicePixelRatio());
        std::swap(image_, spare_);
        spare_ = QImage();
    } else if (!keepPixels) {
        // Cleared anyway: a buffer of its own without copying the shared pixels first.
        QImage fresh(image_.size(), image_.format());
        fresh.setDevicePixelRatio(image_.devicePixelRatio());
        image_ = fresh;
    }
}

void PictureSurface::restoreLayer(const Layer& layer) {
    if (!restoreOver(layer)) {
        // The surface's own buffer is kept for the next drawing over the layer.
        if (image_.isDetached() && !image_.isNull())
            spare_ = std::move(image_);
        image_ = layer.image;
        over_ = {layer.image.cacheKey(), QRegion(), true};
        update();
    }
    operations_ = layer.operations;
    customScale_ = layer.customScale;
    scaleLeft_ = layer.scale[0];
    scaleTop_ = layer.scale[1];
    scaleWidth_ = layer.scale[2];
    scaleHeight_ = layer.scale[3];
    font_ = layer.font;
    CurrentX = layer.currentX;
    CurrentY = layer.currentY;
}

} // namespace id
