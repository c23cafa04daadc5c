#include "stage/sdl/software_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace stage::sdl {

namespace {

using u32 = std::uint32_t;
using i64 = std::int64_t;

constexpr u32 kLanes = 0x00FF00FFu;

// x / 255, rounded, in each of two 16-bit lanes (each at most 255 * 255).
inline u32 div255Lanes(u32 x) {
    x += 0x00800080u;
    return ((x + ((x >> 8) & kLanes)) >> 8) & kLanes;
}

inline u32 div255(u32 x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// All four channels times f / 255.
inline u32 scaled(u32 p, u32 f) {
    return div255Lanes((p & kLanes) * f) | (div255Lanes(((p >> 8) & kLanes) * f) << 8);
}

// a + (b - a) * f / 256 in every channel, f in [0, 256).
inline u32 lerp(u32 a, u32 b, u32 f) {
    const u32 g = 256 - f;
    const u32 rb = (((a & kLanes) * g + (b & kLanes) * f) >> 8) & kLanes;
    const u32 ag = ((((a >> 8) & kLanes) * g + ((b >> 8) & kLanes) * f) >> 8) & kLanes;
    return rb | (ag << 8);
}

// What the colour does to a premultiplied pixel: its channels times colour x opacity, its alpha times
// opacity.
struct Tint {
    u32 r, g, b, a;
    bool none;
    bool uniform;

    explicit Tint(Color4B c)
        : r(div255(u32(c.r) * c.a)), g(div255(u32(c.g) * c.a)), b(div255(u32(c.b) * c.a)), a(c.a),
          none(r == 255 && g == 255 && b == 255 && a == 255), uniform(r == a && g == a && b == a) {}

    u32 operator()(u32 p) const {
        if (none) {
            return p;
        }
        if (uniform) {
            return scaled(p, a);
        }
        return (div255((p >> 24) * a) << 24) | (div255(((p >> 16) & 0xFF) * r) << 16) |
               (div255(((p >> 8) & 0xFF) * g) << 8) | div255((p & 0xFF) * b);
    }
};

// A premultiplied pixel over another.
inline u32 over(u32 s, u32 d) {
    const u32 a = s >> 24;
    if (a == 255) {
        return s;
    }
    if (a == 0) {
        return d;
    }
    return s + scaled(d, 255 - a);
}

#if defined(__SSE2__)
// The same arithmetic four channels (or two pixels) at a time, in 16-bit lanes: results are identical to
// the scalar code above.
inline __m128i div255Lanes16(__m128i x) {
    x = _mm_add_epi16(x, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}

// Premultiplied pixels (two, as 16-bit channels) over two target pixels.
inline __m128i over16(__m128i s16, __m128i d16) {
    // Each pixel's 255 - alpha in all four of its lanes.
    const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s16, 0xFF), 0xFF);
    const __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
    return _mm_add_epi16(s16, div255Lanes16(_mm_mullo_epi16(d16, ia)));
}

// Four premultiplied pixels, tinted, over four target pixels.
inline __m128i over4(__m128i s, __m128i d, __m128i tint16, bool tinted) {
    const __m128i zero = _mm_setzero_si128();
    __m128i sLo = _mm_unpacklo_epi8(s, zero);
    __m128i sHi = _mm_unpackhi_epi8(s, zero);
    if (tinted) {
        sLo = div255Lanes16(_mm_mullo_epi16(sLo, tint16));
        sHi = div255Lanes16(_mm_mullo_epi16(sHi, tint16));
    }
    const __m128i lo = over16(sLo, _mm_unpacklo_epi8(d, zero));
    const __m128i hi = over16(sHi, _mm_unpackhi_epi8(d, zero));
    return _mm_packus_epi16(lo, hi);
}
#endif

#if defined(__x86_64__) || defined(__i386__)
// Four neighbouring pixels of a widened picture take texels (0, a, b, c) of four in a row, each one the
// same as the one before or the next: eight ways, each a byte order for one shuffle.
alignas(16) constexpr std::uint8_t kFourOfFour[8][16] = {
    {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3},
    {0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7, 4, 5, 6, 7},
    {0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 8, 9, 10, 11},
    {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 6, 7},
    {0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7, 8, 9, 10, 11},
    {0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}};

// out[4g .. 4g + 3] = the texels of s that columns[4g .. 4g + 3] name, for each group g of four.
__attribute__((target("ssse3"))) void gatherFours(u32* out, const u32* s, const int* columns,
                                                  const std::uint8_t* ways, int groups) {
    for (int g = 0; g < groups; ++g) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + columns[4 * g]));
        const __m128i order = _mm_load_si128(reinterpret_cast<const __m128i*>(kFourOfFour[ways[g]]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * g), _mm_shuffle_epi8(four, order));
    }
}

