// Component names for a window's controls, so tests, accessibility tools and automation find
// each control by the name its form gives it.
#pragma once

#include <QObject>
#include <QString>

#include <initializer_list>
#include <utility>

inline void NameControls(std::initializer_list<std::pair<QObject*, const char*>> controls) {
    for (const auto& [control, name] : controls)
        control->setObjectName(QString::fromLatin1(name));
}
