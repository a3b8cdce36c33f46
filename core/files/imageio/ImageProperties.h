#pragma once

#include <QString>

// Keys of an image source's property dictionary (a QVariantMap). The names follow the common
// image-property vocabulary so that every caller reads one shape whatever decoded the file.
namespace ImageProperty {
inline const QString PixelWidth = QStringLiteral("PixelWidth");
inline const QString PixelHeight = QStringLiteral("PixelHeight");
inline const QString Orientation = QStringLiteral("Orientation");   // int 1...8, only when the file says
inline const QString DPIWidth = QStringLiteral("DPIWidth");         // double
inline const QString DPIHeight = QStringLiteral("DPIHeight");       // double
inline const QString HasAlpha = QStringLiteral("HasAlpha");         // bool
inline const QString ColorModel = QStringLiteral("ColorModel");     // "RGB", "Gray", "CMYK", "Lab"
inline const QString ProfileName = QStringLiteral("ProfileName");   // ICC description
inline const QString Depth = QStringLiteral("Depth");               // bits per sample

// Sub-dictionaries (QVariantMap each).
inline const QString TIFFDictionary = QStringLiteral("{TIFF}");
inline const QString ExifDictionary = QStringLiteral("{Exif}");
inline const QString GPSDictionary = QStringLiteral("{GPS}");
inline const QString IPTCDictionary = QStringLiteral("{IPTC}");
inline const QString GIFDictionary = QStringLiteral("{GIF}");
inline const QString WebPDictionary = QStringLiteral("{WebP}");
inline const QString PNGDictionary = QStringLiteral("{PNG}");

// Inside the GIF and WebP dictionaries (seconds, double).
inline const QString DelayTime = QStringLiteral("DelayTime");
inline const QString UnclampedDelayTime = QStringLiteral("UnclampedDelayTime");
// Inside the PNG dictionary for APNG frames (seconds, double).
inline const QString APNGDelayTime = QStringLiteral("DelayTime");
inline const QString APNGUnclampedDelayTime = QStringLiteral("UnclampedDelayTime");
} // namespace ImageProperty

// Uniform type identifiers of the formats we read and write.
namespace ImageType {
inline const QString JPEG = QStringLiteral("public.jpeg");
inline const QString PNG = QStringLiteral("public.png");
inline const QString HEIC = QStringLiteral("public.heic");
inline const QString HEIF = QStringLiteral("public.heif");
inline const QString AVIF = QStringLiteral("public.avif");
inline const QString TIFF = QStringLiteral("public.tiff");
inline const QString GIF = QStringLiteral("com.compuserve.gif");
inline const QString WebP = QStringLiteral("org.webmproject.webp");
inline const QString BMP = QStringLiteral("com.microsoft.bmp");
inline const QString ICO = QStringLiteral("com.microsoft.ico");
inline const QString ICNS = QStringLiteral("com.apple.icns");
inline const QString PSD = QStringLiteral("com.adobe.photoshop-image");
inline const QString PDF = QStringLiteral("com.adobe.pdf");
inline const QString RawImage = QStringLiteral("public.camera-raw-image");
} // namespace ImageType
