// Metadata reports of camera files, and of files whose tags the test writes with exiv2.
#include "MetadataTestFiles.h"

#include "core/files/ImageMetadataService.h"
#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/ImageSource.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::fixture;

namespace {
QStringList rows(const ExifMetadataReport& report) {
    QStringList out;
    for (const auto& e : report.entries)
        out << e.id + u'=' + e.value;
    return out;
}

QString plainJpeg(const QTemporaryDir& dir, const QString& name) {
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(QColor(90, 120, 200));
    return testsupport::writeImage(dir, name, image);
}
} // namespace

TEST(Inspect, CameraPhotos) {
    const ImageMetadataService service;
    const auto coolpix = service.inspect(fixture("photos/DSCN0010.jpg"));
    EXPECT_EQ(rows(coolpix),
              (QStringList{"Camera.Make=NIKON", "Camera.Model=COOLPIX P6000",
                           "Camera.Software=Nikon Transfer 1.1 W", "EXIF.Captured=2008:10:22 16:28:39",
                           "EXIF.Focal Length=24 mm", "EXIF.Aperture=f/5.9", "EXIF.Shutter=1/75 s",
                           "EXIF.ISO=ISO 64", "GPS.Coordinates=43.46745, 11.88513"}));
    ASSERT_TRUE(coolpix.hasGPS());
    EXPECT_NEAR(*coolpix.latitude, 43.467448, 1e-5);  // north
    EXPECT_NEAR(*coolpix.longitude, 11.885127, 1e-5); // east
    EXPECT_EQ(coolpix.sensitiveTagCount, 6);

    const auto canon = service.inspect(fixture("photos/Canon_40D.jpg"));
    EXPECT_EQ(canon.cameraMake, QString("Canon"));
    EXPECT_EQ(canon.cameraModel, QString("Canon EOS 40D"));
    EXPECT_EQ(canon.focalLength, QString("135 mm"));
    EXPECT_EQ(canon.aperture, QString("f/7.1"));
    EXPECT_EQ(canon.shutterSpeed, QString("1/160 s"));
    EXPECT_EQ(canon.iso, QString("ISO 100"));
    EXPECT_EQ(canon.captureDate, QString("2008:05:30 15:56:01"));
    EXPECT_FALSE(canon.hasGPS());

    const auto nikon = service.inspect(fixture("photos/Nikon_D70.jpg"));
    EXPECT_EQ(nikon.cameraMake, QString("NIKON CORPORATION"));
    EXPECT_EQ(nikon.cameraModel, QString("NIKON D70"));
    EXPECT_EQ(nikon.focalLength, QString("100 mm"));
    EXPECT_EQ(nikon.aperture, QString("f/9.0"));
    EXPECT_EQ(nikon.shutterSpeed, QString("1/200 s"));
    EXPECT_EQ(nikon.iso, QString("ISO 200"));
}

TEST(Inspect, UnreadableFilesGiveTheEmptyReport) {
    const ImageMetadataService service;
    EXPECT_EQ(service.inspect(fixture("photos/no-such.jpg")), ExifMetadataReport::empty());
    EXPECT_EQ(service.inspect(fixture("bad/corrupt-header.jpg")), ExifMetadataReport::empty());
    EXPECT_EQ(service.inspect(fixture("photos/hopper.png")), ExifMetadataReport::empty());
    // A damaged EXIF block must not take the process down.
    (void)service.inspect(fixture("bad/invalid-exif-image01137.jpg"));
}

