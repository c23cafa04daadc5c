// bookgen: writes sample picture books, icons and songs, all drawn and
// synthesised here. The same command always writes the same bytes.
//
//   bookgen [--variant meadow|shapes] OUTDIR   a whole book folder
//   bookgen --icon KIND OUT.png [KIND OUT.png ...]   128 x 128 icons
//   bookgen --song NAME OUT.wav [NAME OUT.wav ...]   tunes
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

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform warns about a missing XDG_RUNTIME_DIR, which bookgen
// never uses; everything else is passed on.
void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set"))
        return;
    defaultHandler(type, context, message);
}

int usage(bool error) {
    std::fprintf(error ? stderr : stdout,
                 "usage: bookgen [--variant meadow|shapes] OUTDIR\n"
                 "       bookgen --icon KIND OUT.png [KIND OUT.png ...]\n"
                 "       bookgen --song NAME OUT.wav [NAME OUT.wav ...]\n"
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
    defaultHandler = qInstallMessageHandler(messageHandler);
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
    // Several pairs in one run save the start-up of one process per file.
    if (args.first() == "--icon" || args.first() == "--song") {
        const bool icon = args.first() == "--icon";
        if (args.size() < 3 || args.size() % 2 == 0)
            return usage(true);
        const QStringList known = icon ? icons::kinds() : sounds::songNames();
        for (int i = 1; i < args.size(); i += 2) {
            if (!known.contains(args[i])) {
                std::fprintf(stderr, "bookgen: unknown %s \"%s\" (%s)\n", icon ? "icon" : "song",
                             qPrintable(args[i]), qPrintable(known.join(", ")));
                return 2;
            }
        }
        for (int i = 1; i < args.size(); i += 2) {
            const bool written = icon ? art::savePng(icons::icon(args[i]), args[i + 1])
                                      : synth::writeWav(args[i + 1], sounds::song(args[i]));
            if (!written)
                return fail(args[i + 1] + ": cannot be written");
        }
        return 0;
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