bool canShuffle() {
    static const bool can = __builtin_cpu_supports("ssse3");
    return can;
}

// x / 255, rounded, in 16-bit lanes (each at most 255 * 255): div255Lanes16, sixteen lanes at a time.
__attribute__((target("avx2"))) inline __m256i div255Wide(__m256i x) {
    x = _mm256_add_epi16(x, _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(x, _mm256_srli_epi16(x, 8)), 8);
}

// Each 32-bit lane's low 16 bits in all four 16-bit lanes of its pixel: [w0 w1 w2 w3] -> [w0 x4 .. w3 x4].
__attribute__((target("avx2"))) inline __m256i spreadWide(__m128i w) {
    const __m128i w16 = _mm_unpacklo_epi16(_mm_packs_epi32(w, w), _mm_packs_epi32(w, w));
    return _mm256_set_m128i(_mm_unpackhi_epi32(w16, w16), _mm_unpacklo_epi32(w16, w16));
}

// Four pixels' left and right texels ([l0 l1 r0 r1], [l2 l3 r2 r3]) weighed by 256 - w and w.
__attribute__((target("avx2"))) inline __m256i acrossWide(__m128i texels01, __m128i texels23, __m256i g,
                                                          __m256i w) {
    const __m256i left = _mm256_cvtepu8_epi16(_mm_unpacklo_epi64(texels01, texels23));
    const __m256i right = _mm256_cvtepu8_epi16(_mm_unpackhi_epi64(texels01, texels23));
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(left, g), _mm256_mullo_epi16(right, w)), 8);
}

// The bilinear blend of drawTransformed's inner pixels, four pixels at a time in sixteen 16-bit lanes:
// `groups` groups of four pixels from d on, the first at texel position (u, v) (16.16), each the next
// (du, dv) on, all four texels of every pixel inside the picture. The arithmetic is the two-pixel
// code's, lane for lane, so the pixels are the same.
__attribute__((target("avx2"))) void blendFoursWide(const u32* texels, int pitch, int u, int v, int du,
                                                    int dv, i64 groups, u32* d, __m128i tint16, bool tinted) {
    const __m128i half = _mm_set1_epi32(32768);
    __m128i su = _mm_sub_epi32(_mm_add_epi32(_mm_set1_epi32(u), _mm_setr_epi32(0, du, 2 * du, 3 * du)), half);
    __m128i sv = _mm_sub_epi32(_mm_add_epi32(_mm_set1_epi32(v), _mm_setr_epi32(0, dv, 2 * dv, 3 * dv)), half);
    const __m128i steps4U = _mm_set1_epi32(4 * du);
    const __m128i steps4V = _mm_set1_epi32(4 * dv);
    const __m128i low16 = _mm_set1_epi32(0xFFFF);
    const __m128i low8 = _mm_set1_epi32(0xFF);
    const __m128i rowStep = _mm_set1_epi32(1 | (pitch << 16));
    const __m256i full = _mm256_set1_epi16(256);
    const __m256i tintWide = _mm256_broadcastsi128_si256(tint16);
    const auto pair = [](const u32* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); };
    for (i64 g = 0; g < groups; ++g, d += 4) {
        const __m128i at = _mm_madd_epi16(_mm_or_si128(_mm_and_si128(_mm_srai_epi32(su, 16), low16),
                                                       _mm_slli_epi32(_mm_srai_epi32(sv, 16), 16)),
                                          rowStep);
        const u32* p0 = texels + _mm_cvtsi128_si32(at);
        const u32* p1 = texels + _mm_cvtsi128_si32(_mm_shuffle_epi32(at, 1));
        const u32* p2 = texels + _mm_cvtsi128_si32(_mm_shuffle_epi32(at, 2));
        const u32* p3 = texels + _mm_cvtsi128_si32(_mm_shuffle_epi32(at, 3));
        // Each pixel's left and right texel, of its upper and lower row: [p0 p1 p0' p1'] and so on.
        const __m128i upper01 =
            _mm_shuffle_epi32(_mm_unpacklo_epi64(pair(p0), pair(p1)), _MM_SHUFFLE(3, 1, 2, 0));
        const __m128i upper23 =
            _mm_shuffle_epi32(_mm_unpacklo_epi64(pair(p2), pair(p3)), _MM_SHUFFLE(3, 1, 2, 0));
        const __m128i lower01 = _mm_shuffle_epi32(_mm_unpacklo_epi64(pair(p0 + pitch), pair(p1 + pitch)),
                                                  _MM_SHUFFLE(3, 1, 2, 0));
        const __m128i lower23 = _mm_shuffle_epi32(_mm_unpacklo_epi64(pair(p2 + pitch), pair(p3 + pitch)),
                                                  _MM_SHUFFLE(3, 1, 2, 0));
        const __m128i fx = _mm_and_si128(_mm_srli_epi32(su, 8), low8);
        const __m128i fy = _mm_and_si128(_mm_srli_epi32(sv, 8), low8);
        su = _mm_add_epi32(su, steps4U);
        sv = _mm_add_epi32(sv, steps4V);
        const __m128i any = _mm_or_si128(_mm_or_si128(upper01, upper23), _mm_or_si128(lower01, lower23));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(any, _mm_setzero_si128())) == 0xFFFF) {
            continue; // all clear
        }
        const __m256i wx = spreadWide(fx);
        const __m256i wy = spreadWide(fy);
        const __m256i gx = _mm256_sub_epi16(full, wx);
        const __m256i gy = _mm256_sub_epi16(full, wy);
        const __m256i top = acrossWide(upper01, upper23, gx, wx);
        const __m256i bottom = acrossWide(lower01, lower23, gx, wx);
        __m256i s16 = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(top, gy), _mm256_mullo_epi16(bottom, wy)), 8);
        if (tinted) {
            s16 = div255Wide(_mm256_mullo_epi16(s16, tintWide));
        }
        // Over the four target pixels.
        const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0xFF), 0xFF);
        const __m256i d16 = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d)));
        const __m256i out = _mm256_add_epi16(
            s16, div255Wide(_mm256_mullo_epi16(d16, _mm256_sub_epi16(_mm256_set1_epi16(255), a))));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d),
                         _mm_packus_epi16(_mm256_castsi256_si128(out), _mm256_extracti128_si256(out, 1)));
    }
}

