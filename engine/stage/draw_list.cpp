#include "stage/draw_list.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace stage {

namespace {

using Box = DrawList::Box;

// Above this share of the output changed, one whole frame costs less than its parts.
constexpr double kWholeFrameShare = 0.5;
// Few rectangles: each one walks the whole list again.
constexpr std::size_t kMostAreas = 24;
// Beyond this many changed parts, or this many apart from each other, their rectangles are not worth
// sorting out.
constexpr std::size_t kMostChangedParts = 256;
constexpr std::size_t kMostScattered = 64;
// Two rectangles become one when that covers at most this fraction (1/n) of the smaller one more.
constexpr long long kWasteShare = 4;
// A picture's parts: at most this many strips across it. A turned picture's strips (at most this many)
// are cut into bands of screen rows instead: at most this many, none lower than this many rows.
constexpr int kMostParts = 8;
constexpr int kMostTurnedStrips = 32;
constexpr int kMostTurnedParts = 16;
constexpr int kTurnedBandRows = 24;
// How far ahead the comparison looks for a draw that came or went.
constexpr std::size_t kLookAhead = 4;
// A band of a changed area: about 256 KB of 32-bit pixels, which the processor's cache holds.
constexpr int kBandPixels = 64 * 1024;
// At most this many pieces of opaque pictures are cut out of the changed areas, and none smaller than
// this many pixels: each piece cut splits the areas it lies in.
constexpr std::size_t kMostHoles = 32;
constexpr long long kLeastHole = 1024;
// What one more rectangle costs, in pixels drawn: each one walks the list and starts every draw in it
// again.
constexpr long long kRectangleCost = 2000;
// The changed parts are laid out exactly when there are at most this many (more are united first), and
// kept so when that makes at most this many rectangles.
constexpr std::size_t kMostForRegion = 96;
constexpr std::size_t kMostRegionAreas = 64;

Box intersect(const Box& a, const Box& b) {
    Box r{std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
    return r.empty() ? Box{} : r;
}

Box unite(const Box& a, const Box& b) {
    if (a.empty()) {
        return b;
    }
    if (b.empty()) {
        return a;
    }
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

bool contains(const Box& outer, const Box& inner) {
    return !outer.empty() && outer.x0 <= inner.x0 && outer.y0 <= inner.y0 && outer.x1 >= inner.x1 &&
           outer.y1 >= inner.y1;
}

// Overlapping or side by side.
bool meet(const Box& a, const Box& b) {
    return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
}

// As the renderers round a clip rectangle.
Box roundBox(const Rect& r) {
    const int x = int(std::lround(r.origin.x));
    const int y = int(std::lround(r.origin.y));
    return {x, y, x + int(std::lround(r.size.width)), y + int(std::lround(r.size.height))};
}

Rect toRect(const Box& b) {
    return {float(b.x0), float(b.y0), float(b.x1 - b.x0), float(b.y1 - b.y0)};
}

// Every pixel the four corners can reach, `margin` pixels wider for the renderers' rounding, within
// `limit`.
Box reach(const Point (&corners)[4], int margin, const Box& limit) {
    float minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const Point& p : corners) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    // Clamped first: a picture far off screen must not overflow the integers.
    const auto fit = [](float v, int lo, int hi) { return std::clamp(v, float(lo - 16), float(hi + 16)); };
    const Box b{int(std::floor(fit(minX, limit.x0, limit.x1))) - margin,
                int(std::floor(fit(minY, limit.y0, limit.y1))) - margin,
                int(std::ceil(fit(maxX, limit.x0, limit.x1))) + margin,
                int(std::ceil(fit(maxY, limit.y0, limit.y1))) + margin};
    return intersect(b, limit);
}

// Whether one rectangle around both covers little that neither does.
bool worthUniting(const Box& a, const Box& b) {
    if (!meet(a, b)) {
        return false;
    }
    // Measured against the smaller one, so that a narrow strip is not swallowed by a wide neighbour.
    const long long both = a.area() + b.area() - intersect(a, b).area();
    return unite(a, b).area() - both <= std::min(a.area(), b.area()) / kWasteShare;
}

// Unites rectangles that lie over or beside each other where that wastes little.
void uniteNeighbours(std::vector<Box>& boxes) {
    boxes.erase(std::remove_if(boxes.begin(), boxes.end(), [](const Box& b) { return b.empty(); }),
                boxes.end());
    for (bool merged = true; merged;) {
        merged = false;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            for (std::size_t j = i + 1; j < boxes.size();) {
                if (worthUniting(boxes[i], boxes[j])) {
                    boxes[i] = unite(boxes[i], boxes[j]);
                    boxes.erase(boxes.begin() + std::ptrdiff_t(j));
                    merged = true;
                } else {
                    ++j;
                }
            }
        }
    }
}

// Then the two whose union grows least, until few are left.
void uniteClosest(std::vector<Box>& boxes) {
    while (boxes.size() > kMostAreas) {
        std::size_t bestI = 0;
        std::size_t bestJ = 1;
        long long bestGrowth = -1;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            for (std::size_t j = i + 1; j < boxes.size(); ++j) {
                const long long growth = unite(boxes[i], boxes[j]).area() - boxes[i].area() - boxes[j].area();
                if (bestGrowth < 0 || growth < bestGrowth) {
                    bestGrowth = growth;
                    bestI = i;
                    bestJ = j;
                }
            }
        }
        boxes[bestI] = unite(boxes[bestI], boxes[bestJ]);
        boxes.erase(boxes.begin() + std::ptrdiff_t(bestJ));
        // The united rectangle may now lie over others.
        uniteNeighbours(boxes);
    }
}

