#pragma once

#include "ui/map/MapPage.h"

#include <QWidget>

class MapMessageHandler;
class QLabel;
class QWebEngineProfile;
class QWebEngineView;

// The GPS map of the EXIF tab: an embedded Google Maps page on a dark page, under a loading
// overlay until the page reports the map loaded. The web engine is heavy (a browser process),
// so it is created inside the view on the first position shown, never at construction; an
// application that never shows a position never starts it.
class LocationMapView : public QWidget {
    Q_OBJECT
  public:
    explicit LocationMapView(QWidget* parent = nullptr);
    ~LocationMapView() override;

    // Shows the position (degrees). The same place as the last one shown (to five decimals)
    // keeps the page as it is.
    void showLocation(double latitude, double longitude);

    bool hasWebEngine() const { return webView_ != nullptr; }
    // How many pages the view has loaded since it was made.
    int pageLoadCount() const { return pageLoads_; }
    bool isShowingLoadingOverlay() const;
    QSize sizeHint() const override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void createWebEngine();
    void setOverlayShown(bool shown);

    MapLoadGate gate_;
    QWidget* overlay_ = nullptr;
    QLabel* overlayText_ = nullptr;
    QWebEngineProfile* profile_ = nullptr;
    QWebEngineView* webView_ = nullptr;
    MapMessageHandler* handler_ = nullptr;
    int pageLoads_ = 0;
};
