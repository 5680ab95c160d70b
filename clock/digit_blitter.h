// DigitBlitter: puts the digits that changed on an X11 window straight from
// their kept renderings, past Qt's paint events. The clock's whole work in a
// second is one changed digit; done the usual way, most of that second's CPU
// goes to the widget paint machinery around a copy of a few kilobytes. Each
// rendering is handed to the X server once, as a pixmap; a change of digit
// is then one small copy request.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

class QImage;
class QWidget;
struct xcb_connection_t;

namespace tickwell {

class TqenDigit;

class DigitBlitter {
  public:
    DigitBlitter() = default;
    DigitBlitter(const DigitBlitter&) = delete;
    DigitBlitter& operator=(const DigitBlitter&) = delete;
    ~DigitBlitter();

    // Shows the digits as they now are, all of them or none. False when this
    // platform, window or look cannot take the short way (not X11, not yet
    // on screen, a scaled or unusual screen, something drawn over a digit):
    // the caller repaints them the usual way then.
    bool Show(std::span<TqenDigit* const> digits);

  private:
    // What the X server is told about the window, learnt once for each
    // native window (Qt may make the window anew, under a new id).
    bool Prepare(QWidget& window);
    void Forget();
    // The server's copy of a rendering, made when first needed.
    std::uint32_t PixmapOf(const QImage& rendering);
    void PutImage(std::uint32_t drawable, const QImage& image);

    struct Uploaded {
        long long key;
        std::uint32_t pixmap;
    };

    xcb_connection_t* connection_ = nullptr;
    std::uintptr_t windowId_ = 0;
    bool usable_ = false;
    std::uint32_t gc_ = 0;
    std::uint8_t depth_ = 0;
    std::uint32_t maxRequestBytes_ = 0;
    std::vector<Uploaded> pixmaps_;
};

}  // namespace tickwell