bool canBlendWide() {
    static const bool can = __builtin_cpu_supports("avx2");
    return can;
}
#else
void gatherFours(u32*, const u32*, const int*, const std::uint8_t*, int) {}
bool canShuffle() {
    return false;
}
#endif

inline u32* row(SDL_Surface* s, int y) {
    return reinterpret_cast<u32*>(static_cast<std::uint8_t*>(s->pixels) + std::ptrdiff_t(y) * s->pitch);
}

inline const u32* row(const SDL_Surface* s, int y) {
    return reinterpret_cast<const u32*>(static_cast<const std::uint8_t*>(s->pixels) +
                                        std::ptrdiff_t(y) * s->pitch);
}

// The target's clip rectangle within the target.
SDL_Rect clipOf(const SDL_Surface* target) {
    SDL_Rect bounds{0, 0, target->w, target->h};
    SDL_Rect clip;
    if (!SDL_IntersectRect(&bounds, &target->clip_rect, &clip)) {
        return {0, 0, 0, 0};
    }
    return clip;
}

} // namespace

bool drawableDirectly(const SDL_Surface* surface) {
    return surface != nullptr && surface->format->BytesPerPixel == 4 &&
           surface->format->Rmask == 0x00FF0000u && surface->format->Gmask == 0x0000FF00u &&
           surface->format->Bmask == 0x000000FFu &&
           (surface->format->Amask == 0 || surface->format->Amask == 0xFF000000u) && !SDL_MUSTLOCK(surface);
}

void premultiply(SDL_Surface* argb) {
    for (int y = 0; y < argb->h; ++y) {
        u32* p = row(argb, y);
        for (int x = 0; x < argb->w; ++x) {
            const u32 a = p[x] >> 24;
            if (a != 255) {
                p[x] = (a << 24) | (scaled(p[x], a) & 0x00FFFFFFu);
            }
        }
    }
}

