#include "digit_blitter.h"

#include "clock/qen_digit.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace tickwell {

namespace {

xcb_connection_t* Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

// True when the window's pixels are laid out in memory as a QImage of
// Format_RGB32 is: 32 bits a pixel, 8 bits each of red, green and blue from
// the high bits down, in this machine's byte order.
bool TakesRgb32(xcb_connection_t* c, xcb_window_t window, std::uint8_t& depth) {
    Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr), &std::free);
    Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr),
        &std::free);
    if (!geometry || !attributes) {
        return false;
    }
    depth = geometry->depth;
    const xcb_setup_t* setup = xcb_get_setup(c);
    const bool littleEndianHost = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
    if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != littleEndianHost) {
        return false;
    }
    bool packed = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth == depth) {
            packed = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
        }
    }
    if (!packed) {
        return false;
    }
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s)) {
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
                if (v.data->visual_id == attributes->visual) {
                    return d.data->depth == depth &&
                           v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                           v.data->red_mask == 0xff0000 && v.data->green_mask == 0xff00 &&
                           v.data->blue_mask == 0xff;
                }
            }
        }
    }
    return false;
}

// Whether a widget drawn after the digit, which Qt would paint over it,
// reaches into it. Opaque ones are left out of the digit's visible region;
// any other one (a label with the face showing through) rules the short way
// out, as the digit's pixels alone would not be what the window shows.
bool PaintedOver(const QWidget& digit) {
    const QWidget* window = digit.window();
    QRect area(QPoint(0, 0), digit.size());
    for (const QWidget* w = &digit; w != window && w->parentWidget(); w = w->parentWidget()) {
        area.translate(w->pos());
        const QObjectList& siblings = w->parentWidget()->children();
        auto it = std::find(siblings.begin(), siblings.end(), w);
        for (++it; it != siblings.end(); ++it) {
            const auto* other = qobject_cast<const QWidget*>(*it);
            if (other && !other->isHidden() && !other->isWindow() &&
                !other->testAttribute(Qt::WA_OpaquePaintEvent) &&
                other->geometry().intersects(area)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

DigitBlitter::~DigitBlitter() {
    Forget();
}

void DigitBlitter::Forget() {
    // Only on the connection they were made on, and only while it is open.
    if (connection_ && connection_ == Connection()) {
        for (const Uploaded& u : pixmaps_) {
            xcb_free_pixmap(connection_, u.pixmap);
        }
        if (gc_ != 0) {
            xcb_free_gc(connection_, gc_);
        }
    }
    pixmaps_.clear();
    gc_ = 0;
    windowId_ = 0;
    usable_ = false;
}

bool DigitBlitter::Prepare(QWidget& window) {
    const std::uintptr_t id = window.winId();
    if (id == windowId_) {
        return usable_;
    }
    Forget();
    windowId_ = id;
    connection_ = Connection();
    if (!connection_ || !TakesRgb32(connection_, xcb_window_t(id), depth_)) {
        return false;
    }
    // No exposure events: what is copied always lies whole in its source.
    const std::uint32_t noExposures = 0;
    gc_ = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc_, xcb_window_t(id), XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    maxRequestBytes_ = xcb_get_maximum_request_length(connection_) * 4;
    usable_ = true;
    return true;
}

void DigitBlitter::PutImage(std::uint32_t drawable, const QImage& image) {
    // In pieces no larger than a request may be; a row of 32-bit pixels
    // needs no padding.
    const std::uint32_t rowBytes = std::uint32_t(image.bytesPerLine());
    const int rowsPerPut = int(std::max<std::uint32_t>(1, (maxRequestBytes_ - 64) / rowBytes));
    for (int top = 0; top < image.height(); top += rowsPerPut) {
        const int rows = std::min(rowsPerPut, image.height() - top);
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, gc_,
                      std::uint16_t(image.width()), std::uint16_t(rows), 0, std::int16_t(top), 0,
                      depth_, rowBytes * std::uint32_t(rows), image.constScanLine(top));
    }
}

std::uint32_t DigitBlitter::PixmapOf(const QImage& rendering) {
    const long long key = rendering.cacheKey();
    for (const Uploaded& u : pixmaps_) {
        if (u.key == key) {
            return u.pixmap;
        }
    }
    // Renderings of looks no longer in use are not asked for again; rather
    // than track them, all are let go once there are more than the clock's
    // few looks can have.
    constexpr std::size_t kMostKept = 64;
    if (pixmaps_.size() >= kMostKept) {
        for (const Uploaded& u : pixmaps_) {
            xcb_free_pixmap(connection_, u.pixmap);
        }
        pixmaps_.clear();
    }
    const std::uint32_t pixmap = xcb_generate_id(connection_);
    xcb_create_pixmap(connection_, depth_, pixmap, xcb_window_t(windowId_),
                      std::uint16_t(rendering.width()), std::uint16_t(rendering.height()));
    PutImage(pixmap, rendering);
    pixmaps_.push_back({key, pixmap});
    return pixmap;
}

bool DigitBlitter::Show(std::span<TqenDigit* const> digits) {
    if (digits.empty()) {
        return true;
    }
    QWidget* window = digits.front()->window();
    QWindow* handle = window->windowHandle();
    QBackingStore* store = window->backingStore();
    if (!handle || !handle->isExposed() || handle->devicePixelRatio() != 1.0 || !store ||
        store->size() != window->size() || !Prepare(*window)) {
        return false;
    }

    // The renderings are held by copy (a shared reference): another
    // digit's look, drawn for the first time, may move or drop the place
    // where one was kept.
    struct Part {
        QImage rendering;
        QPoint origin;
        QRegion region;
    };
    std::array<Part, 8> parts;
    std::size_t count = 0;
    QRegion all;
    for (TqenDigit* digit : digits) {
        if (count == parts.size() || digit->window() != window || PaintedOver(*digit)) {
            return false;
        }
        const QImage rendering = digit->Rendering();
        if (rendering.format() != QImage::Format_RGB32 || rendering.size() != digit->size()) {
            return false;
        }
        const QPoint origin = digit->mapTo(window, QPoint(0, 0));
        QRegion region = digit->visibleRegion().translated(origin);
        if (digits.size() > 1) {
            all += region;
        }
        parts[count++] = {rendering, origin, std::move(region)};
    }

    // Qt's own copy of the window takes the same pixels, marked as changed,
    // so that it still matches the screen when it is next put there (after
    // the window was covered, say).
    store->beginPaint(count == 1 ? parts[0].region : all);
    QPaintDevice* device = store->paintDevice();
    auto* image =
        device && device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
    // An opaque window's copy may be kept with an alpha channel, all of it
    // opaque; the renderings' pixels (0xffRRGGBB) are the same there.
    const bool sameLayout = image && (image->format() == QImage::Format_RGB32 ||
                                      image->format() == QImage::Format_ARGB32_Premultiplied);
    if (!sameLayout || image->size() != window->size()) {
        store->endPaint();
        return false;
    }
    uchar* pixels = image->bits();
    const qsizetype stride = image->bytesPerLine();
    for (std::size_t i = 0; i < count; ++i) {
        const Part& part = parts[i];
        const std::uint32_t pixmap = PixmapOf(part.rendering);
        for (const QRect& rect : part.region) {
            const QPoint from = rect.topLeft() - part.origin;
            for (int y = 0; y < rect.height(); ++y) {
                std::memcpy(pixels + (rect.top() + y) * stride + rect.left() * 4,
                            part.rendering.constScanLine(from.y() + y) + from.x() * 4,
                            std::size_t(rect.width()) * 4);
            }
            xcb_copy_area(connection_, pixmap, xcb_window_t(windowId_), gc_, std::int16_t(from.x()),
                          std::int16_t(from.y()), std::int16_t(rect.left()),
                          std::int16_t(rect.top()), std::uint16_t(rect.width()),
                          std::uint16_t(rect.height()));
        }
    }
    store->endPaint();
    xcb_flush(connection_);
    return true;
}

}  // namespace tickwell
