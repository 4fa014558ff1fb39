#include "files/paths.h"
#include "operations/merge.h"
#include "render/render.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace brikmux {
namespace {

using testing::crlf;
using testing::TempDir;
using Names = std::vector<std::string>;

// A cube of 20 units about its origin: six faces in the colour it is placed in, twelve edges in
// that colour's edge colour.
std::string cube()
{
    const auto corner = [](int i) {
        return std::string((i & 1) != 0 ? "10 " : "-10 ") + ((i & 2) != 0 ? "10 " : "-10 ") +
               ((i & 4) != 0 ? "10" : "-10");
    };
    Names lines{"0 Cube"};
    for (const auto& face :
         {std::array{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}}) {
        lines.push_back("4 16 " + corner(face[0]) + " " + corner(face[1]) + " " + corner(face[2]) + " " +
                        corner(face[3]));
    }
    for (int a = 0; a < 8; ++a) {
        for (const int bit : {1, 2, 4}) {
            if ((a & bit) == 0) {
                lines.push_back("2 24 " + corner(a) + " " + corner(a | bit));
            }
        }
    }
    return crlf(lines);
}

std::string at(const std::string& colour, int x, int y, int z, const std::string& name = "cube.dat")
{
    return "1 " + colour + " " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(z) +
           " 1 0 0 0 1 0 0 0 1 " + name;
}

class Render : public ::testing::Test {
protected:
    Render()
    {
        library.write(
            "LDConfig.ldr",
            crlf({"0 LDraw.org Configuration File", "0 !COLOUR Black CODE 0 VALUE #101010 EDGE #595959",
                  "0 !COLOUR Blue CODE 1 VALUE #0000FF EDGE #000080",
                  "0 !COLOUR Green CODE 2 VALUE #00FF00 EDGE #008000",
                  "0 !COLOUR Red CODE 4 VALUE #FF0000 EDGE #800000",
                  "0 !COLOUR Light_Grey CODE 7 VALUE #C0C0C0 EDGE #606060",
                  "0 !COLOUR Yellow CODE 14 VALUE #FFFF00 EDGE 0", "0 !COLOUR White CODE 15 VALUE #FFFFFF EDGE #808080",
                  "0 !COLOUR Trans_Red CODE 36 VALUE #FF0000 EDGE #800000 ALPHA 128"}));
        library.write("parts/cube.dat", cube());
        library.write("parts/3001.dat", "");
        library.write("parts/wrap.dat", crlf({"0 A cube inside", at("16", 0, 0, 0)}));
    }

    RenderResult draw(const Names& model, const RenderOptions& options)
    {
        dat.write("main.ldr", crlf(model));
        return RenderModel("main.ldr", RenderJob{dat.field(), library.field()}, options, fileSystem);
    }

    TempDir dat;
    TempDir library;
    NativeFileSystem fileSystem;
};

struct Pixel {
    int r, g, b, a;
};

Pixel pixel(const Picture& picture, int x, int y)
{
    const std::uint8_t* p = &picture.rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                                           static_cast<std::size_t>(x)) *
                                          4];
    return {p[0], p[1], p[2], p[3]};
}

// The hue a pixel of a face shows, lit or not: 'R', 'G', 'B', 'W' (white or grey), or '.' for
// the transparent background and the dark edges.
char hue(Pixel p)
{
    const int most = std::max({p.r, p.g, p.b});
    if (p.a == 0 || most < 90) {
        return '.';
    }
    const auto strong = [most](int c) { return c * 4 > most * 3; };
    const auto faint = [most](int c) { return c * 4 < most; };
    if (strong(p.r) && strong(p.g) && strong(p.b)) {
        return 'W';
    }
    if (strong(p.r) && faint(p.g) && faint(p.b)) {
        return 'R';
    }
    if (strong(p.g) && faint(p.r) && faint(p.b)) {
        return 'G';
    }
    return strong(p.b) && faint(p.r) && faint(p.g) ? 'B' : '?';
}