void drawUpright(const SDL_Surface* picture, const SDL_Rect& from, SDL_Surface* target, const SDL_Rect& to,
                 Color4B color, bool opaque) {
    const SDL_Rect clip = clipOf(target);
    const int x0 = std::max(to.x, clip.x);
    const int y0 = std::max(to.y, clip.y);
    const int x1 = std::min(to.x + to.w, clip.x + clip.w);
    const int y1 = std::min(to.y + to.h, clip.y + clip.h);
    if (x0 >= x1 || y0 >= y1 || from.w <= 0 || from.h <= 0) {
        return;
    }
    const Tint tint(color);
    const bool copy = opaque && color.a == 255;
    const bool stretched = to.w != from.w || to.h != from.h;
    const int n = x1 - x0;
    // The nearest texel to each pixel's centre; it depends on the pixel alone, not on the clip.
    const auto texelAt = [](int i, int length, int texels) {
        return int((2 * std::int64_t(i) + 1) * texels / (2 * std::int64_t(length)));
    };
    thread_local std::vector<int> columns;
    if (stretched) {
        // texelAt for each column, stepped without dividing: (2i + 1) * texels = q * 2 * length + r.
        columns.resize(std::size_t(n));
        const std::int64_t step = 2 * std::int64_t(from.w);
        const std::int64_t whole = 2 * std::int64_t(to.w);
        const std::int64_t start = (2 * std::int64_t(x0 - to.x) + 1) * from.w;
        std::int64_t q = start / whole;
        std::int64_t r = start % whole;
        const std::int64_t stepQ = step / whole;
        const std::int64_t stepR = step % whole;
        for (int i = 0; i < n; ++i) {
            columns[std::size_t(i)] = from.x + int(q);
            q += stepQ;
            r += stepR;
            if (r >= whole) {
                r -= whole;
                ++q;
            }
        }
    }
    // Where a picture is widened, every four pixels take their texels from four in a row, in one of
    // eight ways: the rows are gathered four pixels at a time, up to the last four texels of the picture's
    // row (the load takes four).
    thread_local std::vector<std::uint8_t> ways;
    int groups = 0;
    if (stretched && from.w <= to.w && canShuffle()) {
        ways.resize(std::size_t(n / 4));
        for (; groups < n / 4 && columns[std::size_t(4 * groups)] + 4 <= picture->w; ++groups) {
            const int* c = columns.data() + 4 * groups;
            ways[std::size_t(groups)] = std::uint8_t((c[1] - c[0]) | (c[2] - c[1]) << 1 | (c[3] - c[2]) << 2);
        }
    }
#if defined(__SSE2__)
    const __m128i tint16 = _mm_setr_epi16(short(tint.b), short(tint.g), short(tint.r), short(tint.a),
                                          short(tint.b), short(tint.g), short(tint.r), short(tint.a));
#endif
    // A stretched row is gathered (and tinted) once into `line`, and used for every target row it
    // repeats on.
    thread_local std::vector<u32> line;
    if (stretched && !copy) {
        line.resize(std::size_t(n));
    }
    const Tint none(Color4B{255, 255, 255, 255});
    int lastSourceRow = -1;
    const u32* lastCopied = nullptr;
    // The texels of a row [first, last) of the picture.
    const int first = stretched ? columns.front() : from.x + x0 - to.x;
    const int last = stretched ? columns.back() + 1 : first + n;
    for (int ty = y0; ty < y1; ++ty) {
        const int sourceRow = from.y + (stretched ? texelAt(ty - to.y, to.h, from.h) : ty - to.y);
        u32* d = row(target, ty) + x0;
        const u32* s = row(picture, sourceRow) + (stretched ? 0 : from.x + x0 - to.x);
        if (ty + 1 < y1) {
            // The next row's texels and pixels are asked for now: rows are whole pages of memory apart,
            // where the processor's own look-ahead stops, and the pictures are rarely still in its cache
            // when a frame starts.
            const int nextRow = from.y + (stretched ? texelAt(ty + 1 - to.y, to.h, from.h) : ty + 1 - to.y);
            if (nextRow != sourceRow) {
                const char* t = reinterpret_cast<const char*>(row(picture, nextRow) + first);
                const char* tEnd = reinterpret_cast<const char*>(row(picture, nextRow) + last);
                for (; t < tEnd; t += 64) {
                    __builtin_prefetch(t);
                }
            }
            const char* p = reinterpret_cast<const char*>(row(target, ty + 1) + x0);
            const char* pEnd = reinterpret_cast<const char*>(row(target, ty + 1) + x0 + n);
            for (; p < pEnd; p += 64) {
                __builtin_prefetch(p, 1);
            }
        }
        if (stretched) {
            if (sourceRow != lastSourceRow) {
                const int* column = columns.data();
                // A copied row is gathered straight onto the target; the rows that repeat it copy it
                // from there.
                u32* out = copy ? d : line.data();
                if (tint.none) {
                    gatherFours(out, s, column, ways.data(), groups);
                    for (int i = 4 * groups; i < n; ++i) {
                        out[i] = s[column[i]];
                    }
                } else {
                    for (int i = 0; i < n; ++i) {
                        out[i] = tint(s[column[i]]);
                    }
                }
                lastSourceRow = sourceRow;
                if (copy) {
                    lastCopied = d;
                    continue;
                }
            }
            s = copy ? lastCopied : line.data();
        }
        // What multiplies the row still: nothing when it was tinted as it was gathered.
        const Tint& t = stretched ? none : tint;
        if (copy) {
            if (t.none) {
                std::memcpy(d, s, std::size_t(n) * sizeof(u32));
            } else {
                for (int i = 0; i < n; ++i) {
                    d[i] = t(s[i]);
                }
            }
            continue;
        }
        int i = 0;
#if defined(__SSE2__)
        for (; i + 4 <= n; i += 4) {
            const __m128i s4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            __m128i* d4 = reinterpret_cast<__m128i*>(d + i);
            // Runs of clear or solid pixels are common at the edges and in the middle of pictures.
            const __m128i alpha = _mm_srli_epi32(s4, 24);
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) == 0xFFFF) {
                continue;
            }
            if (t.none && _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_set1_epi32(255))) == 0xFFFF) {
                _mm_storeu_si128(d4, s4);
                continue;
            }
            _mm_storeu_si128(d4, over4(s4, _mm_loadu_si128(d4), tint16, !t.none));
        }
