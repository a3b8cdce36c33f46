#pragma once

#include <QWidget>

// The GPS map of the EXIF tab. The web engine is created inside it on first use only.
class LocationMapView : public QWidget {
    Q_OBJECT
  public:
    explicit LocationMapView(QWidget* parent = nullptr);
    void showLocation(double latitude, double longitude);
};