struct Spot {
    double x = 0;
    double y = 0;
    int pixels = 0;
};

// Where each hue lies in the picture: the centre of its pixels, and how many they are.
std::map<char, Spot> spots(const Picture& picture)
{
    std::map<char, Spot> found;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            Spot& spot = found[hue(pixel(picture, x, y))];
            spot.x += x;
            spot.y += y;
            ++spot.pixels;
        }
    }
    for (auto& [hue, spot] : found) {
        spot.x /= spot.pixels;
        spot.y /= spot.pixels;
    }
    return found;
}

// A white cube at the centre, red 60 units along +X (right), green along -Y (up), blue along -Z
// (the front): where each lands, and which are hidden, from each side.
TEST_F(Render, EachSideOfTheModelLandsWhereTheCameraSeesIt)
{
    const Names model{at("15", 0, 0, 0), at("4", 60, 0, 0), at("2", 0, -60, 0), at("1", 0, 0, -60)};
    const struct {
        const char* side;
        ViewAngle angle;
        const char* hidden; // the hue a nearer cube covers whole
        // Of two hues, the first lies left of (or above) the second, or both in a line (|dx| < 2).
        std::vector<std::string> leftOf;
        std::vector<std::string> above;
        std::vector<std::string> inLine; // "RB": the same height; "gb": the same column
    } rows[] = {
        {"front", {0, 0}, "W", {"BR"}, {"GB"}, {"RB", "gb"}},
        {"right", {0, 90}, "W", {"BR"}, {"GR"}, {"BR", "gr"}},
        {"back", {0, 180}, "B", {"RW"}, {"GW"}, {"RW", "gw"}},
        {"above", {90, 0}, "W", {"GR"}, {"GB"}, {"GR", "gb"}},
        {"below", {-90, 0}, "G", {"WR"}, {"BW"}, {"WR", "bw"}},
        {"front right, above", {30, 45}, "", {"BW", "WR"}, {"GW", "WB", "WR"}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.side);
        RenderOptions options{200, 150, row.angle, std::nullopt, 1};
        const RenderResult result = draw(model, options);
        ASSERT_EQ(result.status, RenderResult::Status::Drawn) << result.failure;
        auto found = spots(result.picture);
        for (const char hue : std::string("RGBW")) {
            EXPECT_EQ(found[hue].pixels == 0, std::string(row.hidden).find(hue) != std::string::npos) << hue;
        }
        const auto spot = [&](char c) { return found[static_cast<char>(std::toupper(c))]; };
        for (const std::string& pair : row.leftOf) {
            EXPECT_LT(spot(pair[0]).x + 10, spot(pair[1]).x) << pair;
        }
        for (const std::string& pair : row.above) {
            EXPECT_LT(spot(pair[0]).y + 5, spot(pair[1]).y) << pair;
        }
        for (const std::string& pair : row.inLine) {
            if (std::islower(pair[0])) {
                EXPECT_NEAR(spot(pair[0]).x, spot(pair[1]).x, 2) << pair;
            } else {
                EXPECT_NEAR(spot(pair[0]).y, spot(pair[1]).y, 2) << pair;
            }
        }
        // The model fills the picture, but for a small margin.
        int left = options.width;
        int right = -1;
        int top = options.height;
        int bottom = -1;
        for (int y = 0; y < options.height; ++y) {
            for (int x = 0; x < options.width; ++x) {
                if (pixel(result.picture, x, y).a != 0) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        EXPECT_GE(std::min(left, top), 2);
        EXPECT_LE(right, options.width - 3);
        EXPECT_LE(bottom, options.height - 3);
        EXPECT_TRUE(right - left > options.width * 9 / 10 || bottom - top > options.height * 9 / 10)
            << left << " " << right << " " << top << " " << bottom;
    }
}

TEST_F(Render, PerspectiveMakesNearerPartsLarger)
{
    // From the front the blue cube is 60 units nearer than the red one; both far from the origin,
    // which the camera does not look at.
    const Names model{at("4", 1060, 0, 0), at("1", 1000, 0, -60)};
    RenderOptions options{200, 150, {0, 0}, std::nullopt, 1};
    const auto flat = spots(draw(model, options).picture);
    EXPECT_NEAR(flat.at('B').pixels, flat.at('R').pixels, flat.at('R').pixels / 20);
    options.angle.perspective = true;
    const auto deep = spots(draw(model, options).picture);
    EXPECT_GT(deep.at('B').pixels, deep.at('R').pixels * 11 / 10);
    // Anti-aliased, the pixels along an outline are partly covered.
    options.antialiasing = 2;
    const Picture smooth = draw(model, options).picture;
    int partly = 0;
    for (std::size_t at = 3; at < smooth.rgba.size(); at += 4) {
        partly += smooth.rgba[at] > 0 && smooth.rgba[at] < 255 ? 1 : 0;
    }
    EXPECT_GT(partly, 0); // drawn one sample a pixel, none would be
}

// Cubes in a row from left to right, seen from the front: each one's face colour at its centre,
// and the edge colours the picture holds.
TEST_F(Render, ColoursAreTheLibrarysInheritedDirectAndSeeThrough)
{
    dat.write("sub.ldr", crlf({at("16", 0, 0, 0)}));
    dat.write("edges.ldr", crlf({at("24", 0, 0, 0)}));
    library.write("parts/tinted.dat", crlf({at("0x2FF00FF", 0, 0, 0)}));
    const Names model{at("1", -150, 0, 0, "sub.ldr"),   // 16 inside takes the blue it is placed in
                      at("16", -90, 0, 0),              // 16 at the top: Light Grey
                      at("4", -30, 0, 0, "tinted.dat"), // a direct colour inside a part, kept
                      at("36", 30, 0, 0, "wrap.dat"),   // see-through red before a white cube, drawn once
                      at("15", 30, 0, 40, "CUBE.DAT"),  // any letter case
                      at("14", 90, 0, 0, "wrap.dat"),   // yellow, whose edge is black's face colour
                      at("#00FF00", 150, 0, 0)};
    const RenderResult result = draw(model, RenderOptions{340, 60, {0, 0}, Rgba{0, 0, 0, 255}, 1});
    ASSERT_EQ(result.status, RenderResult::Status::Drawn) << result.failure;
    const Picture& picture = result.picture;
    // 340 - 2 x 3 pixels for 320 units: the centres, 60 units apart, lie about 62.6 pixels apart.
    std::vector<Pixel> centres;
    for (int i = 0; i < 6; ++i) {
        centres.push_back(pixel(picture, static_cast<int>(std::lround(170 + (i * 60 - 150) * 334.0 / 320)), 30));
    }
    const Pixel blue = centres[0];
    EXPECT_TRUE(blue.r == 0 && blue.g == 0 && blue.b > 150) << blue.r << " " << blue.g << " " << blue.b;
    const Pixel grey = centres[1];
    EXPECT_TRUE(grey.r == grey.g && grey.g == grey.b && grey.r > 100 && grey.r < 200) << grey.r;
    const Pixel magenta = centres[2];
    EXPECT_TRUE(magenta.r == magenta.b && magenta.g == 0 && magenta.r > 150) << magenta.r << " " << magenta.g;
    const Pixel seen = centres[3]; // the white through two red faces
    EXPECT_TRUE(seen.r > seen.g + 60 && seen.g == seen.b && seen.g > 30) << seen.r << " " << seen.g << " " << seen.b;
    const Pixel yellow = centres[4];
    EXPECT_TRUE(yellow.r == yellow.g && yellow.b == 0 && yellow.r > 150) << yellow.r;
    const Pixel green = centres[5];
    EXPECT_TRUE(green.g > 150 && green.r == 0 && green.b == 0) << green.g;
    // Edges are drawn in the edge colour of the colour they inherit, unlit.
    std::map<std::uint32_t, int> colours;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const Pixel p = pixel(picture, x, y);
            ++colours[static_cast<std::uint32_t>(p.r << 16 | p.g << 8 | p.b)];
        }
    }
    for (const std::uint32_t edge : {0x000080U, 0x606060U, 0x550055U, 0x101010U, 0x005500U}) {
        EXPECT_GT(colours[edge], 20) << std::hex << edge;
    }
}