#endif
        for (; i < n; ++i) {
            d[i] = over(t(s[i]), d[i]);
        }
    }
}

void drawTransformed(const SDL_Surface* picture, const SDL_Rect& from, const Point (&corners)[4],
                     Color4B color, SDL_Surface* target) {
    // Texels outside the picture are not there to draw.
    const int sx0 = std::max(from.x, 0);
    const int sy0 = std::max(from.y, 0);
    const int sx1 = std::min(from.x + from.w, picture->w);
    const int sy1 = std::min(from.y + from.h, picture->h);
    if (sx0 >= sx1 || sy0 >= sy1 || from.w <= 0 || from.h <= 0) {
        return;
    }
    // A target pixel P lies at P = topLeft + s * across + t * down, s and t in [0, 1); the texel there is
    // (from.x + s * from.w, from.y + t * from.h).
    const double ox = corners[3].x;
    const double oy = corners[3].y;
    const double ax = double(corners[2].x) - ox;
    const double ay = double(corners[2].y) - oy;
    const double bx = double(corners[0].x) - ox;
    const double by = double(corners[0].y) - oy;
    const double det = ax * by - ay * bx;
    if (!std::isfinite(det) || std::fabs(det) < 1e-6) {
        return;
    }
    const double dudx = from.w * by / det;
    const double dudy = -from.w * bx / det;
    const double dvdx = -from.h * ay / det;
    const double dvdy = from.h * ax / det;
    // At the centre of pixel (0, 0).
    const double u00 = from.x + from.w * ((0.5 - ox) * by - (0.5 - oy) * bx) / det;
    const double v00 = from.y + from.h * (ax * (0.5 - oy) - ay * (0.5 - ox)) / det;
    // 16.16 fixed point. Each pixel's texel position is the same integer arithmetic whatever part of the
    // target is drawn.
    constexpr double kOne = 65536.0;
    const i64 DUDX = std::llround(dudx * kOne);
    const i64 DUDY = std::llround(dudy * kOne);
    const i64 DVDX = std::llround(dvdx * kOne);
    const i64 DVDY = std::llround(dvdy * kOne);
    const i64 U00 = std::llround(u00 * kOne);
    const i64 V00 = std::llround(v00 * kOne);
    const i64 U0 = i64(sx0) << 16;
    const i64 U1 = i64(sx1) << 16;
    const i64 V0 = i64(sy0) << 16;
    const i64 V1 = i64(sy1) << 16;

    const SDL_Rect clip = clipOf(target);
    double minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const Point& p : corners) {
        minX = std::min(minX, double(p.x));
        maxX = std::max(maxX, double(p.x));
        minY = std::min(minY, double(p.y));
        maxY = std::max(maxY, double(p.y));
    }
    const int y0 = std::max(clip.y, int(std::floor(std::max(minY, -1e6))));
    const int y1 = std::min(clip.y + clip.h, int(std::ceil(std::min(maxY, 1e6))));
    const int clipX0 = std::max(clip.x, int(std::floor(std::max(minX, -1e6))));
    const int clipX1 = std::min(clip.x + clip.w, int(std::ceil(std::min(maxX, 1e6))));
    if (y0 >= y1 || clipX0 >= clipX1) {
        return;
    }
    {
        // The texels the drawn box can read are asked for at once, row after row of the picture: its rows
        // are walked askew below, which the processor's own look-ahead does not follow, and the picture is
        // rarely still in its cache when a frame starts. Not for a part too large for the cache to hold.
        // The box's corner pixels are taken to texels in floating point: a picture squeezed almost flat
        // has huge steps.
        double minU = std::numeric_limits<double>::max();
        double maxU = std::numeric_limits<double>::lowest();
        double minV = minU;
        double maxV = maxU;
        for (const double x : {double(clipX0), double(clipX1 - 1)}) {
            for (const double y : {double(y0), double(y1 - 1)}) {
                const double u = (double(U00) + x * double(DUDX) + y * double(DUDY)) / kOne;
                const double v = (double(V00) + x * double(DVDX) + y * double(DVDY)) / kOne;
                minU = std::min(minU, u);
                maxU = std::max(maxU, u);
                minV = std::min(minV, v);
                maxV = std::max(maxV, v);
            }
        }
        // As sample() takes them: the texel left of and above the point, and the next one.
        const auto texel = [](double t, int lo, int hi) {
            return i64(std::clamp(std::floor(t), double(lo), double(hi)));
        };
        const i64 c0 = texel(minU - 1.5, sx0, sx1);
        const i64 c1 = texel(maxU + 2.5, sx0, sx1);
        const i64 r0 = texel(minV - 1.5, sy0, sy1);
        const i64 r1 = texel(maxV + 2.5, sy0, sy1);
        constexpr i64 kMostAhead = 256 * 1024;
        if (c0 < c1 && r0 < r1 && (c1 - c0) * (r1 - r0) * 4 <= kMostAhead) {
            for (i64 r = r0; r < r1; ++r) {
                const char* t = reinterpret_cast<const char*>(row(picture, int(r)) + c0);
                const char* end = reinterpret_cast<const char*>(row(picture, int(r)) + c1);
                for (; t < end; t += 64) {
                    __builtin_prefetch(t);
                }
                __builtin_prefetch(end - 1);
            }
        }
    }
    const Tint tint(color);
