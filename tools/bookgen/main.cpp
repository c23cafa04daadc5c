// bookgen: writes sample picture books, icons and songs, all drawn and
// synthesised here. The same command always writes the same bytes.
//
//   bookgen [--variant meadow|shapes] OUTDIR   a whole book folder
//   bookgen --icon KIND OUT.png                a 128 x 128 icon
//   bookgen --song NAME OUT.wav                a tune
//   bookgen --list                             the variants, icons and songs
//
// Exit status: 0 done, 1 a file could not be written, 2 wrong command line.

#include "art.h"
#include "books.h"
#include "icons.h"
#include "sounds.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int usage(bool error) {
    std::fprintf(error ? stderr : stdout,
                 "usage: bookgen [--variant meadow|shapes] OUTDIR\n"
                 "       bookgen --icon KIND OUT.png\n"
                 "       bookgen --song NAME OUT.wav\n"
                 "       bookgen --list\n"
                 "Writes a sample picture book (tavigame.dat, json/, pictures/, sounds/, music/)\n"
                 "into OUTDIR, or one icon or one song. Everything is drawn and synthesised here.\n");
    return error ? 2 : 0;
}

int fail(const QString& message) {
    std::fprintf(stderr, "bookgen: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // No display is needed: pictures are painted into images.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    if (args.isEmpty())
        return usage(true);
    if (args.first() == "--help" || args.first() == "-h")
        return usage(false);
    if (args.first() == "--list") {
        for (const books::Variant& v : books::variants())
            std::printf("variant %s: %s, %d pages\n", qPrintable(v.id), qPrintable(v.title), v.pages);
        std::printf("icons: %s\n", qPrintable(icons::kinds().join(' ')));
        std::printf("songs: %s\n", qPrintable(sounds::songNames().join(' ')));
        return 0;
    }
    if (args.first() == "--icon") {
        if (args.size() != 3)
            return usage(true);
        const QImage image = icons::icon(args[1]);
        if (image.isNull()) {
            std::fprintf(stderr, "bookgen: unknown icon \"%s\" (%s)\n", qPrintable(args[1]),
                         qPrintable(icons::kinds().join(", ")));
            return 2;
        }
        return art::savePng(image, args[2]) ? 0 : fail(args[2] + ": cannot be written");
    }
    if (args.first() == "--song") {
        if (args.size() != 3)
            return usage(true);
        if (!sounds::songNames().contains(args[1])) {
            std::fprintf(stderr, "bookgen: unknown song \"%s\" (%s)\n", qPrintable(args[1]),
                         qPrintable(sounds::songNames().join(", ")));
            return 2;
        }
        return synth::writeWav(args[2], sounds::song(args[1])) ? 0 : fail(args[2] + ": cannot be written");
    }

    QString variant = "meadow";
    QStringList rest = args;
    if (rest.first() == "--variant") {
        if (rest.size() != 3)
            return usage(true);
        variant = rest[1];
        rest = rest.mid(2);
    }
    if (rest.size() != 1 || rest.first().startsWith("-"))
        return usage(true);
    bool known = false;
    for (const books::Variant& v : books::variants())
        known = known || v.id == variant;
    if (!known) {
        std::fprintf(stderr, "bookgen: unknown variant \"%s\" (meadow, shapes)\n", qPrintable(variant));
        return 2;
    }
    QString error;
    if (!books::generate(variant, rest.first(), &error))
        return fail(error);
    return 0;
}