TEST_F(Render, AModelAndItsMergedMpdGiveTheSamePicture)
{
    const std::string examples = withTrailingSeparator(BRIKMUX_EXAMPLES_DIR);
    const RenderJob job{joinPath(examples, "buggy/"), joinPath(examples, "ldraw/")};
    const RenderOptions options{320, 240, {}};
    const RenderResult model = RenderModel("buggy.dat", job, options, fileSystem);
    ASSERT_EQ(model.status, RenderResult::Status::Drawn) << model.failure;
    EXPECT_GT(spots(model.picture).at('.').pixels, 0);
    for (const bool pack : {false, true}) {
        testing::ScriptedPrompter prompter;
        const std::string mpd = pack ? "packed.mpd" : "buggy.mpd";
        const MergeJob merge{job.datPath, dat.field(), job.ldrawPath, mpd, "Brikmux", ReferenceKinds::Any, pack};
        ASSERT_EQ(MergeToMPD("buggy.dat", merge, fileSystem, prompter).status, MergeResult::Status::Created);
        const RenderResult merged = RenderModel(mpd, RenderJob{dat.field(), job.ldrawPath}, options, fileSystem);
        ASSERT_EQ(merged.status, RenderResult::Status::Drawn) << merged.failure;
        EXPECT_TRUE(merged.picture.rgba == model.picture.rgba) << "pack " << pack;
    }
}