// The boxes without the pixels of `hole`: each box it cuts is replaced by the pieces around it.
void cutOut(std::vector<Box>& boxes, const Box& hole) {
    const std::size_t count = boxes.size();
    for (std::size_t k = 0; k < count; ++k) {
        const Box b = boxes[k];
        const Box in = intersect(b, hole);
        if (in.empty()) {
            continue;
        }
        boxes[k] = {b.x0, b.y0, b.x1, in.y0};
        boxes.push_back({b.x0, in.y1, b.x1, b.y1});
        boxes.push_back({b.x0, in.y0, in.x0, in.y1});
        boxes.push_back({in.x1, in.y0, b.x1, in.y1});
    }
    boxes.erase(std::remove_if(boxes.begin(), boxes.end(), [](const Box& b) { return b.empty(); }),
                boxes.end());
}

// The pixels of the boxes that no hole takes, as rectangles that do not overlap: bands of rows, each with
// a few runs of columns. Neighbouring bands, and runs in a band, are joined where drawing the pixels
// between them costs less than one more rectangle does.
void region(std::vector<Box>& boxes, const std::vector<Box>& holes, std::vector<Box>& out) {
    using Run = std::pair<int, int>;
    // Sorted, then each run joined with those it meets.
    const auto tidy = [](std::vector<Run>& runs, std::size_t from) {
        std::sort(runs.begin() + std::ptrdiff_t(from), runs.end());
        std::size_t n = from;
        for (std::size_t k = from; k < runs.size(); ++k) {
            if (n > from && runs[k].first <= runs[n - 1].second) {
                runs[n - 1].second = std::max(runs[n - 1].second, runs[k].second);
            } else {
                runs[n++] = runs[k];
            }
        }
        runs.resize(n);
    };
    const auto width = [](const std::vector<Run>& runs, std::size_t from, std::size_t to) {
        long long w = 0;
        for (std::size_t k = from; k < to; ++k) {
            w += runs[k].second - runs[k].first;
        }
        return w;
    };
    boxes.erase(std::remove_if(boxes.begin(), boxes.end(), [](const Box& b) { return b.empty(); }),
                boxes.end());
    std::sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.y0 < b.y0; });
    std::vector<int> edges;
    edges.reserve(2 * (boxes.size() + holes.size()));
    for (const Box& b : boxes) {
        edges.push_back(b.y0);
        edges.push_back(b.y1);
    }
    for (const Box& h : holes) {
        edges.push_back(h.y0);
        edges.push_back(h.y1);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    // Between two edges every box and hole covers all of a band's rows or none. The band being built
    // (rows top..bottom, runs[open..]) is joined with the next one or closed.
    std::vector<Run> runs;
    std::vector<Run> next;
    std::vector<const Box*> active;
    std::size_t start = 0;
    std::size_t open = 0;
    int top = 0;
    int bottom = 0;
    const auto close = [&] {
        const long long rows = bottom - top;
        std::size_t n = open;
        for (std::size_t k = open; k < runs.size(); ++k) {
            if (n > open && (runs[k].first - runs[n - 1].second) * rows <= kRectangleCost) {
                runs[n - 1].second = runs[k].second;
            } else {
                runs[n++] = runs[k];
            }
        }
        for (std::size_t k = open; k < n; ++k) {
            out.push_back({runs[k].first, top, runs[k].second, bottom});
        }
        runs.clear();
        open = 0;
    };
    for (std::size_t e = 0; e + 1 < edges.size(); ++e) {
        const int y0 = edges[e];
        const int y1 = edges[e + 1];
        active.erase(std::remove_if(active.begin(), active.end(), [y0](const Box* b) { return b->y1 <= y0; }),
                     active.end());
        for (; start < boxes.size() && boxes[start].y0 <= y0; ++start) {
            active.push_back(&boxes[start]);
        }
        next.clear();
        for (const Box* b : active) {
            next.emplace_back(b->x0, b->x1);
        }
        tidy(next, 0);
        for (const Box& h : holes) {
            if (h.y0 > y0 || h.y1 < y1) {
                continue;
            }
            const std::size_t count = next.size();
            for (std::size_t r = 0; r < count; ++r) {
                const Run run = next[r];
                if (h.x1 <= run.first || h.x0 >= run.second) {
                    continue;
                }
                // What is left of the run on either side of the hole (nothing: an empty run).
                next[r] = {run.first, std::max(run.first, h.x0)};
                if (h.x1 < run.second) {
                    next.emplace_back(h.x1, run.second);
                }
            }
            next.erase(
                std::remove_if(next.begin(), next.end(), [](const Run& r) { return r.first >= r.second; }),
                next.end());
            std::sort(next.begin(), next.end());
        }
        if (next.empty()) {
            if (!runs.empty()) {
                close();
            }
            continue;
        }
        if (!runs.empty() && bottom == y0) {
            if (std::equal(runs.begin() + std::ptrdiff_t(open), runs.end(), next.begin(), next.end())) {
                bottom = y1;
                continue;
            }
            // One band over both, or two.
            const long long apart = width(runs, open, runs.size()) * (bottom - top) +
                                    width(next, 0, next.size()) * (y1 - y0) +
                                    kRectangleCost * (long long)(runs.size() - open + next.size());
            const std::size_t both = runs.size();
            for (std::size_t k = open; k < both; ++k) {
                const Run run = runs[k];
                runs.push_back(run);
            }
            runs.insert(runs.end(), next.begin(), next.end());
            tidy(runs, both);
            const long long joined = width(runs, both, runs.size()) * (y1 - top) +
                                     kRectangleCost * (long long)(runs.size() - both);
            if (joined <= apart) {
                open = both;
                bottom = y1;
                continue;
            }
            runs.resize(both);
        }
        if (!runs.empty()) {
            close();
        }
        runs = next;
        top = y0;
        bottom = y1;
    }
    if (!runs.empty()) {
        close();
    }
}

} // namespace