#if defined(__SSE2__)
    const __m128i tint16 = _mm_setr_epi16(short(tint.b), short(tint.g), short(tint.r), short(tint.a),
                                          short(tint.b), short(tint.g), short(tint.r), short(tint.a));
#endif
    const int pitch = picture->pitch / 4;
    const u32* texels = static_cast<const u32*>(picture->pixels);

    // Narrows [first, last) to the pixels x of a row whose start + x * step lies in [lo, hi): exactly the
    // pixels whose centres map inside the picture.
    const auto narrow = [](i64 start, i64 step, i64 lo, i64 hi, i64& first, i64& last) {
        const auto floorDiv = [](i64 a, i64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); };
        if (step == 0) {
            if (start < lo || start >= hi) {
                last = first;
            }
        } else if (step > 0) {
            first = std::max(first, -floorDiv(start - lo, step)); // ceil((lo - start) / step)
            last = std::min(last, -floorDiv(start - hi, step));   // ceil((hi - start) / step)
        } else {
            first = std::max(first, floorDiv(start - hi, -step) + 1);
            last = std::min(last, floorDiv(start - lo, -step) + 1);
        }
    };
    // The four texels around a point, clamped to the picture's edge, and the point's place between them.
    struct Sample {
        u32 p00, p10, p01, p11, fx, fy;
    };
    // Inside the picture a texel position fits 32 bits, and clamping costs less than branching.
    const auto sample = [&](i64 u, i64 v) {
        const int su = int(u) - 32768;
        const int sv = int(v) - 32768;
        const int iu = su >> 16;
        const int iv = sv >> 16;
        const int c0 = std::max(iu, sx0);
        const int c1 = std::min(iu + 1, sx1 - 1);
        const u32* top = texels + std::ptrdiff_t(std::max(iv, sy0)) * pitch;
        const u32* bottom = texels + std::ptrdiff_t(std::min(iv + 1, sy1 - 1)) * pitch;
        return Sample{top[c0], top[c1], bottom[c0], bottom[c1], u32(su >> 8) & 0xFF, u32(sv >> 8) & 0xFF};
    };
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(256);
    // Two neighbouring pixels from the 2 x 2 texels at pa and at pb (both away from the picture's edge),
    // each pixel's weights in its four lanes, blended over the target pixels at d.
    const auto blendPair = [&](const u32* pa, const u32* pb, __m128i fx, __m128i fy, u32* d) {
        // Left texels of both pixels, then right ones: [a.p00 b.p00 a.p10 b.p10].
        const __m128i upper =
            _mm_shuffle_epi32(_mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pa)),
                                                 _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pb))),
                              _MM_SHUFFLE(3, 1, 2, 0));
        const __m128i lower = _mm_shuffle_epi32(
            _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pa + pitch)),
                               _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pb + pitch))),
            _MM_SHUFFLE(3, 1, 2, 0));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_or_si128(upper, lower), zero)) == 0xFFFF) {
            return; // all clear
        }
        const __m128i gx = _mm_sub_epi16(full, fx);
        const __m128i gy = _mm_sub_epi16(full, fy);
        const __m128i top = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(upper, zero), gx),
                                                         _mm_mullo_epi16(_mm_unpackhi_epi8(upper, zero), fx)),
                                           8);
        const __m128i bottom =
            _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(lower, zero), gx),
                                         _mm_mullo_epi16(_mm_unpackhi_epi8(lower, zero), fx)),
                           8);
        __m128i s16 = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(top, gy), _mm_mullo_epi16(bottom, fy)), 8);
        if (!tint.none) {
            s16 = div255Lanes16(_mm_mullo_epi16(s16, tint16));
        }
        __m128i* d2 = reinterpret_cast<__m128i*>(d);
        const __m128i d16 = _mm_unpacklo_epi8(_mm_loadl_epi64(d2), zero);
        _mm_storel_epi64(d2, _mm_packus_epi16(over16(s16, d16), zero));
    };
    // Each of two pixels' weight in its four lanes.
    const auto weights = [](u32 wa, u32 wb) {
        const __m128i w = _mm_cvtsi32_si128(int(wa | (wb << 16)));
        const __m128i w2 = _mm_unpacklo_epi16(w, w);
        return _mm_unpacklo_epi32(w2, w2);
    };
    // Four pixels at once need four steps in 32 bits and texel offsets in 16.
    const bool fourAtOnce =
        pitch < 32768 && std::llabs(DUDX) < (i64(1) << 28) && std::llabs(DVDX) < (i64(1) << 28);
    const bool wide = canBlendWide();
    const __m128i stepsU = _mm_setr_epi32(0, int(DUDX), int(2 * DUDX), int(3 * DUDX));
    const __m128i stepsV = _mm_setr_epi32(0, int(DVDX), int(2 * DVDX), int(3 * DVDX));
    const __m128i steps4U = _mm_set1_epi32(int(4 * DUDX));
    const __m128i steps4V = _mm_set1_epi32(int(4 * DVDX));
    const __m128i half = _mm_set1_epi32(32768);
    const __m128i low16 = _mm_set1_epi32(0xFFFF);
    const __m128i low8 = _mm_set1_epi32(0xFF);
    const __m128i rowStep = _mm_set1_epi32(1 | (pitch << 16));
