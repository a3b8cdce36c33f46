// How a property dictionary becomes the report: formatting, signs, counting, and tolerance of
// values of the wrong kind.
#include "core/files/ImageMetadataService.h"
#include "core/files/imageio/ImageProperties.h"

#include <QVariantList>
#include <gtest/gtest.h>
#include <limits>

namespace {

QVariantMap withDictionaries(const QVariantMap& tiff, const QVariantMap& exif = {},
                             const QVariantMap& gps = {}, const QVariantMap& iptc = {}) {
    QVariantMap p;
    if (!tiff.isEmpty()) p.insert(ImageProperty::TIFFDictionary, tiff);
    if (!exif.isEmpty()) p.insert(ImageProperty::ExifDictionary, exif);
    if (!gps.isEmpty()) p.insert(ImageProperty::GPSDictionary, gps);
    if (!iptc.isEmpty()) p.insert(ImageProperty::IPTCDictionary, iptc);
    return p;
}

std::optional<QString> rowValue(const ExifMetadataReport& report, const QString& id) {
    for (const auto& e : report.entries)
        if (e.id == id) return e.value;
    return std::nullopt;
}

QStringList rowIds(const ExifMetadataReport& report) {
    QStringList ids;
    for (const auto& e : report.entries)
        ids << e.id;
    return ids;
}

std::optional<QString> shutterFor(double seconds) {
    return ImageMetadataService::reportFromProperties(withDictionaries({}, {{"ExposureTime", seconds}}))
        .shutterSpeed;
}

} // namespace

TEST(ReportRules, TrimsCameraStringsAndKeepsEmptyOnesAsFieldsOnly) {
    const auto report = ImageMetadataService::reportFromProperties(
        withDictionaries({{"Make", "  Canon  "}, {"Model", "\n \t"}, {"Software", "  GIMP  "}},
                         {{"LensModel", " EF 50mm\r\n"}}));
    EXPECT_EQ(report.cameraMake, QString("Canon"));
    EXPECT_EQ(rowValue(report, "Camera.Make"), QString("Canon"));
    EXPECT_EQ(report.cameraModel, QString("")); // present, but no row
    EXPECT_FALSE(rowValue(report, "Camera.Model"));
    EXPECT_EQ(report.lensModel, QString("EF 50mm"));
    EXPECT_EQ(rowValue(report, "Camera.Software"), QString("  GIMP  ")); // shown as stored
    EXPECT_EQ(report.sensitiveTagCount, 3);
}

TEST(ReportRules, ExposureFormatting) {
    EXPECT_EQ(shutterFor(0.004), QString("1/250 s"));
    EXPECT_EQ(shutterFor(0.3), QString("1/3 s"));
    EXPECT_EQ(shutterFor(0.5), QString("1/2 s"));
    EXPECT_EQ(shutterFor(2.0), QString("2.0 s"));
    EXPECT_EQ(shutterFor(1.0), QString("1.0 s"));
    EXPECT_FALSE(shutterFor(0.0));
    EXPECT_FALSE(shutterFor(-0.01));
    // A corrupt, absurdly short time must not overflow an integer conversion.
    EXPECT_EQ(shutterFor(1e-300).value_or("").left(2), QString("1/"));

    const auto report = ImageMetadataService::reportFromProperties(
        withDictionaries({}, {{"FocalLength", 50.4},
                              {"FNumber", 2.8},
                              {"ISOSpeedRatings", QVariantList{qlonglong(400), qlonglong(0)}},
                              {"ExposureTime", 0.004}}));
    EXPECT_EQ(report.focalLength, QString("50 mm"));
    EXPECT_EQ(report.aperture, QString("f/2.8"));
    EXPECT_EQ(report.iso, QString("ISO 400"));
    EXPECT_EQ(rowIds(report),
              (QStringList{"EXIF.Focal Length", "EXIF.Aperture", "EXIF.Shutter", "EXIF.ISO"}));
    EXPECT_EQ(report.sensitiveTagCount, 0); // exposure data is not sensitive

    // Exact ties round to even, as the C formats do.
    const auto ties = ImageMetadataService::reportFromProperties(
        withDictionaries({}, {{"FocalLength", 4.5}, {"FNumber", 2.25}, {"ExposureTime", 2.25}}));
    EXPECT_EQ(ties.focalLength, QString("4 mm"));
    EXPECT_EQ(ties.aperture, QString("f/2.2"));
    EXPECT_EQ(ties.shutterSpeed, QString("2.2 s"));
}

TEST(ReportRules, CoordinateSignsFollowTheirReferences) {
    auto report = ImageMetadataService::reportFromProperties(withDictionaries(
        {}, {},
        {{"Latitude", 41.0082}, {"LatitudeRef", "s"}, {"Longitude", 28.9784}, {"LongitudeRef", "W"}}));
    EXPECT_DOUBLE_EQ(*report.latitude, -41.0082);
    EXPECT_DOUBLE_EQ(*report.longitude, -28.9784);
    EXPECT_EQ(rowValue(report, "GPS.Coordinates"), QString("-41.00820, -28.97840"));
    EXPECT_EQ(report.gpsFormatted(), QString("-41.00820, -28.97840"));
    EXPECT_TRUE(report.hasGPS());
    EXPECT_EQ(report.sensitiveTagCount, 2);

    // Missing references count as north and east; a stored negative value is only a magnitude.
    report = ImageMetadataService::reportFromProperties(
        withDictionaries({}, {}, {{"Latitude", -41.0082}, {"Longitude", 28.9784}, {"LongitudeRef", "E"}}));
    EXPECT_EQ(report.gpsFormatted(), QString("41.00820, 28.97840"));
}

