#pragma once

#include "core/common/EnumSupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUuid>
#include <cstdint>
#include <optional>

// The first problem met while decoding a stored value, with the key path that leads to it from
// the top-level value, e.g. path "cropRect.x", message "expected a number".
struct JsonDecodeError {
    QString path;
    QString message;

    QString toString() const { return path.isEmpty() ? message : path + QStringLiteral(": ") + message; }
    bool operator==(const JsonDecodeError&) const = default;
};

// Strict reading of one JSON object: every requested key must be present with a value of the
// right type. After the first failure the reader stays failed, returns neutral values and keeps
// the first error only, so a decoder can read all of its fields and check ok() once at the end.
// Keys that are not requested are ignored.
class JsonObjectReader {
public:
    // `path` is where this object sits inside the top-level value ("" for the top level).
    JsonObjectReader(const QJsonValue& value, QString path, JsonDecodeError* error);

    bool ok() const { return ok_; }
    const QString& path() const { return path_; }
    QString childPath(QStringView key) const;

    double number(QStringView key);          // any finite JSON number
    std::int64_t integer(QStringView key);   // a number with an exact 64-bit integer value
    bool boolean(QStringView key);
    QString string(QStringView key);
    QUuid uuid(QStringView key);             // canonical hyphenated form, either letter case
    QJsonArray array(QStringView key);

    template <RawValueEnum E>
    E enumeration(QStringView key) {
        const QJsonValue v = require(key);
        if (!ok_) return allCases<E>().front();
        if (!v.isString()) return fail(key, QStringLiteral("expected a string")), allCases<E>().front();
        if (const auto e = fromRawValue<E>(v.toString())) return *e;
        fail(key, QStringLiteral("unknown value \"%1\"").arg(v.toString().left(64)));
        return allCases<E>().front();
    }

    // A nested value decoded by T::fromJson(value, error, path).
    template <class T>
    T object(QStringView key) {
        const QJsonValue v = require(key);
        if (!ok_) return T{};
        JsonDecodeError nested;
        if (auto decoded = T::fromJson(v, &nested, childPath(key))) return *decoded;
        failWith(nested);
        return T{};
    }

    // An array whose every element decodes with T::fromJson.
    template <class T>
    QList<T> list(QStringView key);

    // Records a failure found by the caller, at `key` of this object.
    void fail(QStringView key, const QString& message);
    // Records a failure already carrying its full path.
    void failWith(const JsonDecodeError& error);

private:
    QJsonValue require(QStringView key);

    QJsonObject object_;
    QString path_;
    JsonDecodeError* error_;
    bool ok_ = true;
};

// Decodes every element of an array with T::fromJson; nothing when any element fails.
template <class T>
std::optional<QList<T>> decodeJsonArray(const QJsonArray& array, const QString& path, JsonDecodeError* error) {
    QList<T> out;
    out.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        auto element = T::fromJson(array.at(i), error, QStringLiteral("%1[%2]").arg(path).arg(i));
        if (!element) return std::nullopt;
        out.push_back(std::move(*element));
    }
    return out;
}

template <class T>
QList<T> JsonObjectReader::list(QStringView key) {
    const QJsonArray a = array(key);
    if (!ok_) return {};
    JsonDecodeError nested;
    if (auto decoded = decodeJsonArray<T>(a, childPath(key), &nested)) return std::move(*decoded);
    failWith(nested);
    return {};
}

// Parses JSON text whose top level must be an object; reports a parse error like a decode error.
std::optional<QJsonObject> parseJsonObject(const QByteArray& text, JsonDecodeError* error);
