#pragma once
// The sample books: "Happy Meadow", six pages that show everything a book can do,
// and "Colours and Shapes", a three-page courseware item.

#include <QString>
#include <QStringList>

namespace books {

struct Variant {
    QString id;    // as given on the command line
    QString title; // English and Chinese
    int pages;
};

// meadow, shapes.
QList<Variant> variants();

// Writes the whole book into dir (created when missing): tavigame.dat, json/,
// pictures/, sounds/, music/. False with a reason on failure.
bool generate(const QString& variant, const QString& dir, QString* error);

} // namespace books
