#include "core/model/JsonDecoding.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <cmath>

JsonObjectReader::JsonObjectReader(const QJsonValue& value, QString path, JsonDecodeError* error)
    : path_(std::move(path)), error_(error) {
    if (value.isObject()) {
        object_ = value.toObject();
    } else {
        ok_ = false;
        if (error_) *error_ = {path_, QStringLiteral("expected an object")};
    }
}

QString JsonObjectReader::childPath(QStringView key) const {
    return path_.isEmpty() ? key.toString() : path_ + u'.' + key.toString();
}

void JsonObjectReader::fail(QStringView key, const QString& message) {
    failWith({childPath(key), message});
}

void JsonObjectReader::failWith(const JsonDecodeError& error) {
    if (!ok_) return;
    ok_ = false;
    if (error_) *error_ = error;
}

QJsonValue JsonObjectReader::require(QStringView key) {
    if (!ok_) return {};
    const auto it = object_.constFind(key);
    if (it == object_.constEnd()) {
        fail(key, QStringLiteral("missing key"));
        return {};
    }
    return *it;
}

double JsonObjectReader::number(QStringView key) {
    const QJsonValue v = require(key);
    if (!ok_) return 0;
    if (!v.isDouble()) return fail(key, QStringLiteral("expected a number")), 0;
    const double d = v.toDouble();
    // Text JSON cannot hold these, but values built in memory can; nothing downstream wants them.
    if (!std::isfinite(d)) return fail(key, QStringLiteral("expected a finite number")), 0;
    return d;
}

std::int64_t JsonObjectReader::integer(QStringView key) {
    const QJsonValue v = require(key);
    if (!ok_) return 0;
    if (!v.isDouble()) return fail(key, QStringLiteral("expected an integer")), 0;
    // toInteger() returns its fallback for fractions and out-of-range values; two different
    // fallbacks tell those apart from a genuine integer equal to either of them.
    const qint64 a = v.toInteger(0);
    const qint64 b = v.toInteger(1);
    if (a != b) return fail(key, QStringLiteral("expected an integer")), 0;
    return a;
}

bool JsonObjectReader::boolean(QStringView key) {
    const QJsonValue v = require(key);
    if (!ok_) return false;
    if (!v.isBool()) return fail(key, QStringLiteral("expected true or false")), false;
    return v.toBool();
}

QString JsonObjectReader::string(QStringView key) {
    const QJsonValue v = require(key);
    if (!ok_) return {};
    if (!v.isString()) return fail(key, QStringLiteral("expected a string")), QString();
    return v.toString();
}

QUuid JsonObjectReader::uuid(QStringView key) {
    const QString text = string(key);
    if (!ok_) return {};
    // Only the 36-character hyphenated form; QUuid alone would also take braces and other shapes.
    static const QRegularExpression canonical(QStringLiteral(
        "\\A[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\z"));
    if (!canonical.match(text).hasMatch()) return fail(key, QStringLiteral("expected a UUID")), QUuid();
    return QUuid::fromString(text);
}

QJsonArray JsonObjectReader::array(QStringView key) {
    const QJsonValue v = require(key);
    if (!ok_) return {};
    if (!v.isArray()) return fail(key, QStringLiteral("expected an array")), QJsonArray();
    return v.toArray();
}

std::optional<QJsonObject> parseJsonObject(const QByteArray& text, JsonDecodeError* error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error)
            *error = {QString(), QStringLiteral("not valid JSON (%1 at offset %2)")
                                     .arg(parseError.errorString())
                                     .arg(parseError.offset)};
        return std::nullopt;
    }
    if (!doc.isObject()) {
        if (error) *error = {QString(), QStringLiteral("expected an object")};
        return std::nullopt;
    }
    return doc.object();
}