TEST_F(Render, PartsFoundNowhereAreNamedAndTheRestIsDrawn)
{
    dat.write("sub.ldr", crlf({at("16", 0, 0, 0, "gone.dat"), at("16", 0, 0, 0)}));
    const RenderResult result = draw({at("4", 0, 0, 0, "sub.ldr"), at("4", 0, 0, 0, "lost.dat")}, RenderOptions{});
    ASSERT_EQ(result.status, RenderResult::Status::Drawn);
    ASSERT_EQ(result.notFound.size(), 2U);
    EXPECT_EQ(messages::missingFileLine(result.notFound[0]) + "|" + messages::missingFileLine(result.notFound[1]),
              "lost.dat (referenced by main.ldr)|gone.dat (referenced by sub.ldr)");
    EXPECT_GT(spots(result.picture).at('R').pixels, 1000);

    // A drawing cancelled draws nothing; nor does a model that cannot be read.
    EXPECT_EQ(RenderModel("", RenderJob{dat.field(), library.field()}, RenderOptions{}, fileSystem).failure,
              "No .DAT file was chosen to merge.");
    const std::atomic<bool> cancel = true;
    EXPECT_EQ(
        RenderModel("main.ldr", RenderJob{dat.field(), library.field()}, RenderOptions{}, fileSystem, &cancel).status,
        RenderResult::Status::Cancelled);
    dat.write("folder.ldr/x", "");
    const RenderResult unreadable = draw({at("4", 0, 0, 0, "folder.ldr")}, RenderOptions{});
    EXPECT_EQ(unreadable.status, RenderResult::Status::Failed);
    EXPECT_EQ(unreadable.failure,
              "Cannot read " + dat.field() + "folder.ldr (referenced by main.ldr): Is a directory.");
}