bool DrawList::Command::operator==(const Command& o) const {
    if (kind != o.kind) {
        return false;
    }
    switch (kind) {
    case Kind::Clear:
        return color == o.color;
    case Kind::Fill:
        return color == o.color && rect == o.rect && clip == o.clip;
    case Kind::Clip:
        return rect == o.rect;
    case Kind::NoClip:
        return true;
    case Kind::Texture:
        if (serial != o.serial || !(rect == o.rect) || color != o.color || !(clip == o.clip)) {
            return false;
        }
        if (snapped && o.snapped) {
            return placed == o.placed;
        }
        return corners[0] == o.corners[0] && corners[1] == o.corners[1] && corners[2] == o.corners[2] &&
               corners[3] == o.corners[3];
    }
    return false;
}

void DrawList::reset() {
    commands_.clear();
    parts_.clear();
    solid_.clear();
    complete_ = true;
}

bool DrawList::sameAs(const DrawList& other) const {
    return complete_ && other.complete_ && output_ == other.output_ && commands_ == other.commands_;
}

void DrawList::playBack(Renderer& renderer) const {
    renderer.beginFrame();
    for (const Command& c : commands_) {
        switch (c.kind) {
        case Command::Kind::Clear:
            renderer.clear(c.color);
            break;
        case Command::Kind::Fill:
            renderer.fillRect(c.rect, c.color);
            break;
        case Command::Kind::Clip:
            renderer.setClipRect(&c.rect);
            break;
        case Command::Kind::NoClip:
            renderer.setClipRect(nullptr);
            break;
        case Command::Kind::Texture:
            renderer.drawTexture(*c.texture, c.rect, c.corners, c.color);
            break;
        }
    }
    renderer.endFrame();
}