TEST(ReportRules, OneCoordinateAloneIsNoPosition) {
    const auto report = ImageMetadataService::reportFromProperties(
        withDictionaries({}, {}, {{"Latitude", 41.0082}, {"LatitudeRef", "S"}}));
    EXPECT_DOUBLE_EQ(*report.latitude, -41.0082);
    EXPECT_FALSE(report.longitude);
    EXPECT_FALSE(report.hasGPS());
    EXPECT_FALSE(report.gpsFormatted());
    EXPECT_TRUE(report.entries.empty());
    EXPECT_EQ(report.sensitiveTagCount, 0);

    const auto withAltitude = ImageMetadataService::reportFromProperties(
        withDictionaries({}, {}, {{"Longitude", 2.0}, {"Altitude", 35.26}}));
    EXPECT_EQ(rowIds(withAltitude), QStringList{"GPS.Altitude"});
    EXPECT_EQ(rowValue(withAltitude, "GPS.Altitude"), QString("35.3 m"));
    EXPECT_EQ(withAltitude.sensitiveTagCount, 1);
}

TEST(ReportRules, FullReportRowsInOrderAndCount) {
    const auto report = ImageMetadataService::reportFromProperties(
        withDictionaries({{"Make", "NIKON"}, {"Model", "D70"}, {"DateTime", "2001:01:01 00:00:00"}},
                         {{"DateTimeOriginal", "2008:10:22 16:29:49"},
                          {"FocalLength", 24.0},
                          {"FNumber", 5.6},
                          {"ExposureTime", 0.0025}},
                         {{"Latitude", 43.4674},
                          {"LatitudeRef", "N"},
                          {"Longitude", 11.8851},
                          {"LongitudeRef", "E"},
                          {"Altitude", 12.0}},
                         {{"Byline", QVariantList{"Ann", "Bob"}}, {"CopyrightNotice", "(c) Ann"}}));
    EXPECT_EQ(
        rowIds(report),
        (QStringList{"Camera.Make", "Camera.Model", "EXIF.Captured", "EXIF.Focal Length", "EXIF.Aperture",
                     "EXIF.Shutter", "GPS.Coordinates", "GPS.Altitude", "IPTC.Author", "IPTC.Copyright"}));
    EXPECT_EQ(report.captureDate, QString("2008:10:22 16:29:49"));
    EXPECT_EQ(rowValue(report, "IPTC.Author"), QString("Ann, Bob"));
    EXPECT_EQ(report.sensitiveTagCount,
              6 + 2); // make, model, date, coordinates (2), altitude; author, copyright
    const auto& entry = report.entries.front();
    EXPECT_EQ(entry, ExifMetadataReport::Entry("Camera", "Make", "NIKON"));
    EXPECT_EQ(entry.id, QString("Camera.Make"));
}

TEST(ReportRules, DateFallsBackToTiffDateTimeOnlyWhenOriginalIsNotText) {
    auto report = ImageMetadataService::reportFromProperties(
        withDictionaries({{"DateTime", "2001:01:01 00:00:00"}}, {{"DateTimeOriginal", qlonglong(5)}}));
    EXPECT_EQ(report.captureDate, QString("2001:01:01 00:00:00"));
    report = ImageMetadataService::reportFromProperties(
        withDictionaries({{"DateTime", "2001:01:01 00:00:00"}}, {{"DateTimeOriginal", ""}}));
    EXPECT_EQ(report.captureDate, QString(""));
    EXPECT_TRUE(report.entries.empty());
}

TEST(ReportRules, ValuesOfTheWrongKindCountAsMissing) {
    QVariantMap props = withDictionaries(
        {{"Make", qlonglong(7)}, {"Model", QVariantList{"x"}}, {"Software", 1.5}},
        {{"FocalLength", "50"},
         {"FNumber", QVariantList{2.8}},
         {"ExposureTime", "1/250"},
         {"ISOSpeedRatings", qlonglong(100)},
         {"LensModel", QVariant()},
         {"DateTimeOriginal", QVariantMap{{"a", 1}}}},
        {{"Latitude", "41.0"}, {"Longitude", std::numeric_limits<double>::quiet_NaN()}, {"Altitude", true}},
        {{"Byline", QVariantList{"Ann", qlonglong(3)}}, {"CopyrightNotice", QVariantList{"c"}}});
    EXPECT_EQ(ImageMetadataService::reportFromProperties(props), ExifMetadataReport::empty());

    // Whole dictionaries of the wrong kind, and ISO lists whose first element isn't a number.
    QVariantMap odd{{ImageProperty::TIFFDictionary, "Canon"},
                    {ImageProperty::GPSDictionary, QVariantList{1, 2}},
                    {ImageProperty::ExifDictionary, QVariantMap{{"ISOSpeedRatings", QVariantList{"100"}}}}};
    EXPECT_EQ(ImageMetadataService::reportFromProperties(odd), ExifMetadataReport::empty());
    EXPECT_EQ(ImageMetadataService::reportFromProperties(
                  withDictionaries({}, {{"ISOSpeedRatings", QVariantList{}}})),
              ExifMetadataReport::empty());
}
