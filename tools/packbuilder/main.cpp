// packbuilder: builds ".tvp" resource packs for the client from a folder of
// files and a JSON manifest. See README.md beside this file.
//
// Exit codes: 0 done, 1 the input is wrong (each problem on its own line),
// 2 wrong command line, 3 writing or archiving failed.

#include "builder.h"
#include "manifest.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {

int fail(const QStringList& errors, int code) {
    for (const QString& e : errors)
        std::fprintf(stderr, "packbuilder: %s\n", qPrintable(e));
    return code;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("packbuilder");
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Builds resource packs (.tvp) for the client.\n\n"
        "  packbuilder build MANIFEST OUT.tvp    check, lay out and pack\n"
        "  packbuilder check MANIFEST            only check the manifest and its files\n"
        "  packbuilder stage MANIFEST DIR        lay the pack out in DIR without packing\n"
        "  packbuilder archive DIR OUT.tvp       pack a laid-out folder as it is");
    parser.addHelpOption();
    parser.addPositionalArgument("command", "build, check, stage or archive");
    parser.addPositionalArgument("args", "the command's arguments", "ARGS...");
    const QCommandLineOption unchecked(
        "unchecked", "Skip the content checks and write what the manifest says (for testing the client).");
    const QCommandLineOption noIni("no-ini", "Leave pack.ini out (publisher packs may lack it).");
    const QCommandLineOption iniVer("ini-ver", "Write N as ver in pack.ini.", "N");
    const QCommandLineOption iniType("ini-type", "Write N as type in pack.ini.", "N");
    const QCommandLineOption noChecksums("no-checksums",
                                         "Leave pack.sha256 out (packs from before the checksums).");
    const QCommandLineOption level("level", "7z compression level 0-9 (default 5).", "N", "5");
    const QCommandLineOption sevenZip("7za", "The 7-Zip program (default: 7za on the PATH).", "PATH", "7za");
    parser.addOptions({unchecked, noIni, noChecksums, iniVer, iniType, level, sevenZip});
    parser.process(app);

    BuildOptions options;
    options.unchecked = parser.isSet(unchecked);
    options.writeIni = !parser.isSet(noIni);
    options.writeChecksums = !parser.isSet(noChecksums);
    bool ok = true;
    if (parser.isSet(iniVer))
        options.iniVer = parser.value(iniVer).toInt(&ok);
    if (ok && parser.isSet(iniType))
        options.iniType = parser.value(iniType).toInt(&ok);
    if (ok)
        options.level = parser.value(level).toInt(&ok);
    if (!ok || options.level < 0 || options.level > 9 || options.iniVer < -1 || options.iniType < -1)
        return fail({"--ini-ver, --ini-type and --level take a number (level 0-9)"}, 2);
    options.sevenZip = parser.value(sevenZip);

    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    const int wanted = command == "check" ? 2 : 3;
    if (!QStringList({"build", "check", "stage", "archive"}).contains(command) || args.size() != wanted) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.helpText()));
        return 2;
    }

    QStringList errors;
    if (command == "archive") {
        if (!archiveFolder(args.at(1), args.at(2), options, errors))
            return fail(errors, 3);
        std::printf("wrote %s\n", qPrintable(args.at(2)));
        return 0;
    }

    PackManifest manifest;
    if (!readManifest(args.at(1), options.unchecked, manifest, errors))
        return fail(errors, 1);
    if (command == "check") {
        std::printf("%s: fine, %d resources\n", qPrintable(args.at(1)),
                    int(manifest.type == 2 ? manifest.files.size() : manifest.resources.size()));
        return 0;
    }
    if (command == "stage") {
        if (!stagePack(manifest, args.at(2), options, errors))
            return fail(errors, 3);
        return 0;
    }
    QTemporaryDir stage;
    if (!stage.isValid())
        return fail({"can not create a temporary folder: " + stage.errorString()}, 3);
    if (!stagePack(manifest, stage.path() + "/pack", options, errors) ||
        !archiveFolder(stage.path() + "/pack", args.at(2), options, errors))
        return fail(errors, 3);
    std::printf("wrote %s\n", qPrintable(args.at(2)));
    return 0;
}