bool DrawList::changedAreas(const DrawList& shown, std::vector<Rect>& areas) const {
    areas.clear();
    if (!complete_ || !shown.complete_ || !(output_ == shown.output_) || output_.empty()) {
        return false;
    }
    // The draws of both frames in order; which draws there are and their order make the pixels.
    const auto draws = [](const std::vector<Command>& commands) {
        std::vector<const Command*> out;
        out.reserve(commands.size());
        for (const Command& c : commands) {
            if (c.kind != Command::Kind::Clip && c.kind != Command::Kind::NoClip) {
                out.push_back(&c);
            }
        }
        return out;
    };
    const std::vector<const Command*> before = draws(shown.commands_);
    const std::vector<const Command*> now = draws(commands_);
    // Pair equal draws in order. A pixel that no unpaired draw touches is drawn by the same draws in the
    // same order in both frames, so it is unchanged. Any pairing in order is right; a longer one is
    // cheaper.
    std::vector<Box> changed;
    // For each changed part, and for each pair whose picture hides pixels, its place in the walk below:
    // a draw's place in either frame's order.
    std::vector<std::size_t> changedAt;
    std::vector<std::pair<std::size_t, const Command*>> solids;
    std::size_t step = 0;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < before.size() || j < now.size()) {
        ++step;
        if (i < before.size() && j < now.size() && *before[i] == *now[j]) {
            if (now[j]->solidEnd > now[j]->solidBegin) {
                solids.emplace_back(step, now[j]);
            }
            ++i;
            ++j;
            continue;
        }
        // A draw that came or went shows as the other list's next draw a little further on; otherwise
        // both changed in place.
        std::size_t came = 0;
        std::size_t went = 0;
        for (std::size_t k = 1; k <= kLookAhead; ++k) {
            if (i < before.size() && j + k < now.size() && *before[i] == *now[j + k]) {
                came = k;
                break;
            }
            if (j < now.size() && i + k < before.size() && *before[i + k] == *now[j]) {
                went = k;
                break;
            }
        }
        if (came == 0 && went == 0) {
            came = j < now.size() ? 1 : 0;
            went = i < before.size() ? 1 : 0;
        }
        for (; came > 0; --came) {
            addParts(*now[j++], parts_, changed);
        }
        for (; went > 0; --went) {
            addParts(*before[i++], shown.parts_, changed);
        }
        changedAt.resize(changed.size(), step);
        if (changed.size() > kMostChangedParts) {
            return false;
        }
    }
    // A pixel that an opaque picture drawn the same in both frames hides, and that no changed draw after
    // it touches, is that picture's in both frames: unchanged, whatever changed under it.
    std::vector<Box> holes;
    Box around;
    for (const Box& b : changed) {
        around = unite(around, b);
    }
    for (const auto& [at, c] : solids) {
        if (!meet(c->touches, around)) {
            continue;
        }
        for (std::uint32_t k = c->solidBegin; k < c->solidEnd && holes.size() < kMostHoles; ++k) {
            const Box& hole = solid_[k];
            bool hidden = hole.area() >= kLeastHole;
            for (std::size_t p = 0; p < changed.size() && hidden; ++p) {
                hidden = changedAt[p] < at || intersect(changed[p], hole).empty();
            }
            if (hidden) {
                holes.push_back(hole);
            }
        }
    }
    if (changed.size() > kMostForRegion) {
        uniteNeighbours(changed);
    }
    std::vector<Box> exact;
    region(changed, holes, exact);
    if (exact.size() <= kMostRegionAreas) {
        changed = std::move(exact);
    } else {
        uniteNeighbours(changed);
        if (changed.size() > kMostScattered) {
            return false;
        }
        uniteClosest(changed);
        for (const Box& hole : holes) {
            cutOut(changed, hole);
        }
    }
    long long area = 0;
    for (const Box& b : changed) {
        area += b.area();
    }
    if (double(area) > kWholeFrameShare * double(output_.area())) {
        return false;
    }
    for (const Box& b : changed) {
        areas.push_back(toRect(b));
    }
    return true;
}

