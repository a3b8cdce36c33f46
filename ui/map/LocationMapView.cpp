#include "ui/map/LocationMapView.h"

#include "core/localization/S.h"
#include "ui/map/MapMessageHandler.h"
#include "ui/sheets/BusySpinner.h"
#include "ui/theme/Theme.h"

#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

const QColor kPageColour(0x14, 0x16, 0x1a);

// Qt's web channel client, shipped inside the WebChannel library. Put into the page before its
// own scripts run, so the page needs no access to Qt's resource scheme from its web origin.
QString webChannelClientScript() {
    QFile file(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

LocationMapView::LocationMapView(QWidget* parent) : QWidget(parent) {
    // Its own style sheet, so a panel's style sheet above never paints the page colour over.
    setObjectName(QStringLiteral("locationMap"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#locationMap, #locationMapOverlay { background: #14161a; }"
                                 "#locationMapOverlay QLabel { background: transparent; color: #9b9ca3; }"));

    overlay_ = new QWidget(this);
    overlay_->setObjectName(QStringLiteral("locationMapOverlay"));
    overlay_->setAttribute(Qt::WA_StyledBackground);
    auto* spinner = new BusySpinner(18, overlay_);
    overlayText_ = new QLabel(overlay_);
    QFont caption = overlayText_->font();
    caption.setPixelSize(theme::captionPixelSize);
    overlayText_->setFont(caption);
    overlayText_->setText(S::loadingMap());
    auto* overlayLayout = new QVBoxLayout(overlay_);
    overlayLayout->setSpacing(theme::spacing);
    overlayLayout->addStretch(1);
    overlayLayout->addWidget(spinner, 0, Qt::AlignHCenter);
    overlayLayout->addWidget(overlayText_, 0, Qt::AlignHCenter);
    overlayLayout->addStretch(1);
    overlay_->setGeometry(rect());
}

LocationMapView::~LocationMapView() {
    // The page must go before the profile it was made with.
    delete webView_;
    webView_ = nullptr;
}

QSize LocationMapView::sizeHint() const {
    return {288, 180};
}

bool LocationMapView::isShowingLoadingOverlay() const {
    return !overlay_->isHidden();
}

void LocationMapView::showLocation(double latitude, double longitude) {
    if (!gate_.admit(latitude, longitude)) return;
    if (!webView_) createWebEngine();
    setOverlayShown(true);
    webView_->setHtml(mappage::html(latitude, longitude), mappage::baseUrl());
    ++pageLoads_;
}

void LocationMapView::createWebEngine() {
    // A private profile: the map leaves no cookies or cache of the maps site on disk.
    profile_ = new QWebEngineProfile(this);
    QWebEngineScript channelClient;
    channelClient.setName(QStringLiteral("qwebchannel"));
    channelClient.setSourceCode(webChannelClientScript());
    channelClient.setInjectionPoint(QWebEngineScript::DocumentCreation);
    channelClient.setWorldId(QWebEngineScript::MainWorld);
    channelClient.setRunsOnSubFrames(false);
    profile_->scripts()->insert(channelClient);

    webView_ = new QWebEngineView(profile_, this);
    QWebEnginePage* page = webView_->page();
    // Painted dark from the first frame, so neither loading nor a failed load flashes white.
    page->setBackgroundColor(kPageColour);
    page->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    page->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    webView_->setContextMenuPolicy(Qt::NoContextMenu);

    handler_ = new MapMessageHandler(this);
    auto* channel = new QWebChannel(page);
    channel->registerObject(QString::fromLatin1(mappage::kHandlerName), handler_);
    page->setWebChannel(channel);
    connect(handler_, &MapMessageHandler::messageReceived, this, [this](const QString& message) {
        if (message == QLatin1String(mappage::kLoadedMessage)) setOverlayShown(false);
    });

    webView_->setGeometry(rect());
    webView_->show();
    overlay_->raise();
}

void LocationMapView::setOverlayShown(bool shown) {
    overlayText_->setText(S::loadingMap());
    overlay_->setVisible(shown);
    if (shown) overlay_->raise();
}

void LocationMapView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    overlay_->setGeometry(rect());
    if (webView_) webView_->setGeometry(rect());
}

void LocationMapView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) overlayText_->setText(S::loadingMap());
}
