#include "ui/map/MapPage.h"

#include <QLocale>
#include <QUrlQuery>
#include <cmath>

namespace mappage {

namespace {

QString shortest(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// The frame's address goes inside a double-quoted attribute.
QString attributeEscaped(const QString& text) {
    return text.toHtmlEscaped();
}

} // namespace

QString locationKey(double latitude, double longitude) {
    return QString::asprintf("%.5f,%.5f", latitude, longitude);
}

QUrl frameSource(double latitude, double longitude) {
    QUrl url(QStringLiteral("https://maps.google.com/maps"));
    url.setQuery(QStringLiteral("q=") + shortest(latitude) + QLatin1Char(',') + shortest(longitude) +
                 QStringLiteral("&z=15&output=embed"));
    return url;
}

QString html(double latitude, double longitude) {
    // The frame's onload fires for an error page too (no network, blocked host). Only a frame
    // whose host answered counts as a loaded map, so offline the dark page keeps its overlay.
    static const QString prefix = QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<style>html,body{margin:0;padding:0;width:100%;height:100%;overflow:hidden;"
        "background:#14161a;}iframe{border:0;width:100%;height:100%;display:block;}</style>"
        "<script>"
        "var taviHandler=null,taviLoaded=false;"
        "function taviPost(){if(taviHandler&&taviLoaded)taviHandler.postMessage('ok');}"
        "if(typeof QWebChannel!=='undefined'&&typeof qt!=='undefined'){"
        "new QWebChannel(qt.webChannelTransport,function(c){taviHandler=c.objects.mapLoaded;taviPost();});}"
        "function taviFrameLoaded(frame){"
        "fetch(frame.src,{mode:'no-cors',cache:'no-store',referrerPolicy:'no-referrer-when-downgrade'})"
        ".then(function(){taviLoaded=true;taviPost();},function(){});}"
        "</script></head><body>"
        "<iframe loading=\"eager\" referrerpolicy=\"no-referrer-when-downgrade\" "
        "onload=\"taviFrameLoaded(this)\" src=\"");
    static const QString suffix = QStringLiteral("\"></iframe></body></html>");
    return prefix + attributeEscaped(frameSource(latitude, longitude).toString(QUrl::FullyEncoded)) + suffix;
}

QUrl baseUrl() {
    return QUrl(QStringLiteral("https://quellora.com/"));
}

} // namespace mappage

bool MapLoadGate::admit(double latitude, double longitude) {
    if (!std::isfinite(latitude) || !std::isfinite(longitude)) return false;
    const QString key = mappage::locationKey(latitude, longitude);
    if (key == lastKey_) return false;
    lastKey_ = key;
    return true;
}