void DrawList::playBack(Renderer& renderer, const std::vector<Rect>& areas) const {
    renderer.beginFrame();
    for (const Rect& area : areas) {
        const Box whole = intersect(roundBox(area), output_);
        if (whole.empty()) {
            continue;
        }
        // In bands of a few rows: every layer of a band is drawn while its pixels are still in the
        // processor's cache.
        const int rows = std::max(8, kBandPixels / (whole.x1 - whole.x0));
        for (int top = whole.y0; top < whole.y1; top += rows) {
            playBand({whole.x0, top, whole.x1, std::min(whole.y1, top + rows)}, renderer);
        }
    }
    renderer.setClipRect(nullptr);
    renderer.endPartialFrame(areas);
}

void DrawList::playBand(const Box& box, Renderer& renderer) const {
    // Under the last draw that covers the whole band nothing shows: start there.
    std::size_t first = 0;
    for (std::size_t k = commands_.size(); k-- > 0;) {
        if (contains(commands_[k].covers, box)) {
            first = k;
            break;
        }
    }
    const Rect boxRect = toRect(box);
    Box clip = box;
    Rect clipRect = boxRect;
    renderer.setClipRect(&clipRect);
    for (std::size_t k = 0; k < commands_.size(); ++k) {
        const Command& c = commands_[k];
        switch (c.kind) {
        case Command::Kind::Clip:
        case Command::Kind::NoClip:
            clip = c.kind == Command::Kind::Clip ? intersect(roundBox(c.rect), box) : box;
            clipRect = toRect(clip);
            renderer.setClipRect(&clipRect);
            break;
        case Command::Kind::Clear:
            if (k >= first) {
                // A clear ignores the clip: all of the band.
                renderer.setClipRect(&boxRect);
                renderer.fillRect(boxRect, c.color);
                renderer.setClipRect(&clipRect);
            }
            break;
        case Command::Kind::Fill:
        case Command::Kind::Texture:
            if (k < first || clip.empty() || intersect(c.touches, box).empty()) {
                break;
            }
            if (c.kind == Command::Kind::Fill) {
                renderer.fillRect(c.rect, c.color);
            } else {
                renderer.drawTexture(*c.texture, c.rect, c.corners, c.color);
            }
            break;
        }
    }
}

void DrawList::addParts(const Command& c, const std::vector<Box>& parts, std::vector<Box>& out) {
    if (c.partsEnd > c.partsBegin) {
        out.insert(out.end(), parts.begin() + c.partsBegin, parts.begin() + c.partsEnd);
    } else {
        out.push_back(c.touches);
    }
}

