#pragma once

#include "ui/inspector/TabPage.h"

class LocationMapView;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace inspector {

class InfoRow;

// The EXIF tab: the file's details, its camera and EXIF rows with the strip command, and the
// photo's place on a map. The map's web engine is heavy: it is made the first time this tab
// shows a photo with a position, never before.
class InfoTab : public TabPage {
    Q_OBJECT
  public:
    explicit InfoTab(EditorViewModel& editor, QWidget* parent = nullptr);
    LocationMapView* map() const { return map_; }

  protected:
    void sync() override;
    void showEvent(QShowEvent* event) override;

  private:
    void syncFile();
    void syncMetadata();
    void showPosition();

    QLabel* noImage_ = nullptr;
    QWidget* fileSection_ = nullptr;
    InfoRow* file_ = nullptr;
    InfoRow* dimensions_ = nullptr;
    InfoRow* size_ = nullptr;
    InfoRow* profile_ = nullptr;
    InfoRow* resolution_ = nullptr;
    QWidget* exifSection_ = nullptr;
    QVBoxLayout* exifRows_ = nullptr;
    QPushButton* strip_ = nullptr;
    QLabel* nothingSensitive_ = nullptr;
    QWidget* gpsSection_ = nullptr;
    QVBoxLayout* mapSlot_ = nullptr;
    LocationMapView* map_ = nullptr;
};

} // namespace inspector
