// The sample-book generator as a program: the books it writes are clean for the
// book checker, the same on every run, read by the engine's own parser, and use
// everything a book can do; their pictures and sounds fit how the pages use them.

#include "sparse.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <log4cplus/initializer.h>
#include <log4cplus/logger.h>
#include <log4cplus/nullappender.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct ProcessResult {
    int status = -1;
    QString output;
};

ProcessResult run(const QString& program, const QStringList& args) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    ProcessResult r;
    if (!process.waitForFinished(120000))
        return r;
    r.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.output = QString::fromUtf8(process.readAll());
    return r;
}

ProcessResult bookgen(const QStringList& args) {
    return run(BOOKGEN_EXE, args);
}

// Relative path -> SHA-256 of every file below dir.
std::map<QString, QByteArray> digests(const QString& dir) {
    std::map<QString, QByteArray> out;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            out[QDir(dir).relativeFilePath(path)] =
                QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    }
    return out;
}

struct Wav {
    bool valid = false;
    int rate = 0;
    std::vector<std::int16_t> samples;
};

std::uint32_t le32(const QByteArray& d, int at) {
    return std::uint32_t(std::uint8_t(d[at])) | std::uint32_t(std::uint8_t(d[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(d[at + 2])) << 16 | std::uint32_t(std::uint8_t(d[at + 3])) << 24;
}

std::uint16_t le16(const QByteArray& d, int at) {
    return std::uint16_t(std::uint8_t(d[at]) | std::uint8_t(d[at + 1]) << 8);
}

// A PCM WAV file as the engine's sound library reads it: RIFF, 16-bit, mono.
Wav readWav(const QString& path) {
    Wav w;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return w;
    const QByteArray d = file.readAll();
    if (d.size() < 44 || !d.startsWith("RIFF") || d.mid(8, 8) != "WAVEfmt ")
        return w;
    if (le32(d, 4) != std::uint32_t(d.size() - 8) || le16(d, 20) != 1 || le16(d, 22) != 1 ||
        le16(d, 34) != 16 || d.mid(36, 4) != "data")
        return w;
    const std::uint32_t bytes = le32(d, 40);
    if (bytes == 0 || bytes % 2 || bytes + 44 != std::uint32_t(d.size()))
        return w;
    w.rate = int(le32(d, 24));
    w.samples.resize(bytes / 2);
    std::memcpy(w.samples.data(), d.constData() + 44, bytes);
    w.valid = true;
    return w;
}

// The parser's view of a whole book.
struct ParsedAction {
    int number;
    bool hotspot;
    SAction record;
    std::string texture;
    std::string sound;
    std::string change;
};

struct ParsedSprite {
    std::string name;
    std::string picture;
    SPoint position;
    float zoom;
    std::vector<ParsedAction> actions;
};

struct ParsedPage {
    std::string picture;
    std::string change;
    std::string music;
    int musicType;
    std::vector<std::pair<std::string, std::string>> buttons; // name, picture
    std::vector<SRect> buttonRects;
    std::vector<ParsedSprite> sprites;
};

struct ParsedBook {
    bool ok = false;
    GameJson game{};
    std::vector<ParsedPage> pages;
};

ParsedBook parseBook(const QString& dir) {
    log4cplus::initialize();
    log4cplus::Logger engineLog = log4cplus::Logger::getInstance("ENGINE_LOGGER");
    if (engineLog.getAllAppenders().empty())
        engineLog.addAppender(log4cplus::SharedAppenderPtr(new log4cplus::NullAppender));
    ParsedBook book;
    SParser parser;
    parser.setEcho(false);
    const std::string root = (dir + "/json/").toStdString();
    GameJson* game = parser.initGameJson(root.c_str());
    if (!game)
        return book;
    book.game = *game;
    parser.release(game, 0);
    for (int n = 0; n < book.game.scene_number; ++n) {
        SScene* scene = parser.parse(n);
        if (!scene)
            return book;
        ParsedPage page;
        page.picture = scene->scene_picture_file;
        page.change = scene->scene_change;
        page.music = scene->scene_music;
        page.musicType = sParse_toInt(scene->scene_music_type);
        for (int b = 0; b < parser.arraySize(scene, ARRAY_BUTTON, nullptr); ++b) {
            page.buttons.emplace_back(scene->buttons[b].button_name, scene->buttons[b].button_picture_file);
            page.buttonRects.push_back(scene->buttons[b].button_rect);
        }
        for (int i = 0; i < parser.arraySize(scene, ARRAY_SPRITE, nullptr); ++i) {
            const SSprite& s = scene->sprites[i];
            ParsedSprite sprite{
                s.sprite_name, s.sprite_picture_file, s.sprite_position, s.sprite_zoom_rate, {}};
            const int hot = parser.actionSizeAt(scene, ARRAY_HOTSPOT_ACTION, i);
            const int def = parser.actionSizeAt(scene, ARRAY_DEFAULT_ACTION, i);
            for (int j = 0; j < hot + def; ++j) {
                const SAction& a = j < hot ? s.hotspot_action[j] : s.default_action[j - hot];
                sprite.actions.push_back({sceneformat::actionNumber(a.action_type), j < hot, a,
                                          a.texture_picture_file, a.action_music_file, a.scene_change});
            }
            page.sprites.push_back(sprite);
        }
        parser.release(scene, 1);
        book.pages.push_back(page);
    }
    book.ok = true;
    return book;
}

// The generated books, made once per test process and only when a test asks.
class GeneratedBook : public ::testing::Test {
protected:
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    // The folder of the variant's book, generated on first use.
    static QString path(const char* variant) {
        if (!dir_)
            dir_ = new QTemporaryDir;
        const QString folder = dir_->path() + "/" + variant;
        if (!QFileInfo::exists(folder + "/tavigame.dat")) {
            const ProcessResult r = bookgen({"--variant", variant, folder});
            EXPECT_EQ(r.status, 0) << qPrintable(r.output);
        }
        return folder;
    }

    static QTemporaryDir* dir_;
};

QTemporaryDir* GeneratedBook::dir_ = nullptr;

TEST_F(GeneratedBook, BothBooksAreCleanForTheBookChecker) {
    for (const char* variant : {"meadow", "shapes"}) {
        const ProcessResult r = run(BOOKCHECK_EXE, {path(variant)});
        EXPECT_EQ(r.status, 0) << variant << ":\n" << qPrintable(r.output);
        EXPECT_TRUE(r.output.contains(variant == std::string("meadow") ? "clean, 6 pages" : "clean, 3 pages"))
            << qPrintable(r.output);
    }
}

TEST_F(GeneratedBook, SameBytesOnEveryRun) {
    QTemporaryDir again;
    ASSERT_TRUE(again.isValid());
    for (const char* variant : {"meadow", "shapes"}) {
        const QString second = again.path() + "/" + variant;
        ASSERT_EQ(bookgen({"--variant", variant, second}).status, 0);
        const auto first = digests(path(variant));
        const auto other = digests(second);
        ASSERT_GT(first.size(), 20u);
        EXPECT_EQ(first, other) << variant << " differs between two runs";
    }
    // Without --variant the sample book is written.
    const QString plain = again.path() + "/plain";
    ASSERT_EQ(bookgen({plain}).status, 0);
    EXPECT_EQ(digests(plain), digests(path("meadow")));
}

TEST_F(GeneratedBook, SampleBookUsesEverythingABookCanDo) {
    const ParsedBook book = parseBook(path("meadow"));
    ASSERT_TRUE(book.ok);
    EXPECT_EQ(book.game.scene_width, 1024.0f);
    EXPECT_EQ(book.game.scene_height, 768.0f);
    ASSERT_GE(book.pages.size(), 5u);
    ASSERT_LE(book.pages.size(), 7u);

    std::set<int> actions;
    std::set<int> transitions;
    std::set<std::string> buttons;
    std::set<int> musicTypes;
    int jumpHotspots = 0;
    bool swipeBothWays = false;
    for (std::size_t n = 0; n < book.pages.size(); ++n) {
        const ParsedPage& page = book.pages[n];
        transitions.insert(sceneformat::transitionNumber(page.change.c_str()));
        musicTypes.insert(page.musicType > 0 ? 1 : page.musicType);
        EXPECT_FALSE(page.music.empty()) << "page " << n << " has no music";
        std::set<std::string> names;
        for (const auto& b : page.buttons)
            names.insert(b.first);
        buttons.insert(names.begin(), names.end());
        swipeBothWays = swipeBothWays || (names.count("button_left") && names.count("button_right"));
        // Page buttons only where they lead somewhere.
        EXPECT_EQ(names.count("button_left"), n > 0 ? 1u : 0u) << "page " << n;
        EXPECT_EQ(names.count("button_right"), n + 1 < book.pages.size() ? 1u : 0u) << "page " << n;
        EXPECT_EQ(names.count("button_exit"), 1u) << "page " << n << " cannot be closed";
        for (const ParsedSprite& s : page.sprites) {
            for (const ParsedAction& a : s.actions) {
                actions.insert(a.number);
                if (a.number == 10) {
                    ++jumpHotspots;
                    EXPECT_TRUE(a.hotspot) << s.name;
                    EXPECT_EQ(&a, &s.actions.back()) << s.name << ": a jump must be the last hot-spot action";
                    EXPECT_GE(a.record.toPageNumber, 0);
                    EXPECT_LT(a.record.toPageNumber, int(book.pages.size()));
                    EXPECT_NE(a.record.toPageNumber, int(n)) << s.name << " jumps to its own page";
                    const int t = sceneformat::transitionNumber(a.change.c_str());
                    EXPECT_GT(t, 0) << s.name;
                    transitions.insert(t);
                }
            }
        }
    }
    EXPECT_EQ(actions, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(transitions, (std::set<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(buttons, (std::set<std::string>{"button_left", "button_right", "button_exit", "button_home"}));
    EXPECT_EQ(musicTypes, (std::set<int>{0, 1})) << "both music modes: 0 loops, N > 0 plays once";
    EXPECT_GE(jumpHotspots, 2);
    EXPECT_TRUE(swipeBothWays);
    // Page 0 is a title page with a way in.
    ASSERT_FALSE(book.pages.empty());
    bool titleJumps = false;
    for (const ParsedSprite& s : book.pages[0].sprites)
        titleJumps = titleJumps || (!s.actions.empty() && s.actions.back().number == 10);
    EXPECT_TRUE(titleJumps);
}

// Checks that only hold when pictures and sounds match the way the pages use them.
void checkMedia(const QString& dir) {
    const ParsedBook book = parseBook(dir);
    ASSERT_TRUE(book.ok);
    const QRectF page(0, 0, book.game.scene_width, book.game.scene_height);
    for (std::size_t n = 0; n < book.pages.size(); ++n) {
        const ParsedPage& p = book.pages[n];
        const QImage background(dir + "/" + QString::fromStdString(p.picture));
        ASSERT_FALSE(background.isNull()) << p.picture;
        // The engine centres the background: it must fill the design area exactly.
        EXPECT_EQ(background.size(), page.size().toSize()) << p.picture;
        for (std::size_t b = 0; b < p.buttons.size(); ++b) {
            const QImage picture(dir + "/" + QString::fromStdString(p.buttons[b].second));
            ASSERT_FALSE(picture.isNull()) << p.buttons[b].second;
            const SRect& r = p.buttonRects[b];
            EXPECT_EQ(QSizeF(r.width, r.height), QSizeF(picture.size()))
                << "page " << n << " " << p.buttons[b].first;
            EXPECT_TRUE(page.contains(QRectF(r.x, r.y, picture.width(), picture.height())))
                << "page " << n << " " << p.buttons[b].first << " lies outside the page";
        }
        for (const ParsedSprite& s : p.sprites) {
            const QImage picture(dir + "/" + QString::fromStdString(s.picture));
            ASSERT_FALSE(picture.isNull()) << s.picture;
            EXPECT_TRUE(picture.hasAlphaChannel()) << s.picture << " would hide the page behind a box";
            const QRectF placed(s.position.x, s.position.y, picture.width(), picture.height());
            EXPECT_TRUE(page.intersects(placed)) << "page " << n << " " << s.name << " starts off the page";
            for (const ParsedAction& a : s.actions) {
                if (a.hotspot && a.number != 10) {
                    const SRect& h = a.record.hotspot_position;
                    const QRectF area(s.position.x + h.x, s.position.y + h.y, h.width, h.height);
                    EXPECT_TRUE(page.contains(area))
                        << "page " << n << " " << s.name << " hot spot off the page";
                    EXPECT_TRUE(placed.contains(area))
                        << "page " << n << " " << s.name << " hot spot misses it";
                }
                if (a.number == 8) {
                    const QImage strip(dir + "/" + QString::fromStdString(a.texture));
                    ASSERT_FALSE(strip.isNull()) << a.texture;
                    // The frames are cut from one row; the sprite shows the first frame's size.
                    EXPECT_EQ(strip.width(), int(a.record.texture_width) * a.record.texture_num) << a.texture;
                    EXPECT_EQ(strip.height(), int(a.record.texture_height)) << a.texture;
                    EXPECT_EQ(picture.size(),
                              QSize(int(a.record.texture_width), int(a.record.texture_height)))
                        << s.name;
                }
                if (!a.sound.empty()) {
                    const Wav w = readWav(dir + "/" + QString::fromStdString(a.sound));
                    ASSERT_TRUE(w.valid) << a.sound;
                    EXPECT_LT(w.samples.size(), std::size_t(3 * w.rate))
                        << a.sound << ": an effect stays short";
                }
            }
        }
        const Wav music = readWav(dir + "/" + QString::fromStdString(p.music));
        ASSERT_TRUE(music.valid) << p.music;
        EXPECT_GT(music.samples.size(), std::size_t(5 * music.rate)) << p.music;
        int peak = 0;
        for (std::int16_t s : music.samples)
            peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 8000) << p.music << " is too quiet";
        EXPECT_LT(peak, 32767) << p.music << " clips";
        if (p.musicType > 0) {
            // Music type N restarts the tune every 0.1 s for N seconds; the tune must
            // be silent that long (and a little more), or the restarts stutter.
            const std::size_t quiet = std::size_t((p.musicType + 0.3) * music.rate);
            ASSERT_LT(quiet, music.samples.size());
            for (std::size_t i = 0; i < quiet; ++i)
                ASSERT_EQ(music.samples[i], 0) << p.music << " sounds at " << double(i) / music.rate << " s";
        }
    }
}

TEST_F(GeneratedBook, PicturesAndSoundsFitTheirPagesInTheSampleBook) {
    checkMedia(path("meadow"));
}

TEST_F(GeneratedBook, PicturesAndSoundsFitTheirPagesInTheSecondBook) {
    checkMedia(path("shapes"));
}

TEST_F(GeneratedBook, EveryFileInTheFolderBelongsToTheBook) {
    // Nothing written that the pages do not use (a leftover would only bloat the archive).
    const ParsedBook book = parseBook(path("meadow"));
    ASSERT_TRUE(book.ok);
    std::set<QString> used = {"tavigame.dat", "json/game_json.txt"};
    for (std::size_t n = 0; n < book.pages.size(); ++n) {
        const ParsedPage& p = book.pages[n];
        used.insert(QString("json/scene_json%1.txt").arg(n));
        used.insert(QString::fromStdString(p.picture));
        used.insert(QString::fromStdString(p.music));
        for (const auto& b : p.buttons)
            used.insert(QString::fromStdString(b.second));
        for (const ParsedSprite& s : p.sprites) {
            used.insert(QString::fromStdString(s.picture));
            for (const ParsedAction& a : s.actions) {
                if (!a.texture.empty())
                    used.insert(QString::fromStdString(a.texture));
                if (!a.sound.empty())
                    used.insert(QString::fromStdString(a.sound));
            }
        }
    }
    std::set<QString> present;
    for (const auto& entry : digests(path("meadow")))
        present.insert(entry.first);
    EXPECT_EQ(present, used);
}

TEST(BookgenCommandLine, IconsAndSongs) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString a = dir.path() + "/a.png";
    const QString b = dir.path() + "/b.png";
    ASSERT_EQ(bookgen({"--icon", "meadow", a, "songs", b}).status, 0);
    for (const QString& file : {a, b}) {
        const QImage icon(file);
        ASSERT_FALSE(icon.isNull()) << qPrintable(file);
        EXPECT_EQ(icon.size(), QSize(128, 128));
        EXPECT_TRUE(icon.hasAlphaChannel());
        // Rounded corners are see-through, the middle is painted.
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(icon.pixel(64, 64)), 255);
    }
    const QString song = dir.path() + "/song.wav";
    ASSERT_EQ(bookgen({"--song", "lullaby", song}).status, 0);
    const Wav w = readWav(song);
    ASSERT_TRUE(w.valid);
    EXPECT_GT(w.samples.size(), std::size_t(10 * w.rate));
}

TEST(BookgenCommandLine, MistakesAreRefusedWithStatusTwo) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(bookgen({}).status, 2);
    EXPECT_EQ(bookgen({"--variant", "nosuchbook", dir.path() + "/x"}).status, 2);
    EXPECT_EQ(bookgen({"--icon", "nosuchicon", dir.path() + "/x.png"}).status, 2);
    EXPECT_EQ(bookgen({"--icon", "meadow"}).status, 2);
    EXPECT_EQ(bookgen({"--song", "nosuchsong", dir.path() + "/x.wav"}).status, 2);
    EXPECT_EQ(bookgen({dir.path() + "/a", dir.path() + "/b"}).status, 2);
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/x")) << "nothing is written after a refusal";
    EXPECT_EQ(bookgen({"--help"}).status, 0);
}

TEST(BookgenCommandLine, UnwritableFolderFailsWithStatusOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile blocker(dir.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const ProcessResult r = bookgen({dir.path() + "/file/book"});
    EXPECT_EQ(r.status, 1) << qPrintable(r.output);
    EXPECT_TRUE(r.output.contains("bookgen:")) << qPrintable(r.output);
}

} // namespace
