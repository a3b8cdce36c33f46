#include "core/files/imageio/VipsSupport.h"

#include <QLoggingCategory>
#include <lcms2.h>
#include <mutex>

namespace vipsio {

bool ensureStarted() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        ok = VIPS_INIT("taviview") == 0;
        // Decoders chatter about every recoverable flaw of a damaged file; we report failures
        // as "no image", so the warnings only go to the console when debugging.
        if (!qEnvironmentVariableIsSet("TAVIVIEW_DEBUG")) {
            g_log_set_handler("VIPS", GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO),
                              [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
            QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
        }
        if (ok) {
            vips_cache_set_max(8);
            vips_cache_set_max_files(8);
        }
    });
    return ok;
}

void clearError() { vips_error_clear(); }

Ref toSRGBA8(VipsImage* in) {
    Ref current;
    g_object_ref(in);
    current = Ref(in);

    const VipsInterpretation interpretation = vips_image_guess_interpretation(in);
    const bool hasProfile = vips_image_get_typeof(in, VIPS_META_ICC_NAME) != 0;
    Ref converted;
    if (hasProfile || interpretation == VIPS_INTERPRETATION_CMYK) {
        // The transform passes extra bands through as they are and then casts them to 8 bits,
        // which clips a 16-bit alpha to opaque; so the alpha goes around it and is scaled apart.
        Ref colour, alpha;
        const int bands = current.get()->Bands;
        if (vips_image_hasalpha(current.get()) && bands > 1) {
            if (vips_extract_band(current.get(), colour.out(), 0, "n", bands - 1, NULL) != 0 ||
                vips_extract_band(current.get(), alpha.out(), bands - 1, NULL) != 0) {
                clearError();
                return {};
            }
        } else {
            g_object_ref(current.get());
            colour = Ref(current.get());
        }
        // The embedded profile when present; the built-in CMYK profile for bare CMYK files.
        if (vips_icc_transform(colour.get(), converted.out(), "srgb", "embedded", TRUE, "input_profile",
                               interpretation == VIPS_INTERPRETATION_CMYK ? "cmyk" : "srgb", "intent",
                               VIPS_INTENT_RELATIVE, NULL) != 0) {
            clearError();
            converted.reset();
        } else if (alpha) {
            // To 0...255 with rounding, whatever the depth the alpha was stored in.
            const VipsBandFormat format = alpha.get()->BandFmt;
            const double opaque = format == VIPS_FORMAT_USHORT                  ? 65535.0
                                  : interpretation == VIPS_INTERPRETATION_scRGB ? 1.0
                                                                                : 255.0;
            const double scale = 255.0 / opaque;
            Ref alpha8, joined;
            if (vips_linear1(alpha.get(), alpha8.out(), scale, 0.5, "uchar", TRUE, NULL) != 0 ||
                vips_bandjoin2(converted.get(), alpha8.get(), joined.out(), NULL) != 0) {
                clearError();
                return {};
            }
            converted = std::move(joined);
        }
    }
    if (!converted) {
        if (vips_colourspace(current.get(), converted.out(), VIPS_INTERPRETATION_sRGB, NULL) != 0) {
            clearError();
            return {};
        }
    }
    current = std::move(converted);

    if (current.get()->BandFmt != VIPS_FORMAT_UCHAR) {
        Ref cast;
        if (vips_cast_uchar(current.get(), cast.out(), NULL) != 0) { clearError(); return {}; }
        current = std::move(cast);
    }
    const int bands = current.get()->Bands;
    if (bands == 3) {
        Ref withAlpha;
        if (vips_bandjoin_const1(current.get(), withAlpha.out(), 255.0, NULL) != 0) { clearError(); return {}; }
        current = std::move(withAlpha);
    } else if (bands > 4) {
        Ref firstFour;
        if (vips_extract_band(current.get(), firstFour.out(), 0, "n", 4, NULL) != 0) { clearError(); return {}; }
        current = std::move(firstFour);
    } else if (bands != 4) {
        return {};
    }
    return current;
}

namespace {
struct SinkTarget {
    QImage* image;
};

int writeRegion(VipsRegion* region, VipsRect* area, void* a) {
    auto* target = static_cast<SinkTarget*>(a);
    QImage& image = *target->image;
    for (int y = area->top; y < area->top + area->height; ++y) {
        const auto* src = reinterpret_cast<const uchar*>(VIPS_REGION_ADDR(region, area->left, y));
        uchar* dst = image.scanLine(y) + area->left * 4;
        for (int x = 0; x < area->width; ++x, src += 4, dst += 4) {
            const unsigned alpha = src[3];
            if (alpha == 255) {
                dst[0] = src[0]; dst[1] = src[1]; dst[2] = src[2]; dst[3] = 255;
            } else {
                // Rounded premultiplication, exact for alpha 0 and 255.
                dst[0] = static_cast<uchar>((src[0] * alpha + 127) / 255);
                dst[1] = static_cast<uchar>((src[1] * alpha + 127) / 255);
                dst[2] = static_cast<uchar>((src[2] * alpha + 127) / 255);
                dst[3] = static_cast<uchar>(alpha);
            }
        }
    }
    return 0;
}
} // namespace

std::optional<QImage> toQImage(VipsImage* in) {
    Ref rgba = toSRGBA8(in);
    if (!rgba) return std::nullopt;
    const int width = rgba.get()->Xsize;
    const int height = rgba.get()->Ysize;
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull()) return std::nullopt;
    SinkTarget target{&image};
    // vips computes the tiles on its worker threads and hands them to us in order.
    if (vips_sink_disc(rgba.get(), writeRegion, &target) != 0) {
        clearError();
        return std::nullopt;
    }
    return image;
}

Ref fromQImage(const QImage& image) {
    if (image.isNull()) return {};
    QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    const int width = rgba.width();
    const int height = rgba.height();
    Ref out;
    VipsImage* memory = vips_image_new_memory();
    out = Ref(memory);
    vips_image_init_fields(memory, width, height, 4, VIPS_FORMAT_UCHAR, VIPS_CODING_NONE,
                           VIPS_INTERPRETATION_sRGB, 1.0, 1.0);
    if (vips_image_write_prepare(memory) != 0) { clearError(); return {}; }
    for (int y = 0; y < height; ++y) {
        if (vips_image_write_line(memory, y, reinterpret_cast<VipsPel*>(rgba.scanLine(y))) != 0) {
            clearError();
            return {};
        }
    }
    return out;
}

QString iccProfileName(const void* data, size_t length) {
    if (!data || length < 128) return {};
    cmsHPROFILE profile = cmsOpenProfileFromMem(data, static_cast<cmsUInt32Number>(length));
    if (!profile) return {};
    QString name;
    const cmsUInt32Number needed = cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", nullptr, 0);
    if (needed > 0 && needed < 4096) {
        QByteArray buffer(static_cast<qsizetype>(needed), '\0');
        cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", buffer.data(), needed);
        name = QString::fromLatin1(buffer.constData()).trimmed();
    }
    cmsCloseProfile(profile);
    return name;
}

} // namespace vipsio
