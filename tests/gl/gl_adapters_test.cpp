// Texture loading, bitmap text and world drawing against an off-screen
// software GL context, checked through what GL holds and shows afterwards.

#include <GL/glu.h>
#include <SOIL/SOIL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/overlay_draw.h"
#include "app/texture.h"
#include "player/camera.h"
#include "render/frustum.h"
#include "render/world_draw.h"
#include "tests/support/png_writer.h"
#include "tests/gl/offscreen_context.h"
#include "tests/support/test_worlds.h"

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
constexpr Rgb WHITE = {255, 255, 255}, BLACK = {0, 0, 0};

struct Box {
    int left, top, width, height;
    bool holds(int x, int y) const { return x >= left && x < left + width && y >= top && y < top + height; }
};

// An image as the decoding library gives it, straight from the file.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
};

Image decodeDirectly(const std::string& path) {
    Image image;
    int channels = 0;
    unsigned char* p = SOIL_load_image(path.c_str(), &image.width, &image.height, &channels, SOIL_LOAD_RGBA);
    if (p) image.rgba.assign(p, p + static_cast<std::size_t>(image.width) * image.height * 4);
    SOIL_free_image_data(p);
    return image;
}

std::string gameFile(const char* name) { return std::string(VEX_GAME_DIR) + "/" + name; }

Texture loadQuietly(const std::string& path, std::string* printed = nullptr) {
    ::testing::internal::CaptureStdout();
    const Texture texture = loadTexture(path.c_str());
    const std::string out = ::testing::internal::GetCapturedStdout();
    if (printed) *printed = out;
    return texture;
}

GLint boundTexture() {
    GLint name = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

GLuint bindFreshTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    return name;
}

class OffscreenGl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_.open(WIDTH, HEIGHT));
        glViewport(0, 0, WIDTH, HEIGHT);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_CULL_FACE);
        glFrontFace(GL_CCW);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.01f);
        glEnable(GL_TEXTURE_2D);
    }
    void TearDown() override {
        frustumPlanes = FrustumPlanes{};
    }

    static std::string tempPath(const std::string& name) {
        return ::testing::TempDir() + "vex_gl_" + std::to_string(getpid()) + "_" + name;
    }

    void readFrame() {
        glFinish();
        frame_.assign(gl_.pixels.size(), 0);
        glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, frame_.data());
    }
    // (0, 0) is the top-left pixel.
    Rgb pixel(int x, int y) const {
        const std::size_t at = (static_cast<std::size_t>(HEIGHT - 1 - y) * WIDTH + x) * 4;
        return {frame_[at], frame_[at + 1], frame_[at + 2]};
    }
    // Pixels outside every box that no longer show the background.
    int changedOutside(std::initializer_list<Box> boxes) const {
        int changed = 0;
        for (int y = 0; y < HEIGHT; ++y)
            for (int x = 0; x < WIDTH; ++x) {
                bool inside = false;
                for (const Box& b : boxes) inside = inside || b.holds(x, y);
                changed += !inside && !(pixel(x, y) == background_);
            }
        return changed;
    }

    OffscreenContext gl_;
    std::vector<std::uint8_t> frame_;
    Rgb background_ = WHITE;
};