void DrawList::addPictureParts(Command& c, const Texture& texture, bool upright) {
    // The picture's bands of rows that show, in a few strips, each taken to the screen: a moving
    // balloon changes the pixels around its balloons and strings, not its whole rectangle.
    const Texture::Outline& outline = texture.outline();
    const Rect& s = c.rect;
    const int top = std::max(0, int(std::floor(s.origin.y)) / Texture::kOutlineRows);
    const int bottom =
        std::min(int(outline.size()), int(std::ceil(s.origin.y + s.size.height) + Texture::kOutlineRows - 1) /
                                          Texture::kOutlineRows);
    if (outline.empty() || bottom <= top || s.size.width <= 0 || s.size.height <= 0) {
        return;
    }
    // A texel more around each strip: bilinear sampling reaches the clear neighbour of a visible texel.
    const float grow = upright ? 0.0f : 1.0f;
    const int most = upright ? kMostParts : kMostTurnedStrips;
    const int per = (bottom - top + most - 1) / most;
    const Point across = c.corners[2] - c.corners[3];
    const Point down = c.corners[0] - c.corners[3];
    const auto at = [&](float u, float v) {
        return c.corners[3] + across * ((u - s.origin.x) / s.size.width) +
               down * ((v - s.origin.y) / s.size.height);
    };
    thread_local std::vector<Point> turned;
    turned.clear();
    c.partsBegin = std::uint32_t(parts_.size());
    for (int band = top; band < bottom; band += per) {
        int first = std::numeric_limits<int>::max();
        int last = std::numeric_limits<int>::min();
        for (int b = band; b < std::min(bottom, band + per); ++b) {
            if (outline[std::size_t(b)].first < outline[std::size_t(b)].second) {
                first = std::min(first, outline[std::size_t(b)].first);
                last = std::max(last, outline[std::size_t(b)].second);
            }
        }
        // The strip in texels, within the source rectangle, then on the screen (P = topLeft + across * s
        // + down * t, as the renderers place the source rectangle).
        const float u0 = std::max(float(first) - grow, s.origin.x);
        const float u1 = std::min(float(last) + grow, s.origin.x + s.size.width);
        const float v0 = std::max(float(band * Texture::kOutlineRows) - grow, s.origin.y);
        const float v1 = std::min(float(std::min(bottom, band + per) * Texture::kOutlineRows) + grow,
                                  s.origin.y + s.size.height);
        if (first >= last || u0 >= u1 || v0 >= v1) {
            continue; // clear
        }
        const Point strip[4] = {at(u0, v1), at(u1, v1), at(u1, v0), at(u0, v0)};
        if (!upright) {
            turned.insert(turned.end(), std::begin(strip), std::end(strip));
            continue;
        }
        const Box part = reach(strip, 1, c.clip);
        if (!part.empty()) {
            parts_.push_back(part);
        }
    }
    if (!turned.empty()) {
        addTurnedParts(turned, c.clip);
    }
    c.partsEnd = std::uint32_t(parts_.size());
    if (c.partsEnd == c.partsBegin) {
        // All clear: it changes nothing, but a box of nothing would read as "all it touches".
        parts_.push_back({});
        c.partsEnd = c.partsBegin + 1;
    }
}