TEST(Inspect, ToolWrittenMetadata) {
    QTemporaryDir dir;
    const ImageMetadataService service;

    // Southern latitude without any longitude: no position, nothing counted for it.
    const QString latOnly = plainJpeg(dir, "lat.jpg");
    metatest::writeMetadata(
        latOnly, {{"Exif.GPSInfo.GPSLatitudeRef", "S"}, {"Exif.GPSInfo.GPSLatitude", "41/1 0/1 2952/100"}});
    auto report = service.inspect(latOnly);
    ASSERT_TRUE(report.latitude);
    EXPECT_NEAR(*report.latitude, -41.0082, 1e-9);
    EXPECT_FALSE(report.longitude);
    EXPECT_FALSE(report.hasGPS());
    EXPECT_TRUE(report.entries.empty());
    EXPECT_EQ(report.sensitiveTagCount, 0);

    // Western longitude, padded make, two bylines, a copyright and an altitude.
    const QString full = plainJpeg(dir, "full.jpg");
    metatest::writeMetadata(full,
                            {{"Exif.Image.Make", "  Canon  "},
                             {"Exif.Image.Model", "EOS R5"},
                             {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                             {"Exif.GPSInfo.GPSLatitude", "40/1 42/1 4608/100"},
                             {"Exif.GPSInfo.GPSLongitudeRef", "W"},
                             {"Exif.GPSInfo.GPSLongitude", "74/1 0/1 2160/100"},
                             {"Exif.GPSInfo.GPSAltitude", "105/10"},
                             {"Exif.Photo.ExposureTime", "3/10"},
                             {"Exif.Photo.ISOSpeedRatings", "3200"}},
                            {{"Iptc.Application2.Byline", "Ann Lee"},
                             {"Iptc.Application2.Byline", "Bo Kim"},
                             {"Iptc.Application2.Copyright", "(c) 2024 Ann Lee"}});
    report = service.inspect(full);
    EXPECT_EQ(rows(report),
              (QStringList{"Camera.Make=Canon", "Camera.Model=EOS R5", "EXIF.Shutter=1/3 s",
                           "EXIF.ISO=ISO 3200", "GPS.Coordinates=40.71280, -74.00600", "GPS.Altitude=10.5 m",
                           "IPTC.Author=Ann Lee, Bo Kim", "IPTC.Copyright=(c) 2024 Ann Lee"}));
    EXPECT_EQ(report.cameraMake, QString("Canon"));
    EXPECT_EQ(report.sensitiveTagCount, 1 + 1 + 2 + 1 + 1 + 1);

    // The command line shows the same report.
    const auto cli = testsupport::runCli({"exif", full, "--json"});
    ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(cli.out.toUtf8()).object();
    EXPECT_EQ(json["gpsFormatted"].toString(), QString("40.71280, -74.00600"));
    EXPECT_EQ(json["sensitiveTagCount"].toInt(), 7);
    EXPECT_EQ(json["entries"].toArray().size(), 8);
    EXPECT_TRUE(json["lensModel"].isNull());
    const auto text = testsupport::runCli({"exif", latOnly});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_TRUE(text.out.contains("No sensitive EXIF or GPS metadata found."));
}

TEST(Inspect, RationalsOfTwoToTheThirtyFirstOrMoreStayPositive) {
    // RATIONAL parts are unsigned 32-bit numbers: 3500000000/500000000 seconds of latitude is 7 s,
    // 2600000000/200000000 s of exposure 13 s, 4294967295/1 s the largest exposure there is.
    // SRATIONAL parts stay signed.
    QTemporaryDir dir;
    const ImageMetadataService service;
    const QString photo = plainJpeg(dir, "large.jpg");
    metatest::writeMetadata(photo, {{"Exif.GPSInfo.GPSLatitudeRef", "N"},
                                    {"Exif.GPSInfo.GPSLatitude", "41/1 0/1 3500000000/500000000"},
                                    {"Exif.GPSInfo.GPSLongitude", "2/1 0/1 0/1"},
                                    {"Exif.Photo.ExposureTime", "2600000000/200000000"},
                                    {"Exif.Photo.ExposureBiasValue", "-1/3"}});
    auto report = service.inspect(photo);
    ASSERT_TRUE(report.latitude);
    EXPECT_NEAR(*report.latitude, 41.0 + 7.0 / 3600, 1e-9);
    EXPECT_EQ(report.shutterSpeed, QString("13.0 s"));

    const QString longest = plainJpeg(dir, "longest.jpg");
    metatest::writeMetadata(longest, {{"Exif.Photo.ExposureTime", "4294967295/1"}});
    EXPECT_EQ(service.inspect(longest).shutterSpeed, QString("4294967295.0 s"));

    // The signed kind keeps its sign through the same dictionaries.
    const auto source = ImageSource::open(photo);
    ASSERT_TRUE(source);
    const QVariantMap exif = source->properties(0).value(ImageProperty::ExifDictionary).toMap();
    EXPECT_NEAR(exif.value("ExposureBiasValue").toDouble(), -1.0 / 3, 1e-12);
}