TEST_F(Render, LinesThatAreNotWholeDrawNothing)
{
    const RenderResult result = draw({"4 4 -10 -10 0 10 -10 0 10 10 0 -10 10x 0", "4 4 -10 -10 0 10 -10 0 10 10 0",
                                      "3 4x -10 -10 0 10 -10 0 10 10 0", "33 4 -10 -10 0 10 -10 0 10 10 0",
                                      "1 4 0 0 0 1 0 0 0 1 0 0 0 cube.dat", "4 1 20 0 0 40 0 0 40 20 0 20 20 0"},
                                     RenderOptions{200, 150, {0, 0}, std::nullopt, 1});
    const auto found = spots(result.picture);
    EXPECT_EQ(found.count('R'), 0U);
    EXPECT_GT(found.at('B').pixels, 1000); // the one whole line
}

TEST_F(Render, AModelThatReachesItselfIsDrawnOnce)
{
    // The main model places the sub-model 40 units right, which places the main model again.
    dat.write("sub.ldr", crlf({at("1", 0, 0, 0), at("16", 40, 0, 0, "main.ldr")}));
    const auto found =
        spots(draw({at("4", 0, 0, 0), at("16", 40, 0, 0, "sub.ldr")}, RenderOptions{200, 150, {0, 0}, std::nullopt, 1})
                  .picture);
    // Two cubes side by side, each a third of the picture wide; a chain of them would be smaller.
    EXPECT_GT(found.at('R').pixels, 3000);
    EXPECT_NEAR(found.at('B').pixels, found.at('R').pixels, 200);
}

// Colour codes as lines write them, and what the library's table makes of each.
TEST(Colours, CodesAndTheirFacesAndEdges)
{
    const struct {
        const char* text;
        bool read;
        ColourCode code;
    } codes[] = {
        {"4", true, 4},           {"0x2FF0080", true, 0x2FF0080}, {"#00FF00", true, 0x200FF00}, {"4x", false, 0},
        {"", false, 0},           {"0x2FF00", false, 0},          {"#0F0", false, 0},           {"-1", false, 0},
        {"2147483648", false, 0}, {"0x2GG0000", false, 0}};
    for (const auto& [text, read, code] : codes) {
        ColourCode got = 0;
        EXPECT_EQ(readColourCode(text, got), read) << text;
        if (read) {
            EXPECT_EQ(got, code) << text;
        }
    }
    const ColourTable table({"0 !COLOUR Light_Grey CODE 7 VALUE #C0C0C0 EDGE #606060",
                             "  0 !COLOUR Yellow CODE 14 VALUE #FFFF00 EDGE 7",
                             "0 !COLOUR Trans_Red CODE 36 VALUE #FF0000 EDGE #800000 ALPHA 128",
                             "0 !COLOUR Broken CODE 99 EDGE #FFFFFF", "0 // 0 !COLOUR not one"});
    const auto hex = [](Rgba c) {
        char text[16];
        std::snprintf(text, sizeof text, "%02X%02X%02X/%d", c.r, c.g, c.b, c.a);
        return std::string(text);
    };
    // The code; its face and its edge, "RRGGBB/alpha".
    const std::tuple<ColourCode, std::string, std::string> colours[] = {
        {16, "C0C0C0/255", "606060/255"}, // a model's own colour: Light Grey
        {24, "606060/255", "606060/255"}, // and its edge colour
        {14, "FFFF00/255", "C0C0C0/255"}, // an edge given as another code
        {14 | kEdgeOf, "C0C0C0/255", "C0C0C0/255"}, {36, "FF0000/128", "800000/255"}, // see-through
        {0x2FF0080, "FF0080/255", "55002A/255"},                                      // direct: its edge darker
        {0x300FF00, "00FF00/128", "005500/255"},                                      // direct, see-through
        {99, "808080/255", "333333/255"}, // no VALUE: unknown, as any code not in the table
        {0x4123456, "808080/255", "333333/255"}};
    for (const auto& [code, face, edge] : colours) {
        EXPECT_EQ(hex(table.face(code)) + " " + hex(table.edge(code)), face + " " + edge) << code;
    }
}