void DrawList::addTurnedParts(const std::vector<Point>& strips, const Box& clip) {
    // The strips of a turned picture lie askew, and a box around each one takes in much that none of them
    // covers (a turning sun's rays are a disc, their strips' boxes nearly its square). Its rows on the
    // screen are cut into bands instead, each as wide as what the strips cover of its rows.
    constexpr double kMargin = 3; // as reach() widens a turned picture
    double minY = std::numeric_limits<double>::max();
    double maxY = std::numeric_limits<double>::lowest();
    for (const Point& p : strips) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            parts_.push_back(clip);
            return;
        }
        minY = std::min(minY, double(p.y));
        maxY = std::max(maxY, double(p.y));
    }
    // Whole pixels within the clip (clamped first: a picture far off screen must not overflow them).
    const auto within = [](double v, int lo, int hi) { return int(std::clamp(v, double(lo), double(hi))); };
    const int y0 = within(std::floor(minY) - kMargin, clip.y0, clip.y1);
    const int y1 = within(std::ceil(maxY) + kMargin, clip.y0, clip.y1);
    if (y0 >= y1) {
        return;
    }
    const int bands = std::clamp((y1 - y0) / kTurnedBandRows, 1, kMostTurnedParts);
    for (int k = 0; k < bands; ++k) {
        const int top = y0 + (y1 - y0) * k / bands;
        const int bottom = y0 + (y1 - y0) * (k + 1) / bands;
        // What the strips cover of these rows and the margin above and below: the ends of their edges
        // within them, and where their edges cross into them.
        const double lo = top - kMargin;
        const double hi = bottom + kMargin;
        double x0 = std::numeric_limits<double>::max();
        double x1 = std::numeric_limits<double>::lowest();
        for (std::size_t q = 0; q + 4 <= strips.size(); q += 4) {
            for (std::size_t e = 0; e < 4; ++e) {
                const Point& p = strips[q + e];
                const Point& r = strips[q + (e + 1) % 4];
                if (std::max(p.y, r.y) < lo || std::min(p.y, r.y) > hi) {
                    continue;
                }
                double from = 0;
                double to = 1;
                if (p.y != r.y) {
                    const double a = (lo - p.y) / (double(r.y) - p.y);
                    const double b = (hi - p.y) / (double(r.y) - p.y);
                    from = std::clamp(std::min(a, b), 0.0, 1.0);
                    to = std::clamp(std::max(a, b), 0.0, 1.0);
                }
                for (const double t : {from, to}) {
                    const double x = p.x + (double(r.x) - p.x) * t;
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x);
                }
            }
        }
        if (x0 > x1) {
            continue;
        }
        const Box part{within(std::floor(x0) - kMargin, clip.x0, clip.x1), top,
                       within(std::ceil(x1) + kMargin, clip.x0, clip.x1), bottom};
        if (!part.empty()) {
            parts_.push_back(part);
        }
    }
}

void DrawList::addSolidParts(Command& c, const Texture& texture) {
    // As the software renderers take the source: whole texels, all inside the picture (else they
    // resample it, and an edge may not hide what lies under it).
    const Box from = roundBox(c.rect);
    const Texture::Outline& solid = texture.solid();
    if (solid.empty() || from.empty() || from.x0 < 0 || from.y0 < 0 || from.x1 > int(texture.size().width) ||
        from.y1 > int(texture.size().height)) {
        return;
    }
    const int top = from.y0 / Texture::kOutlineRows;
    const int bottom =
        std::min(int(solid.size()), (from.y1 + Texture::kOutlineRows - 1) / Texture::kOutlineRows);
    if (bottom <= top) {
        return;
    }
    const int per = (bottom - top + kMostParts - 1) / kMostParts;
    const Point across = c.corners[2] - c.corners[3];
    const Point down = c.corners[0] - c.corners[3];
    const auto at = [&](int u, int v) {
        return c.corners[3] + across * (float(u - from.x0) / float(from.x1 - from.x0)) +
               down * (float(v - from.y0) / float(from.y1 - from.y0));
    };
    struct Strip {
        int u0, u1;
        Box box;
    };
    std::vector<Strip> strips;
    for (int band = top; band < bottom; band += per) {
        int first = 0;
        int last = std::numeric_limits<int>::max();
        for (int b = band; b < std::min(bottom, band + per); ++b) {
            first = std::max(first, solid[std::size_t(b)].first);
            last = std::min(last, solid[std::size_t(b)].second);
        }
        const int u0 = std::max(first, from.x0);
        const int u1 = std::min(last, from.x1);
        const int v0 = std::max(band * Texture::kOutlineRows, from.y0);
        const int v1 = std::min(std::min(bottom, band + per) * Texture::kOutlineRows, from.y1);
        const Point strip[4] = {at(u0, v1), at(u1, v1), at(u1, v0), at(u0, v0)};
        // Three pixels in from each edge: a pixel there takes its texel from inside the strip, however the
        // picture's edges round.
        strips.push_back({u0, u1, u0 < u1 && v0 < v1 ? reach(strip, -3, output_) : Box{}});
    }
    // Between two strips, the narrower one reaches over the seam: the texels there are opaque in its
    // columns on both sides (each strip taller than the margins keeps the seam's pixels within the two).
    for (std::size_t k = 1; k < strips.size(); ++k) {
        Strip& above = strips[k - 1];
        Strip& below = strips[k];
        if (above.box.empty() || below.box.empty()) {
            continue;
        }
        if (below.u0 >= above.u0 && below.u1 <= above.u1) {
            below.box.y0 = std::min(below.box.y0, above.box.y1);
        } else if (above.u0 >= below.u0 && above.u1 <= below.u1) {
            above.box.y1 = std::max(above.box.y1, below.box.y0);
        }
    }
    c.solidBegin = std::uint32_t(solid_.size());
    for (const Strip& strip : strips) {
        const Box part = intersect(strip.box, c.clip);
        if (!part.empty()) {
            solid_.push_back(part);
        }
    }
    c.solidEnd = std::uint32_t(solid_.size());
}

