#include "app/TaviViewAppDelegate.h"

TaviViewAppDelegate::TaviViewAppDelegate(QObject* parent) : QObject(parent) {}