#endif
    const auto blendOne = [&](const Sample& a, u32* d) {
        if ((a.p00 | a.p10 | a.p01 | a.p11) != 0) {
            *d = over(tint(lerp(lerp(a.p00, a.p10, a.fx), lerp(a.p01, a.p11, a.fx), a.fy)), *d);
        }
    };
    for (int y = y0; y < y1; ++y) {
        const i64 uRow = U00 + i64(y) * DUDY;
        const i64 vRow = V00 + i64(y) * DVDY;
        i64 first = clipX0;
        i64 last = clipX1;
        narrow(uRow, DUDX, U0, U1, first, last);
        narrow(vRow, DVDX, V0, V1, first, last);
        u32* d = row(target, y);
        i64 u = uRow + first * DUDX;
        i64 v = vRow + first * DVDX;
        i64 x = first;
#if defined(__SSE2__)
        // Where all four texels of a pixel lie inside the picture they are read without clamping, two
        // pixels at a time side by side in 16-bit lanes; the pixels nearer the edge one by one below.
        i64 inner = first;
        i64 innerEnd = last;
        narrow(uRow, DUDX, U0 + 32768, U1 - 32768, inner, innerEnd);
        narrow(vRow, DVDX, V0 + 32768, V1 - 32768, inner, innerEnd);
        for (; x < inner && x < last; ++x, u += DUDX, v += DVDX) {
            blendOne(sample(u, v), d + x);
        }
        if (fourAtOnce && wide && x + 4 <= innerEnd) {
            const i64 groups = (innerEnd - x) / 4;
            blendFoursWide(texels, pitch, int(u), int(v), int(DUDX), int(DVDX), groups, d + x, tint16,
                           !tint.none);
            x += 4 * groups;
            u += 4 * groups * DUDX;
            v += 4 * groups * DVDX;
        }
        if (fourAtOnce) {
            // Four pixels' texel positions in 32-bit lanes (inside the picture they fit).
            __m128i su = _mm_sub_epi32(_mm_add_epi32(_mm_set1_epi32(int(u)), stepsU), half);
            __m128i sv = _mm_sub_epi32(_mm_add_epi32(_mm_set1_epi32(int(v)), stepsV), half);
            for (; x + 4 <= innerEnd; x += 4, u += 4 * DUDX, v += 4 * DVDX) {
                // row * pitch + column in one multiply-add of 16-bit halves.
                const __m128i at = _mm_madd_epi16(_mm_or_si128(_mm_and_si128(_mm_srai_epi32(su, 16), low16),
                                                               _mm_slli_epi32(_mm_srai_epi32(sv, 16), 16)),
                                                  rowStep);
                const __m128i fx = _mm_and_si128(_mm_srli_epi32(su, 8), low8);
                const __m128i fy = _mm_and_si128(_mm_srli_epi32(sv, 8), low8);
                // [f0 f1 f2 f3] -> [f0 f0 f1 f1 f2 f2 f3 f3] in 16-bit lanes.
                const __m128i fx16 = _mm_unpacklo_epi16(_mm_packs_epi32(fx, fx), _mm_packs_epi32(fx, fx));
                const __m128i fy16 = _mm_unpacklo_epi16(_mm_packs_epi32(fy, fy), _mm_packs_epi32(fy, fy));
                blendPair(texels + _mm_cvtsi128_si32(at),
                          texels + _mm_cvtsi128_si32(_mm_shuffle_epi32(at, 1)),
                          _mm_unpacklo_epi32(fx16, fx16), _mm_unpacklo_epi32(fy16, fy16), d + x);
                blendPair(texels + _mm_cvtsi128_si32(_mm_shuffle_epi32(at, 2)),
                          texels + _mm_cvtsi128_si32(_mm_shuffle_epi32(at, 3)),
                          _mm_unpackhi_epi32(fx16, fx16), _mm_unpackhi_epi32(fy16, fy16), d + x + 2);
                su = _mm_add_epi32(su, steps4U);
                sv = _mm_add_epi32(sv, steps4V);
            }
        }
        for (; x + 2 <= innerEnd; x += 2, u += 2 * DUDX, v += 2 * DVDX) {
            const int sa = int(u) - 32768;
            const int ta = int(v) - 32768;
            const int sb = int(u + DUDX) - 32768;
            const int tb = int(v + DVDX) - 32768;
            blendPair(texels + std::ptrdiff_t(ta >> 16) * pitch + (sa >> 16),
                      texels + std::ptrdiff_t(tb >> 16) * pitch + (sb >> 16),
                      weights(u32(sa >> 8) & 0xFF, u32(sb >> 8) & 0xFF),
                      weights(u32(ta >> 8) & 0xFF, u32(tb >> 8) & 0xFF), d + x);
        }
#endif
        for (; x < last; ++x, u += DUDX, v += DVDX) {
            blendOne(sample(u, v), d + x);
        }
    }
}

} // namespace stage::sdl