TexturePtr DrawList::createRenderTarget(int, int) {
    complete_ = false;
    return nullptr;
}

void DrawList::setRenderTarget(const TexturePtr& target) {
    if (target) {
        complete_ = false;
    }
}

void DrawList::beginFrame() {
    reset();
    const Size size = target_.outputSize();
    output_ = {0, 0, int(size.width), int(size.height)};
    snaps_ = target_.placesUprightOnWholePixels();
    clip_ = output_;
}

void DrawList::clear(Color4B color) {
    Command c(Command::Kind::Clear);
    c.color = color;
    c.touches = output_;
    c.covers = output_;
    commands_.push_back(c);
}

void DrawList::fillRect(const Rect& rect, Color4B color) {
    Command c(Command::Kind::Fill);
    c.rect = rect;
    c.color = color;
    c.clip = clip_;
    c.touches = intersect(roundBox(rect), clip_);
    c.covers = c.touches;
    commands_.push_back(c);
}

void DrawList::setClipRect(const Rect* rect) {
    Command c(rect != nullptr ? Command::Kind::Clip : Command::Kind::NoClip);
    if (rect != nullptr) {
        c.rect = *rect;
        clip_ = intersect(roundBox(*rect), output_);
    } else {
        clip_ = output_;
    }
    commands_.push_back(c);
}

void DrawList::drawTexture(const Texture& texture, const Rect& source, const Point (&corners)[4],
                           Color4B color) {
    Command c(Command::Kind::Texture);
    c.texture = &texture;
    c.serial = texture.serial();
    c.rect = source;
    for (int i = 0; i < 4; ++i) {
        c.corners[i] = corners[i];
    }
    c.color = color;
    c.clip = clip_;
    // Upright and unmirrored (bottom edge level, left edge plumb, bottom below top): drawn as a plain
    // rectangle, which rounds to the pixel. Anything else is resampled, a little wider.
    const bool upright = corners[0].y == corners[1].y && corners[3].y == corners[2].y &&
                         corners[0].x == corners[3].x && corners[1].x == corners[2].x &&
                         corners[1].x > corners[0].x && corners[0].y > corners[3].y;
    c.touches = reach(corners, upright ? 1 : 3, clip_);
    if (snaps_) {
        // As the renderer takes the source: upright pictures are resampled when it reaches outside them.
        const Box from = roundBox(source);
        c.snapped = from.x0 >= 0 && from.y0 >= 0 && from.x1 <= int(texture.size().width) &&
                    from.y1 <= int(texture.size().height) && uprightPixels(corners, c.placed);
    }
    addPictureParts(c, texture, upright);
    if (upright && color.a == 255) {
        addSolidParts(c, texture);
    }
    if (c.snapped && texture.opaque() && color.a == 255) {
        // Every pixel it lands on gets an opaque texel.
        c.covers = intersect({c.placed.x0, c.placed.y0, c.placed.x1, c.placed.y1}, clip_);
    } else if (upright && texture.opaque() && color.a == 255) {
        // Rounding may lose a pixel at each edge.
        c.covers = intersect(reach(corners, -2, clip_), clip_);
    }
    commands_.push_back(c);
}

void DrawList::drawMesh(const Texture&, const std::vector<MeshVertex>&, const std::vector<int>&) {
    complete_ = false;
}

} // namespace stage
