#include "core/files/AnimatedImageService.h"

#include "core/common/Paths.h"
#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/ImageSource.h"

#include <algorithm>
#include <cmath>

namespace {
std::optional<double> usableDelay(const QVariantMap& dictionary, const QString& key) {
    const QVariant v = dictionary.value(key);
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        break;
    default:
        return std::nullopt;
    }
    const double seconds = v.toDouble();
    if (!std::isfinite(seconds) || seconds <= 0.01) return std::nullopt;
    return seconds;
}
} // namespace

double AnimatedImageService::frameDelay(const QVariantMap& properties) {
    const std::pair<const QString*, std::pair<const QString*, const QString*>> candidates[] = {
        {&ImageProperty::GIFDictionary, {&ImageProperty::UnclampedDelayTime, &ImageProperty::DelayTime}},
        {&ImageProperty::WebPDictionary, {&ImageProperty::UnclampedDelayTime, &ImageProperty::DelayTime}},
        {&ImageProperty::PNGDictionary,
         {&ImageProperty::APNGUnclampedDelayTime, &ImageProperty::APNGDelayTime}},
    };
    for (const auto& [dictionaryKey, keys] : candidates) {
        const QVariant dictionary = properties.value(*dictionaryKey);
        if (dictionary.typeId() != QMetaType::QVariantMap) continue;
        const QVariantMap map = dictionary.toMap();
        if (auto d = usableDelay(map, *keys.first)) return *d;
        if (auto d = usableDelay(map, *keys.second)) return *d;
    }
    return defaultDelay;
}

std::optional<AnimatedImageSequence> AnimatedImageService::loadAnimationIfAnimated(const QString& path,
                                                                                   int maxFrames) const {
    auto source = ImageSource::open(standardizedPath(path));
    if (!source || source->count() < 2 || maxFrames < 2) return std::nullopt;
    const int count = std::min(maxFrames, source->count());
    std::vector<AnimatedFrame> frames;
    frames.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::optional<QImage> image = source->createImage(i);
        if (!image || image->isNull()) continue;
        frames.emplace_back(std::move(*image), frameDelay(source->properties(i)));
    }
    if (frames.size() < 2) return std::nullopt;
    return AnimatedImageSequence(std::move(frames));
}
