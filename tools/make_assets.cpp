// Vexelmoor asset generator: draws the block atlas (texture.png) and the
// font sheet (fonta.png) the game loads at start-up, so every image the game
// shows is made here and rebuilt identically on every run. Given a second
// folder, it also draws the desktop icon there (vexelmoor-N.png for N = 48,
// 128 and 256 pixels): a grass block painted with the atlas's own faces.
//
// Build: g++ -std=c++17 -I. -O2 tools/make_assets.cpp tests/support/png_writer.cpp -lz
// Usage: make_assets [output-directory [icon-directory]]   (default: current directory)

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/png_writer.h"

namespace {

// ---------------------------------------------------------------------------
// Images and PNG output
// ---------------------------------------------------------------------------

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // row 0 is the top row of the file
};

struct Rgb {
    int r, g, b;
};

Image makeImage(int width, int height) {
    Image img;
    img.width = width;
    img.height = height;
    img.rgba.assign(static_cast<std::size_t>(width) * height * 4, 0);
    return img;
}

int clampByte(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

void setPixel(Image& img, int x, int y, Rgb c, int alpha = 255) {
    std::size_t i = (static_cast<std::size_t>(y) * img.width + x) * 4;
    img.rgba[i + 0] = static_cast<std::uint8_t>(clampByte(c.r));
    img.rgba[i + 1] = static_cast<std::uint8_t>(clampByte(c.g));
    img.rgba[i + 2] = static_cast<std::uint8_t>(clampByte(c.b));
    img.rgba[i + 3] = static_cast<std::uint8_t>(clampByte(alpha));
}

bool writePng(const Image& img, const std::string& path) {
    const auto w = static_cast<std::uint32_t>(img.width), h = static_cast<std::uint32_t>(img.height);
    if (writeFileBytes(path, encodeRgbaPng(w, h, img.rgba))) return true;
    std::fprintf(stderr, "make_assets: cannot write %s\n", path.c_str());
    return false;
}

// ---------------------------------------------------------------------------
// Deterministic noise: the atlas must come out byte-identical on every run,
// so all variation comes from integer hashing, never from a random device.
// ---------------------------------------------------------------------------

std::uint32_t hash3(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

// Uniform value in [0, 1).
double rand01(int x, int y, std::uint32_t seed) {
    return (hash3(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed) >> 8) / 16777216.0;
}

// Smooth blotches that wrap every 16 pixels, so a block face tiles with its
// neighbour without a visible seam.
double blotch01(int x, int y, int step, std::uint32_t seed) {
    const int cells = 16 / step;
    int gx = x / step, gy = y / step;
    double fx = (x % step + 0.5) / step, fy = (y % step + 0.5) / step;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    auto at = [&](int i, int j) {
        return rand01((i % cells + cells) % cells, (j % cells + cells) % cells, seed);
    };
    double top = at(gx, gy) * (1 - fx) + at(gx + 1, gy) * fx;
    double bottom = at(gx, gy + 1) * (1 - fx) + at(gx + 1, gy + 1) * fx;
    return top * (1 - fy) + bottom * fy;
}

Rgb shade(Rgb c, double factor) {
    return {static_cast<int>(c.r * factor + 0.5), static_cast<int>(c.g * factor + 0.5),
            static_cast<int>(c.b * factor + 0.5)};
}

Rgb mix(Rgb a, Rgb b, double t) {
    return {static_cast<int>(a.r + (b.r - a.r) * t + 0.5), static_cast<int>(a.g + (b.g - a.g) * t + 0.5),
            static_cast<int>(a.b + (b.b - a.b) * t + 0.5)};
}

// ---------------------------------------------------------------------------
// Block faces. Each painter gets cell-local coordinates 0..15.
// ---------------------------------------------------------------------------

using Painter = Rgb (*)(int x, int y);

const Rgb kGrass = {96, 156, 58};
const Rgb kEarth = {128, 90, 58};

Rgb grassTop(int x, int y) {
    double b = 0.82 + 0.22 * blotch01(x, y, 4, 11) + 0.14 * rand01(x, y, 12);
    Rgb c = shade(kGrass, b);
    double blade = rand01(x, y, 13);
    if (blade < 0.10)
        c = mix(c, {170, 200, 80}, 0.55);  // sunlit blade tips
    else if (blade > 0.92)
        c = shade(c, 0.72);  // shadow between blades
    return c;
}

Rgb earth(int x, int y) {
    double b = 0.84 + 0.20 * blotch01(x, y, 4, 21) + 0.12 * rand01(x, y, 22);
    Rgb c = shade(kEarth, b);
    double grain = rand01(x, y, 23);
    if (grain < 0.07)
        c = shade(c, 0.68);  // buried pebbles
    else if (grain > 0.95)
        c = mix(c, {176, 140, 100}, 0.5);  // dry grains
    return c;
}

Rgb grassSide(int x, int y) {
    // The cell's top edge lands on the top of the block's side, so the turf
    // hangs down from there in ragged per-column tufts.
    int fringe = 3 + static_cast<int>(hash3(static_cast<std::uint32_t>(x), 0, 31) % 3u);
    if (y < fringe) return grassTop(x, y);
    if (y == fringe) return mix(earth(x, y), shade(kGrass, 0.7), 0.45);
    return earth(x, y);
}

Rgb stone(int x, int y) {
    double b = 0.80 + 0.24 * blotch01(x, y, 4, 41) + 0.12 * rand01(x, y, 42);
    Rgb c = shade({124, 124, 126}, b);
    double fleck = rand01(x, y, 43);
    if (fleck < 0.09)
        c = shade(c, 0.62);  // mineral flecks
    else if (fleck > 0.96)
        c = mix(c, {190, 190, 192}, 0.5);
    return c;
}

Rgb bedrock(int x, int y) {
    // Floor of the world: harsh contrast so it never reads as plain stone.
    double v = 0.6 * blotch01(x, y, 4, 51) + 0.4 * rand01(x, y, 52);
    int level = v < 0.35 ? 22 : v < 0.5 ? 40 : v < 0.65 ? 62 : 96;
    return {level, level, level + 4};
}

Rgb bricks(int x, int y) {
    // Courses four pixels tall, bricks eight wide, every other course shifted
    // by half a brick; the last row and column of each brick are mortar.
    int course = y / 4;
    int shifted = (x + (course % 2) * 4) % 16;
    if (y % 4 == 3 || shifted % 8 == 7) {
        return shade({178, 172, 160}, 0.92 + 0.12 * rand01(x, y, 61));
    }
    int brick = course * 2 + shifted / 8;  // tint whole bricks, not pixels
    double tone = 0.82 + 0.22 * rand01(brick, 0, 62) + 0.08 * rand01(x, y, 63);
    Rgb c = shade({156, 70, 50}, tone);
    if (y % 4 == 0) c = mix(c, {200, 120, 96}, 0.25);  // lit upper edge
    return c;
}

Rgb lightNeutral(int, int) { return {228, 226, 220}; }

Rgb filler(int x, int y) {
    bool odd = ((x / 8) + (y / 8)) % 2 != 0;
    return odd ? Rgb{136, 136, 136} : Rgb{118, 118, 118};
}

Image makeAtlas() {
    struct Cell {
        int col, row;
        Painter paint;
    };
    const Cell cells[] = {
        {0, 0, grassTop}, {3, 0, grassSide}, {2, 0, earth},          {1, 0, stone},
        {1, 1, bedrock},  {0, 3, bricks},    {15, 15, lightNeutral},
    };

    Image img = makeImage(256, 256);
    for (int row = 0; row < 16; ++row) {
        for (int col = 0; col < 16; ++col) {
            Painter paint = filler;
            for (const Cell& c : cells) {
                if (c.col == col && c.row == row) paint = c.paint;
            }
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    setPixel(img, col * 16 + x, row * 16 + y, paint(x, y));
                }
            }
        }
    }
    return img;
}

