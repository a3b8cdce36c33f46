#pragma once

#include <QObject>

// Owns the one editor and the application-wide key and scroll monitors; opens the command line's paths.
class TaviViewAppDelegate : public QObject {
    Q_OBJECT
  public:
    explicit TaviViewAppDelegate(QObject* parent = nullptr);
};
