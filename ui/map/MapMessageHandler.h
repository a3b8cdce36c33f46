#pragma once

#include <QObject>
#include <QString>

// The page's "mapLoaded" message handler, published to the page through the web channel.
class MapMessageHandler : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;
    // Called by the page's script.
    Q_INVOKABLE void postMessage(const QString& message) { Q_EMIT messageReceived(message); }

  Q_SIGNALS:
    void messageReceived(const QString& message);
};