TEST_F(OffscreenGl, LoadsTheGameImagesSharpAndLeavesNothingBound) {
    for (const char* name : {"texture.png", "fonta.png"}) {
        SCOPED_TRACE(name);
        const std::string path = gameFile(name);
        const Image file = decodeDirectly(path);
        ASSERT_GT(file.width, 0);
        const GLuint other = bindFreshTexture();
        std::string printed;
        const Texture texture = loadQuietly(path, &printed);

        EXPECT_EQ(printed, "Successfully loaded " + path + "\n");
        EXPECT_EQ(texture.width, file.width);
        EXPECT_EQ(texture.height, file.height);
        EXPECT_NE(texture.glName, 0u);
        EXPECT_NE(texture.glName, other);
        EXPECT_EQ(boundTexture(), 0);
        glBindTexture(GL_TEXTURE_2D, texture.glName);
        GLint minFilter = 0, magFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
        EXPECT_EQ(minFilter, GL_NEAREST);
        EXPECT_EQ(magFilter, GL_NEAREST);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(OffscreenGl, FailedLoadsReturnZerosAndKeepTheBinding) {
    const std::vector<std::uint8_t> png = encodeRgbaPng(2, 2, std::vector<std::uint8_t>(16, 200));
    const std::string truncated = tempPath("truncated.png"), garbage = tempPath("garbage.png");
    ASSERT_TRUE(writeFileBytes(truncated, std::vector<std::uint8_t>(png.begin(), png.begin() + 40)));
    ASSERT_TRUE(writeFileBytes(garbage, std::vector<std::uint8_t>(100, 'x')));

    for (const std::string& path : {tempPath("missing.png"), ::testing::TempDir(), truncated, garbage}) {
        SCOPED_TRACE(path);
        const GLuint other = bindFreshTexture();
        std::string printed;
        const Texture texture = loadQuietly(path, &printed);
        EXPECT_EQ(printed, "Failed to load " + path + "\n");
        EXPECT_EQ(texture.width, 0);
        EXPECT_EQ(texture.height, 0);
        EXPECT_EQ(texture.glName, 0u);
        EXPECT_EQ(boundTexture(), static_cast<GLint>(other));
    }
    std::remove(truncated.c_str());
    std::remove(garbage.c_str());
}

// The upload reads four bytes a pixel: grey, grey-alpha and RGB files must
// arrive expanded to the RGBA they mean, never over-read.
TEST_F(OffscreenGl, UploadsImagesOfEveryChannelCountAsRgba) {
    constexpr int W = 3, H = 2;  // odd width: 3- and 9-byte rows are not 4-byte aligned
    const PngColourType types[] = {PNG_GREY, PNG_GREY_ALPHA, PNG_RGB, PNG_RGBA};
    for (int channels = 1; channels <= 4; ++channels) {
        SCOPED_TRACE(channels);
        std::vector<std::uint8_t> samples, expected;
        for (int p = 0; p < W * H; ++p) {
            std::uint8_t s[4];
            for (int k = 0; k < channels; ++k) s[k] = static_cast<std::uint8_t>(17 + 53 * p + 29 * k);
            samples.insert(samples.end(), s, s + channels);
            const bool grey = channels < 3, alpha = channels % 2 == 0;
            const std::uint8_t rgba[4] = {s[0], grey ? s[0] : s[1], grey ? s[0] : s[2],
                                          alpha ? s[channels - 1] : std::uint8_t{255}};
            expected.insert(expected.end(), rgba, rgba + 4);
        }
        const std::string path = tempPath("channels.png");
        ASSERT_TRUE(writeFileBytes(path, encodePng(W, H, types[channels - 1], 8, samples)));
        const Texture texture = loadQuietly(path);
        std::remove(path.c_str());
        ASSERT_NE(texture.glName, 0u);
        EXPECT_EQ(texture.width, W);
        EXPECT_EQ(texture.height, H);

        std::vector<std::uint8_t> uploaded(W * H * 4, 0);
        glBindTexture(GL_TEXTURE_2D, texture.glName);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, uploaded.data());
        EXPECT_EQ(uploaded, expected);
    }
}

// The overlay as the frame loop sets it up: y-down pixel units over the
// window, the font sheet bound, alpha test and blending, back faces culled.
class OverlayText : public OffscreenGl {
protected:
    void SetUp() override {
        OffscreenGl::SetUp();
        if (HasFatalFailure()) return;
        sheet_ = decodeDirectly(gameFile("fonta.png"));
        ASSERT_EQ(sheet_.width, 128);
        ASSERT_EQ(sheet_.height, 128);
        const Texture font = loadQuietly(gameFile("fonta.png"));
        ASSERT_NE(font.glName, 0u);
        glMatrixMode(GL_PROJECTION);
        glOrtho(0, WIDTH, 0, HEIGHT, -1, 1);
        glScalef(1, -1, 1);
        glTranslatef(0, -static_cast<float>(HEIGHT), 0);
        glMatrixMode(GL_MODELVIEW);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBindTexture(GL_TEXTURE_2D, font.glName);
    }

    // The 8 x 12 cell at (x, y) shows byte c in `colour` exactly where the
    // sheet's cell for c is opaque, and the background elsewhere.
    void expectGlyph(unsigned char c, int x, int y, Rgb colour) const {
        const int k = c - 32, sheetX = (k % 16) * 8, sheetY = (k / 16) * 12;
        int ink = 0, wrong = 0;
        for (int r = 0; r < 12; ++r)
            for (int col = 0; col < 8; ++col) {
                const bool opaque = sheet_.rgba[((sheetY + r) * 128 + sheetX + col) * 4 + 3] > 2;
                ink += opaque;
                wrong += !(pixel(x + col, y + r) == (opaque ? colour : WHITE));
            }
        EXPECT_GT(ink, 0) << "'" << c << "' has no ink in the sheet";
        EXPECT_EQ(wrong, 0) << "'" << c << "' at (" << x << ", " << y << ")";
    }

    Image sheet_;
};

TEST_F(OverlayText, DrawsEachGlyphFromItsSheetCellInTheGivenColour) {
    drawText("Ag0#~", 5, 37, 101, 0, 0, 0);
    drawText("Zq|9", 4, 300, 400, 255, 0, 0);
    readFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (int i = 0; i < 5; ++i) expectGlyph("Ag0#~"[i], 37 + 8 * i, 101, BLACK);
    for (int i = 0; i < 4; ++i) expectGlyph("Zq|9"[i], 300 + 8 * i, 400, {255, 0, 0});
    EXPECT_EQ(changedOutside({{37, 101, 8 * 5, 12}, {300, 400, 8 * 4, 12}}), 0);
}

TEST_F(OverlayText, TheLengthNotATerminatorDecidesWhatIsDrawn) {
    drawText("", 0, 10, 10, 0, 0, 0);
    drawText("abc", 0, 10, 30, 0, 0, 0);
    readFrame();
    EXPECT_EQ(changedOutside({}), 0) << "a zero-length string drew something";

    drawText("abcdef", 2, 200, 200, 0, 0, 0);
    const char withZero[] = {'b', '\0', 'd'};  // the zero byte takes a cell like any other
    drawText(withZero, sizeof withZero, 200, 300, 0, 0, 0);
    readFrame();
    expectGlyph('a', 200, 200, BLACK);
    expectGlyph('b', 208, 200, BLACK);
    expectGlyph('b', 200, 300, BLACK);
    expectGlyph('d', 216, 300, BLACK);
    EXPECT_EQ(changedOutside({{200, 200, 16, 12}, {200, 300, 24, 12}}), 0);
}

// Bytes beyond the sheet's range and lines far wider than the screen still
// take one cell each and stay on their line.
TEST_F(OverlayText, EveryByteAndVeryLongLinesStayOnTheirLine) {
    char everyByte[256];
    for (int c = 0; c < 256; ++c) everyByte[c] = static_cast<char>(c);
    drawText(everyByte, sizeof everyByte, 0, 150, 0, 0, 0);
    const std::string longLine(20000, 'W');
    drawText(longLine.data(), longLine.size(), -3000, 300, 0, 0, 0);  // 375 cells left of the screen
    readFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (int c = 33; c < WIDTH / 8; ++c) expectGlyph(static_cast<unsigned char>(c), 8 * c, 150, BLACK);
    for (int x = 0; x < WIDTH; x += 8) expectGlyph('W', x, 300, BLACK);
    EXPECT_EQ(changedOutside({{0, 150, WIDTH, 12}, {0, 300, WIDTH, 12}}), 0);
}

// The world pass as the frame loop sets it up, on the generated world.
class WorldDraw : public OffscreenGl {
protected:
    void SetUp() override {
        OffscreenGl::SetUp();
        if (HasFatalFailure()) return;
        const Texture atlas = loadQuietly(gameFile("texture.png"));
        ASSERT_NE(atlas.glName, 0u);
        glBindTexture(GL_TEXTURE_2D, atlas.glName);
        // A colour no lit terrain face can have, so every gap shows.
        background_ = {255, 0, 255};
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        frustumPlanes = FrustumPlanes{};
    }

    static void setCamera(double farPlane, Vec3d eye, Vec3d target, Vec3d up) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 4.0 / 3.0, 0.1, farPlane);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, up.x, up.y, up.z);
    }
    static std::vector<float> modelview() {
        std::vector<float> m(16);
        glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
        return m;
    }

    const World& world_ = sharedGeneratedWorld();
};

