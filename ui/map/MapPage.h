#pragma once

#include <QString>
#include <QUrl>

// The page the GPS map shows: a dark document holding one embedded Google Maps frame. Pure text
// from a position, so it is checked without a web engine or a network.
namespace mappage {

// The name of the page's message handler and the message it sends once the map has loaded.
inline constexpr char kHandlerName[] = "mapLoaded";
inline constexpr char kLoadedMessage[] = "ok";

// "41.00820,28.97840": positions that agree to five decimals (about a metre) are the same place.
QString locationKey(double latitude, double longitude);

// The embeddable map of the position at street zoom; each coordinate in the shortest decimal
// form that reads back as the same double.
QUrl frameSource(double latitude, double longitude);

// The whole page: the dark background (#14161a) filling the view, the frame filling the page,
// and the frame's load reported to the "mapLoaded" handler through the page's web channel.
QString html(double latitude, double longitude);

// The address the page is loaded as (the frame's referrer).
QUrl baseUrl();

} // namespace mappage

// Which positions need a new page: the first, and every one whose key differs from the last
// loaded. Moving between photos taken at the same spot never reloads the map.
class MapLoadGate {
  public:
    // True when the position must be loaded, and it becomes the last loaded; false for the same
    // place as the last load and for a position that isn't a number.
    bool admit(double latitude, double longitude);
    const QString& lastKey() const { return lastKey_; }

  private:
    QString lastKey_;
};
