#pragma once

#include <QObject>
#include <QVariant>

namespace nimbar {

// Every control carries its position as "Tag": the board index, or board * 10 + channel.
inline constexpr char kTagProperty[] = "Tag";

template <typename T> T* tagged(T* control, const QString& name, int tag) {
    control->setObjectName(name);
    control->setProperty(kTagProperty, tag);
    return control;
}

inline int tagOf(const QObject* control) {
    return control ? control->property(kTagProperty).toInt() : 0;
}

} // namespace nimbar
