#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <optional>

// Published state: a Q_PROPERTY whose NOTIFY signal fires only when the value really changes.
// Bitmaps count as changed when they are another bitmap (cacheKey), not after comparing every
// pixel, so publishing a fresh render costs nothing extra.
inline bool publishedEqual(const QImage& a, const QImage& b) {
    return a.cacheKey() == b.cacheKey();
}
inline bool publishedEqual(const std::optional<QImage>& a, const std::optional<QImage>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a || publishedEqual(*a, *b);
}
inline bool publishedEqual(const QHash<QString, QImage>& a, const QHash<QString, QImage>& b) {
    if (a.size() != b.size()) return false;
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        const auto other = b.constFind(it.key());
        if (other == b.cend() || other->cacheKey() != it->cacheKey()) return false;
    }
    return true;
}
template <class T> bool publishedEqual(const T& a, const T& b) {
    return a == b;
}

// A property the views may set (bindings of controls). `...` is the value a new editor holds.
#define TAVI_PUBLISHED(Type, name, setter, ...)                                                              \
    Q_PROPERTY(Type name READ name WRITE setter NOTIFY name##Changed)                                        \
  public:                                                                                                    \
    const Type& name() const {                                                                               \
        return name##_;                                                                                      \
    }                                                                                                        \
    void setter(const Type& value) {                                                                         \
        if (publishedEqual(name##_, value)) return;                                                          \
        name##_ = value;                                                                                     \
        Q_EMIT name##Changed();                                                                              \
    }                                                                                                        \
    Q_SIGNAL void name##Changed();                                                                           \
                                                                                                             \
  private:                                                                                                   \
    Type name##_{__VA_ARGS__};

// A property only the editor's own operations change; views read it.
#define TAVI_PUBLISHED_READONLY(Type, name, setter, ...)                                                     \
    Q_PROPERTY(Type name READ name NOTIFY name##Changed)                                                     \
  public:                                                                                                    \
    const Type& name() const {                                                                               \
        return name##_;                                                                                      \
    }                                                                                                        \
    Q_SIGNAL void name##Changed();                                                                           \
                                                                                                             \
  private:                                                                                                   \
    void setter(const Type& value) {                                                                         \
        if (publishedEqual(name##_, value)) return;                                                          \
        name##_ = value;                                                                                     \
        Q_EMIT name##Changed();                                                                              \
    }                                                                                                        \
    Type name##_{__VA_ARGS__};