// ---------------------------------------------------------------------------
// Font. Each glyph is 5 pixels wide; rows 0..6 sit above the baseline and
// rows 7..8 hold descenders. Omitted trailing rows are blank.
// ---------------------------------------------------------------------------

constexpr int kGlyphWidth = 5;
constexpr int kGlyphRows = 9;
constexpr int kCellWidth = 8;
constexpr int kCellHeight = 12;
constexpr int kGlyphLeft = 1;  // leaves two blank columns after each glyph
constexpr int kGlyphTop = 2;   // leaves headroom above capitals

struct Glyph {
    char code;
    const char* rows[kGlyphRows];
};

const Glyph kGlyphs[] = {
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    {'"', {".#.#.", ".#.#.", ".#.#."}},
    {'#', {".#.#.", ".#.#.", "#####", ".#.#.", "#####", ".#.#.", ".#.#."}},
    {'$', {"..#..", ".####", "#.#..", ".###.", "..#.#", "####.", "..#.."}},
    {'%', {"##...", "##..#", "...#.", "..#..", ".#...", "#..##", "...##"}},
    {'&', {".##..", "#..#.", "#.#..", ".#...", "#.#.#", "#..#.", ".##.#"}},
    {'\'', {"..#..", "..#..", ".#..."}},
    {'(', {"...#.", "..#..", ".#...", ".#...", ".#...", "..#..", "...#."}},
    {')', {".#...", "..#..", "...#.", "...#.", "...#.", "..#..", ".#..."}},
    {'*', {".....", "..#..", "#.#.#", ".###.", "#.#.#", "..#.."}},
    {'+', {".....", "..#..", "..#..", "#####", "..#..", "..#.."}},
    {',', {".....", ".....", ".....", ".....", ".....", ".##..", ".##..", "..#..", ".#..."}},
    {'-', {".....", ".....", ".....", "#####"}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {'/', {"....#", "....#", "...#.", "..#..", ".#...", "#....", "#...."}},

    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "#.#..", "..#..", "..#..", "..#..", "#####"}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},

    {':', {".....", ".##..", ".##..", ".....", ".##..", ".##.."}},
    {';', {".....", ".##..", ".##..", ".....", ".##..", ".##..", "..#..", ".#..."}},
    {'<', {"...#.", "..#..", ".#...", "#....", ".#...", "..#..", "...#."}},
    {'=', {".....", ".....", "#####", ".....", "#####"}},
    {'>', {".#...", "..#..", "...#.", "....#", "...#.", "..#..", ".#..."}},
    {'?', {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."}},
    {'@', {".###.", "#...#", "#.###", "#.#.#", "#.##.", "#....", ".####"}},

    {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
    {'D', {"###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###.."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
    {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
    {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},

    {'[', {".###.", ".#...", ".#...", ".#...", ".#...", ".#...", ".###."}},
    {'\\', {"#....", "#....", ".#...", "..#..", "...#.", "....#", "....#"}},
    {']', {".###.", "...#.", "...#.", "...#.", "...#.", "...#.", ".###."}},
    {'^', {"..#..", ".#.#.", "#...#"}},
    {'_', {".....", ".....", ".....", ".....", ".....", ".....", ".....", "#####"}},
    {'`', {".#...", "..#.."}},

    {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"}},
    {'b', {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "####."}},
    {'c', {".....", ".....", ".###.", "#....", "#....", "#...#", ".###."}},
    {'d', {"....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {'f', {"..##.", ".#..#", ".#...", "###..", ".#...", ".#...", ".#..."}},
    {'g', {".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
    {'h', {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "#...#"}},
    {'i', {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."}},
    {'j', {"...#.", ".....", "..##.", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
    {'k', {"#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#."}},
    {'l', {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'m', {".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#...#"}},
    {'n', {".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"}},
    {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}},
    {'p', {".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."}},
    {'q', {".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", "....#"}},
    {'r', {".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."}},
    {'s', {".....", ".....", ".####", "#....", ".###.", "....#", "####."}},
    {'t', {".#...", ".#...", "###..", ".#...", ".#...", ".#..#", "..##."}},
    {'u', {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"}},
    {'v', {".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'w', {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."}},
    {'x', {".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"}},
    {'y', {".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
    {'z', {".....", ".....", "#####", "...#.", "..#..", ".#...", "#####"}},

    {'{', {"...##", "..#..", "..#..", ".#...", "..#..", "..#..", "...##"}},
    {'|', {"..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'}', {"##...", "..#..", "..#..", "...#.", "..#..", "..#..", "##..."}},
    {'~', {".....", ".....", ".#...", "#.#.#", "...#."}},
};

// A typo in the glyph table would silently garble on-screen text, so the
// table is checked before anything is drawn.
bool glyphTableIsSound() {
    bool seen[128] = {};
    for (const Glyph& g : kGlyphs) {
        int code = static_cast<unsigned char>(g.code);
        if (code < 33 || code > 126 || seen[code]) {
            std::fprintf(stderr, "make_assets: glyph table has a bad or repeated code %d\n", code);
            return false;
        }
        seen[code] = true;
        for (const char* row : g.rows) {
            if (row == nullptr) continue;
            if (std::strlen(row) != kGlyphWidth ||
                std::strspn(row, ".#") != static_cast<std::size_t>(kGlyphWidth)) {
                std::fprintf(stderr, "make_assets: glyph '%c' has a malformed row\n", g.code);
                return false;
            }
        }
    }
    for (int code = 33; code <= 126; ++code) {
        if (!seen[code]) {
            std::fprintf(stderr, "make_assets: glyph table lacks code %d\n", code);
            return false;
        }
    }
    return true;
}

Image makeFont() {
    // Everything starts fully transparent; only glyph pixels become opaque
    // white so the game can tint text with any colour.
    Image img = makeImage(128, 128);
    for (const Glyph& g : kGlyphs) {
        int index = static_cast<unsigned char>(g.code) - 32;
        int left = (index % 16) * kCellWidth + kGlyphLeft;
        int top = (index / 16) * kCellHeight + kGlyphTop;
        for (int r = 0; r < kGlyphRows; ++r) {
            const char* row = g.rows[r];
            if (row == nullptr) continue;
            for (int c = 0; c < kGlyphWidth; ++c) {
                if (row[c] == '#') setPixel(img, left + c, top + r, {255, 255, 255});
            }
        }
    }
    return img;
}

// ---------------------------------------------------------------------------
// Icon: one grass block seen from above at the usual isometric angle, its
// faces painted texel by texel with the atlas's painters so it reads as the
// game's own block at every size.
// ---------------------------------------------------------------------------

Rgb blockTexel(int face, double u, double v) {
    const int x = u >= 1 ? 15 : static_cast<int>(u * 16);
    const int y = v >= 1 ? 15 : static_cast<int>(v * 16);
    if (face == 0) return grassTop(x, y);
    // The two visible sides, darker the further they turn from the light.
    return shade(grassSide(x, y), face == 1 ? 0.82 : 0.64);
}

// Which face covers the point (sx, sy) of a block with edge length s whose top
// corner is at (cx, oy): 0 top, 1 left side, 2 right side, -1 none; u and v
// receive the face coordinates, 0..1, with v = 0 along the top edge of a side.
int blockFaceAt(double sx, double sy, double cx, double oy, double s, double& u, double& v) {
    const double k = 0.8660254037844386 * s;  // horizontal reach of an edge (cos 30)
    const double across = (sx - cx) / k;      // x - z of the block's corner coordinates
    const double down = (sy - oy) / s;        // half the x + z of the top face, plus the drop
    const double tx = down + across / 2, tz = down - across / 2;
    if (tx >= 0 && tx <= 1 && tz >= 0 && tz <= 1) {
        u = tx;
        v = tz;
        return 0;
    }
    if (across < 0 && across >= -1) {  // the side at z = 1
        u = across + 1;
        v = down - (u + 1) / 2;
        if (v >= 0 && v <= 1) return 1;
    }
    if (across >= 0 && across <= 1) {  // the side at x = 1
        u = 1 - across;
        v = down - (u + 1) / 2;
        if (v >= 0 && v <= 1) {
            u = across;
            return 2;
        }
    }
    return -1;
}

Image makeIcon(int size) {
    // The block is two edges tall; leave a small margin around it.
    const double s = size * 0.47;
    const double cx = size / 2.0, oy = (size - 2 * s) / 2;
    constexpr int kSamples = 4;  // per axis, for smooth outer edges
    Image img = makeImage(size, size);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            int r = 0, g = 0, b = 0, covered = 0;
            for (int j = 0; j < kSamples; ++j) {
                for (int i = 0; i < kSamples; ++i) {
                    double u, v;
                    const int face =
                        blockFaceAt(px + (i + 0.5) / kSamples, py + (j + 0.5) / kSamples, cx, oy, s, u, v);
                    if (face < 0) continue;
                    const Rgb c = blockTexel(face, u, v);
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    ++covered;
                }
            }
            if (covered == 0) continue;
            setPixel(img, px, py, {r / covered, g / covered, b / covered},
                     covered * 255 / (kSamples * kSamples));
        }
    }
    return img;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 3) {
        std::fprintf(stderr, "usage: make_assets [output-directory [icon-directory]]\n");
        return 1;
    }
    std::string dir = argc >= 2 ? argv[1] : ".";
    if (dir.empty()) dir = ".";
    if (dir.back() != '/') dir += '/';

    if (!glyphTableIsSound()) return 1;
    if (!writePng(makeAtlas(), dir + "texture.png")) return 1;
    if (!writePng(makeFont(), dir + "fonta.png")) return 1;
    if (argc == 3) {
        std::string iconDir = argv[2];
        if (iconDir.empty() || iconDir.back() != '/') iconDir += '/';
        for (int size : {48, 128, 256})
            if (!writePng(makeIcon(size), iconDir + "vexelmoor-" + std::to_string(size) + ".png")) return 1;
    }
    return 0;
}
