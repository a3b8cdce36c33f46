#include "ui/map/LocationMapView.h"

LocationMapView::LocationMapView(QWidget* parent) : QWidget(parent) {}

void LocationMapView::showLocation(double, double) {}
