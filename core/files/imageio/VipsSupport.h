#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>
#include <vips/vips.h>

// Small RAII and conversion helpers around libvips, shared by the image I/O backends.
namespace vipsio {

// Starts libvips once per process (thread-safe) with a small operation cache: a viewer opens
// many different files, so cached operations only pin file handles and memory.
bool ensureStarted();

class Ref {
public:
    Ref() = default;
    explicit Ref(VipsImage* image) : image_(image) {}
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : image_(other.image_) { other.image_ = nullptr; }
    Ref& operator=(Ref&& other) noexcept {
        if (this != &other) { reset(); image_ = other.image_; other.image_ = nullptr; }
        return *this;
    }
    ~Ref() { reset(); }
    void reset() { if (image_) g_object_unref(image_); image_ = nullptr; }
    VipsImage* get() const { return image_; }
    VipsImage** out() { reset(); return &image_; }
    explicit operator bool() const { return image_ != nullptr; }

private:
    VipsImage* image_ = nullptr;
};

// Converts any decoded image to 8-bit sRGB with alpha: the embedded ICC profile when there is
// one (phones' Display P3, Adobe RGB, CMYK), the format's own colourspace otherwise.
Ref toSRGBA8(VipsImage* in);
// Computes the pixels into a new QImage in RGBA8 premultiplied; nothing on failure.
std::optional<QImage> toQImage(VipsImage* in);
// Wraps a QImage (any format) as an unpremultiplied 8-bit RGBA vips image owning a copy.
Ref fromQImage(const QImage& image);
// The description of an ICC profile, or empty.
QString iccProfileName(const void* data, size_t length);
// Clears vips' per-thread error buffer (we report failures as "nothing", not as text).
void clearError();

} // namespace vipsio
