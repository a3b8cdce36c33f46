#include "ui/inspector/InfoTab.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/map/LocationMapView.h"
#include "ui/theme/Theme.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

namespace inspector {

namespace {

constexpr int kMapHeight = 200;

QWidget* sectionOf(QVBoxLayout* column) {
    return column->parentWidget();
}

// The report names its rows in English; they read in the interface language here.
QString rowLabel(const QString& label) {
    static const std::pair<const char*, const char*> names[] = {
        {"Make", "Marka"},
        {"Model", "Model"},
        {"Lens", "Objektif"},
        {"Software", "Yazılım"},
        {"Captured", "Çekim Tarihi"},
        {"Focal Length", "Odak Uzaklığı"},
        {"Aperture", "Diyafram"},
        {"Shutter", "Enstantane"},
        {"ISO", "ISO"},
        {"Coordinates", "Koordinatlar"},
        {"Altitude", "Yükseklik"},
        {"Author", "Yazar"},
        {"Copyright", "Telif Hakkı"},
    };
    for (const auto& [en, tr] : names)
        if (label == QLatin1String(en)) return S::t(label, QString::fromUtf8(tr));
    return label;
}

// The place in the browser's Google Maps, the coordinates in their shortest exact form.
QUrl googleMapsURL(double latitude, double longitude) {
    QUrl url(QStringLiteral("https://www.google.com/maps/search/"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("api"), QStringLiteral("1"));
    query.addQueryItem(QStringLiteral("query"),
                       QString::number(latitude, 'g', QLocale::FloatingPointShortest) + u',' +
                           QString::number(longitude, 'g', QLocale::FloatingPointShortest));
    url.setQuery(query);
    return url;
}

} // namespace

InfoTab::InfoTab(EditorViewModel& editor, QWidget* parent) : TabPage(editor, parent) {
    QVBoxLayout* stack = sectionStack(this);

    noImage_ = hint(texts_, [] {
        return S::t(QStringLiteral("Open a photo to see its details."),
                    QStringLiteral("Ayrıntılarını görmek için bir fotoğraf açın."));
    });
    stack->addWidget(noImage_);

    QVBoxLayout* file = addSection(stack, texts_, QStringLiteral("doc.text"), &S::fileInfoTitle);
    fileSection_ = sectionOf(file);
    fileSection_->setObjectName(QStringLiteral("fileDetails"));
    file->setSpacing(4);
    file_ = new InfoRow(false);
    dimensions_ = new InfoRow(false);
    size_ = new InfoRow(false);
    profile_ = new InfoRow(false);
    resolution_ = new InfoRow(false);
    texts_.add([this] {
        file_->setLabel(S::t(QStringLiteral("File"), QStringLiteral("Dosya")));
        dimensions_->setLabel(S::t(QStringLiteral("Dimensions"), QStringLiteral("Boyut")));
        size_->setLabel(S::t(QStringLiteral("Size"), QStringLiteral("Dosya Boyutu")));
        profile_->setLabel(S::t(QStringLiteral("Profile"), QStringLiteral("Profil")));
        resolution_->setLabel(S::t(QStringLiteral("Resolution"), QStringLiteral("Çözünürlük")));
    });
    for (InfoRow* r : {file_, dimensions_, size_, profile_, resolution_})
        file->addWidget(r);

    QVBoxLayout* exif = addSection(stack, texts_, QStringLiteral("camera"), &S::cameraExifTitle);
    exifSection_ = sectionOf(exif);
    exifSection_->setObjectName(QStringLiteral("cameraExif"));
    exifRows_ = new QVBoxLayout;
    exifRows_->setSpacing(4);
    exif->addLayout(exifRows_);
    nothingSensitive_ = hint(texts_, &S::noExifData);
    nothingSensitive_->setObjectName(QStringLiteral("noSensitiveMetadata"));
    exif->addWidget(nothingSensitive_);
    strip_ = pill(QStringLiteral("eye.slash"));
    strip_->setObjectName(QStringLiteral("stripMetadata"));
    texts_.text(strip_, &S::stripExifNow);
    connect(strip_, &QPushButton::clicked, this, [this] { editor_.stripExifMetadataNow(); });
    exif->addWidget(strip_);

    QVBoxLayout* gps = addSection(stack, texts_, QStringLiteral("location.fill"), &S::gpsMapTitle);
    gpsSection_ = sectionOf(gps);
    gpsSection_->setObjectName(QStringLiteral("gpsLocation"));
    mapSlot_ = new QVBoxLayout;
    gps->addLayout(mapSlot_);
    QPushButton* open = pill(QStringLiteral("map"));
    open->setObjectName(QStringLiteral("openInMaps"));
    texts_.text(open, &S::openInMaps);
    connect(open, &QPushButton::clicked, this, [this] {
        const ExifMetadataReport& report = editor_.metadata();
        if (report.hasGPS()) editor_.openExternalURL(googleMapsURL(*report.latitude, *report.longitude));
    });
    gps->addWidget(open);
    stack->addStretch(1);

    connect(&editor_, &EditorViewModel::documentInfoChanged, this, &InfoTab::syncFile);
    onImagePresenceChanged([this] { syncFile(); });
    connect(&editor_, &EditorViewModel::metadataChanged, this, &InfoTab::syncMetadata);
    sync();
}

void InfoTab::sync() {
    syncFile();
    syncMetadata();
}

void InfoTab::syncFile() {
    const std::optional<ImageDocumentInfo>& info = editor_.documentInfo();
    noImage_->setVisible(!info);
    fileSection_->setVisible(info.has_value());
    exifSection_->setVisible(info.has_value());
    strip_->setEnabled(editor_.hasImage());
    if (!info) return;
    file_->setValue(info->fileName);
    dimensions_->setValue(info->dimensionsText());
    size_->setValue(info->formattedFileSize());
    profile_->setVisible(info->colorProfile.has_value());
    profile_->setValue(info->colorProfile.value_or(QString()));
    resolution_->setVisible(info->dpi.has_value());
    resolution_->setValue(info->dpi ? QString::number(*info->dpi) + QStringLiteral(" dpi") : QString());
}

void InfoTab::syncMetadata() {
    const ExifMetadataReport& report = editor_.metadata();
    clearLayout(exifRows_);
    for (const ExifMetadataReport::Entry& entry : report.entries) {
        auto* r = new InfoRow(false);
        r->setLabel(rowLabel(entry.label));
        r->setValue(entry.value);
        exifRows_->addWidget(r);
    }
    nothingSensitive_->setVisible(report.sensitiveTagCount == 0);
    gpsSection_->setVisible(report.hasGPS());
    showPosition();
}

void InfoTab::showEvent(QShowEvent* event) {
    TabPage::showEvent(event);
    showPosition();
}

void InfoTab::showPosition() {
    const ExifMetadataReport& report = editor_.metadata();
    if (!report.hasGPS() || !isVisible()) return;
    if (!map_) {
        map_ = new LocationMapView;
        map_->setObjectName(QStringLiteral("map"));
        map_->setFixedHeight(kMapHeight);
        mapSlot_->addWidget(map_);
    }
    map_->showLocation(*report.latitude, *report.longitude);
}

} // namespace inspector