// The canvas alone: which pixels a face covers, and which of two faces shows.
TEST(Canvas, FacesCoverThePixelsWhoseCentresTheyHoldAndTheNearerShows)
{
    const Rgba red{255, 0, 0, 255};
    const Rgba blue{0, 0, 255, 255};
    const struct {
        const char* what;
        std::vector<std::pair<std::array<PicturePoint, 3>, Rgba>> faces; // drawn in this order
        std::string row3;                                                // the pixels of row 3: . R B
    } rows[] = {
        {"one column wide", {{{{{3.2F, 0, 1}, {3.8F, 0, 1}, {3.5F, 8, 1}}}, red}}, "...R...."},
        {"either winding",
         {{{{{0, 0, 1}, {8, 8, 1}, {8, 0, 1}}}, red}, {{{{0, 0, 1}, {0, 8, 1}, {8, 8, 1}}}, blue}},
         "BBBRRRRR"},
        {"the nearer, drawn first",
         {{{{{0, 0, 1}, {8, 0, 1}, {0, 8, 1}}}, red}, {{{{0, 0, 2}, {8, 0, 2}, {8, 8, 2}}}, blue}},
         "RRRRRBBB"},
        {"a face off the canvas", {{{{{-9, 0, 1}, {-1, 0, 1}, {-5, 8, 1}}}, red}}, "........"},
    };
    for (const auto& row : rows) {
        Canvas canvas(8, 8, Rgba{0, 0, 0, 0});
        for (const auto& [corners, colour] : row.faces) {
            const PicturePoint points[3] = {corners[0], corners[1], corners[2]};
            canvas.triangle(points, colour);
        }
        const Picture picture = canvas.shrunk(1);
        std::string seen;
        for (int x = 0; x < 8; ++x) {
            const Pixel p = pixel(picture, x, 3);
            seen += p.a == 0 ? '.' : (p.r == 255 ? 'R' : (p.b == 255 ? 'B' : '?'));
        }
        EXPECT_EQ(seen, row.row3) << row.what;
    }
}

TEST_F(Render, ThePngIsWrittenWholeOrNotAtAll)
{
    const Picture picture{2, 1, {255, 0, 0, 255, 0, 0, 255, 128}};
    ASSERT_TRUE(WritePng(picture, dat.field() + "out.png", fileSystem));
    const std::string png = dat.read("out.png");
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\2\0\0\0\1", 8)); // width and height
    dat.write("folder.png/x", "");
    testing::FaultyFileSystem faulty;
    faulty.failWrite = 1;
    for (auto [path, files, reason] :
         {std::tuple<std::string, FileSystem*, std::string>{dat.field() + "missing" + kSeparator + "out.png",
                                                            &fileSystem, "No such file or directory"},
          {dat.field() + "folder.png", &fileSystem, "Is a directory"},
          {dat.field() + "out.png", &faulty, "No space left on device"}}) {
        const Status written = WritePng(picture, path, *files);
        EXPECT_EQ(written.reason(), reason) << path;
    }
#ifndef _WIN32
    // A pipe or a device is never replaced.
    ASSERT_EQ(mkfifo((dat.path() / "pipe.png").c_str(), 0600), 0);
    EXPECT_EQ(WritePng(picture, dat.field() + "pipe.png", fileSystem).reason(), "Not a regular file");
    EXPECT_TRUE(std::filesystem::is_fifo(dat.path() / "pipe.png"));
    std::filesystem::remove(dat.path() / "pipe.png");
#endif
    EXPECT_EQ(dat.list(), (Names{"folder.png", "out.png"}));
    EXPECT_EQ(dat.read("out.png"), png);
}

} // namespace
} // namespace brikmux
