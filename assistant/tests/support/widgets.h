#pragma once
// Finding the client's widgets as a person would: by the name they carry
// (their object name), by what they are called (their accessible name), or
// by what they do (their accessible description). Each finds exactly one; a
// test fails when there is none or several.

#include <QList>
#include <QObject>
#include <QString>
#include <QTextDocument>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace testsupport {

inline const QObject* asObject(const QObject* o) {
    return o;
}
inline const QObject* asObject(const QObject& o) {
    return &o;
}
template <typename T> const QObject* asObject(const std::unique_ptr<T>& o) {
    return o.get();
}

template <typename T, typename Root>
T* onlyOne(const Root& root, const QString& what, const std::function<bool(const T*)>& matches) {
    const QObject* parent = asObject(root);
    if (!parent) {
        ADD_FAILURE() << "no widget to look for " << what.toStdString() << " in";
        return nullptr;
    }
    QList<T*> found;
    for (T* child : parent->template findChildren<T*>())
        if (matches(child))
            found << child;
    if (found.size() != 1) {
        ADD_FAILURE() << found.size() << " widgets " << what.toStdString() << " in "
                      << parent->objectName().toStdString();
        return nullptr;
    }
    return found.first();
}

// The one descendant with this object name.
template <typename T, typename Root> T* named(const Root& root, const QString& name) {
    return onlyOne<T>(root, "named " + name, [&](const T* w) { return w->objectName() == name; });
}
// The one descendant called name (its accessible name).
template <typename T, typename Root> T* labelled(const Root& root, const QString& name) {
    return onlyOne<T>(root, "called " + name, [&](const T* w) { return w->accessibleName() == name; });
}
// The one descendant whose accessible description is description.
template <typename T, typename Root> T* described(const Root& root, const QString& description) {
    return onlyOne<T>(root, "described as " + description,
                      [&](const T* w) { return w->accessibleDescription() == description; });
}

// The words a person reads in a label or tip: markup rendered, plain text
// as it stands.
inline QString shownText(const QString& text) {
    if (!Qt::mightBeRichText(text))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

} // namespace testsupport

// The interface suites find widgets everywhere; these read as plain words there.
using testsupport::described;
using testsupport::labelled;
using testsupport::named;