// Just above the highest terrain at the start column, looking down at the
// ground steeply enough that no ray reaches the world's edge or the sky.
constexpr Vec3d GROUND_EYE = {4096.0, 16.0 * 90, 4096.0};
constexpr Vec3d GROUND_TARGET = {4196.0, 16.0 * 90 - 100, 4126.0};

TEST_F(WorldDraw, DrawsTheChunksInViewAndKeepsTheModelView) {
    setCamera(32000.0, GROUND_EYE, GROUND_TARGET, {0, 1, 0});
    extractFrustum();
    const std::vector<float> before = modelview();
    const int drawn = drawWorld(world_);
    EXPECT_GT(drawn, 0);
    EXPECT_LT(drawn, WORLD_CHUNK_COUNT);
    EXPECT_EQ(modelview(), before) << "a chunk's move was not undone exactly";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    readFrame();
    EXPECT_EQ(changedOutside({}), WIDTH * HEIGHT) << "the ground ahead fills the whole view, without gaps";
}

TEST_F(WorldDraw, DrawsNothingWithoutPlanesOrWithTheWorldBehind) {
    setCamera(32000.0, GROUND_EYE, GROUND_TARGET, {0, 1, 0});
    EXPECT_EQ(drawWorld(world_), 0) << "all-zero planes, before any extraction";
    const Vec3d eye = {-3000.0, 1000.0, -3000.0};
    setCamera(32000.0, eye, {eye.x - 1.0, eye.y, eye.z - 1.0}, {0, 1, 0});
    extractFrustum();
    EXPECT_EQ(drawWorld(world_), 0) << "looking away from the world";
    readFrame();
    EXPECT_EQ(changedOutside({}), 0);
}

// High in the empty sky looking up, with a short far plane, only faceless
// chunks of the top layer are in view: each counts as drawn but sends nothing.
TEST_F(WorldDraw, ChunksWithoutFacesDrawZeroVertices) {
    for (const Chunk* chunk : world_.chunks) {
        if (chunk->cy < WORLD_CHUNKS_Y - 2) continue;
        ASSERT_EQ(chunk->mesh.positionCount, 0u) << "the terrain reaches the sky";
    }
    const Vec3d eye = {4000.0, 1900.0, 4000.0};
    setCamera(300.0, eye, {eye.x, eye.y + 1.0, eye.z}, {1, 0, 0});
    extractFrustum();
    const std::vector<float> before = modelview();
    EXPECT_GT(drawWorld(world_), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(modelview(), before);
    readFrame();
    EXPECT_EQ(changedOutside({}), 0);
}

}  // namespace
