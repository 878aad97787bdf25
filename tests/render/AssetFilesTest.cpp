// Checks the shipped model and sky-box files against what the loaders and the level
// placement expect: one triangulated mesh with normals and texture coordinates, the
// agreed sizes, a material naming a readable image, and a seamless, upright cube map.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include <array>
#include <cmath>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kModels = "./res/Models/";
const std::string kSky = "./res/skybox/ltblue/";

struct Corner {
    int v = 0, vt = 0, vn = 0;
};

struct ObjFile {
    bool opened = false;
    int objectCount = 0;  // "o" and "g" statements
    std::string mtllib, usemtl;
    std::vector<glm::vec3> positions, normals;
    std::vector<glm::vec2> texCoords;
    std::vector<std::vector<Corner>> faces;
    std::vector<std::string> problems;
};

// Only what our files use; anything unexpected is recorded as a problem.
ObjFile readObj(const std::string& path) {
    ObjFile obj;
    std::ifstream in(path);
    obj.opened = static_cast<bool>(in);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string tag;
        ls >> tag;
        if (tag == "v" || tag == "vn") {
            glm::vec3 p;
            ls >> p.x >> p.y >> p.z;
            (tag == "v" ? obj.positions : obj.normals).push_back(p);
        } else if (tag == "vt") {
            glm::vec2 t;
            ls >> t.x >> t.y;
            obj.texCoords.push_back(t);
        } else if (tag == "o" || tag == "g") {
            ++obj.objectCount;
        } else if (tag == "mtllib") {
            ls >> obj.mtllib;
        } else if (tag == "usemtl") {
            ls >> obj.usemtl;
        } else if (tag == "f") {
            std::vector<Corner> face;
            std::string c;
            while (ls >> c) {
                Corner k;
                char s1 = 0, s2 = 0;
                std::istringstream cs(c);
                if (!(cs >> k.v >> s1 >> k.vt >> s2 >> k.vn) || s1 != '/' || s2 != '/')
                    obj.problems.push_back("corner without v/vt/vn: " + c);
                face.push_back(k);
            }
            obj.faces.push_back(face);
        }
    }
    return obj;
}

struct MtlFile {
    bool opened = false;
    std::string name, mapKd;
    bool hasKd = false, hasNs = false;
    float ns = 0.0f;
};

MtlFile readMtl(const std::string& path) {
    MtlFile m;
    std::ifstream in(path);
    m.opened = static_cast<bool>(in);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string tag;
        ls >> tag;
        if (tag == "newmtl")
            ls >> m.name;
        else if (tag == "Kd")
            m.hasKd = true;
        else if (tag == "Ns")
            m.hasNs = static_cast<bool>(ls >> m.ns);
        else if (tag == "map_Kd")
            ls >> m.mapKd;
    }
    return m;
}

struct Expected {
    const char* name;
    glm::vec3 size;
    float tolerance;
};

const Expected kModelsExpected[] = {
    {"spielfeld", {2.0f * 4.0f * 0.8660254f, 1.0f, 8.0f}, 0.01f},
    {"Character", {4.0f, 2.0f, 1.5f}, 0.05f},
    {"Wall", {14.0f, 8.0f, 2.0f}, 0.05f},
    {"testQuader", {16.0f, 2.0f, 24.0f}, 0.05f},
    {"Fass", {2.0f, 2.4f, 2.0f}, 0.05f},
    {"Smoke", {2.0f, 2.0f, 0.0f}, 0.01f},  // one square, drawn facing the viewer as a ball
};

void PrintTo(const Expected& e, std::ostream* os) { *os << e.name; }

class ModelFile : public ::testing::TestWithParam<Expected> {};

TEST_P(ModelFile, IsOneTriangulatedMeshWithNormalsAndTexCoords) {
    const Expected& e = GetParam();
    const ObjFile obj = readObj(kModels + e.name + ".obj");
    ASSERT_TRUE(obj.opened) << e.name;
    EXPECT_EQ(obj.objectCount, 1) << e.name;
    EXPECT_TRUE(obj.problems.empty()) << e.name << ": " << obj.problems.front();
    ASSERT_FALSE(obj.faces.empty()) << e.name;
    for (const auto& face : obj.faces) {
        ASSERT_EQ(face.size(), 3u) << e.name;
        for (const Corner& c : face) {
            ASSERT_TRUE(c.v >= 1 && c.v <= static_cast<int>(obj.positions.size())) << e.name;
            ASSERT_TRUE(c.vt >= 1 && c.vt <= static_cast<int>(obj.texCoords.size())) << e.name;
            ASSERT_TRUE(c.vn >= 1 && c.vn <= static_cast<int>(obj.normals.size())) << e.name;
        }
    }
}

TEST_P(ModelFile, NormalsAreUnitAndAgreeWithTheWinding) {
    const Expected& e = GetParam();
    const ObjFile obj = readObj(kModels + e.name + ".obj");
    ASSERT_TRUE(obj.opened) << e.name;
    for (const glm::vec3& n : obj.normals)
        EXPECT_NEAR(glm::length(n), 1.0f, 1e-3f) << e.name;
    int against = 0;
    for (const auto& face : obj.faces) {
        if (face.size() != 3)
            continue;
        const glm::vec3 a = obj.positions[face[0].v - 1], b = obj.positions[face[1].v - 1],
                        c = obj.positions[face[2].v - 1];
        const glm::vec3 g = glm::cross(b - a, c - a);
        EXPECT_GT(glm::length(g), 1e-6f) << e.name << ": degenerate triangle";
        glm::vec3 n(0.0f);
        for (const Corner& k : face)
            n += obj.normals[k.vn - 1];
        if (glm::dot(g, n) <= 0.0f)
            ++against;
    }
    EXPECT_EQ(against, 0) << e.name << ": triangles wound against their normals";
}

TEST_P(ModelFile, HasTheAgreedSizeCentredOnTheOrigin) {
    const Expected& e = GetParam();
    const ObjFile obj = readObj(kModels + e.name + ".obj");
    ASSERT_FALSE(obj.positions.empty()) << e.name;
    glm::vec3 lo(obj.positions[0]), hi(obj.positions[0]);
    for (const glm::vec3& p : obj.positions) {
        lo = glm::min(lo, p);
        hi = glm::max(hi, p);
    }
    const glm::vec3 size = hi - lo, centre = (hi + lo) * 0.5f;
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(size[axis], e.size[axis], e.tolerance) << e.name << " axis " << axis;
        EXPECT_NEAR(centre[axis], 0.0f, e.tolerance) << e.name << " axis " << axis;
    }
}

TEST_P(ModelFile, MaterialNamesAReadableSquareTexture) {
    const Expected& e = GetParam();
    const ObjFile obj = readObj(kModels + e.name + ".obj");
    ASSERT_FALSE(obj.mtllib.empty()) << e.name;
    const MtlFile mtl = readMtl(kModels + obj.mtllib);
    ASSERT_TRUE(mtl.opened) << e.name << ": " << obj.mtllib;
    EXPECT_EQ(mtl.name, obj.usemtl) << e.name;
    EXPECT_TRUE(mtl.hasKd) << e.name;
    EXPECT_TRUE(mtl.hasNs) << e.name;
    EXPECT_GT(mtl.ns, 0.0f) << e.name;
    ASSERT_FALSE(mtl.mapKd.empty()) << e.name;
    EXPECT_EQ(mtl.mapKd.find('/'), std::string::npos) << "texture must lie beside the model";
    const std::string image = kModels + mtl.mapKd;
    ASSERT_EQ(FreeImage_GetFileType(image.c_str(), 0), FIF_PNG) << image;
    FIBITMAP* bmp = FreeImage_Load(FIF_PNG, image.c_str(), 0);
    ASSERT_NE(bmp, nullptr) << image;
    const unsigned w = FreeImage_GetWidth(bmp), h = FreeImage_GetHeight(bmp);
    FreeImage_Unload(bmp);
    EXPECT_EQ(w, h) << image;
    EXPECT_TRUE(w == 256 || w == 512) << image << " is " << w << " wide";
}

INSTANTIATE_TEST_SUITE_P(AllModels, ModelFile, ::testing::ValuesIn(kModelsExpected),
                         [](const ::testing::TestParamInfo<Expected>& info) { return info.param.name; });

// Rows of tiles are laid 0.75 tile depths apart with odd rows shifted by half a width;
// that only closes up if the corners point along z and the flat sides face x.
TEST(HexTileFile, TopIsARegularHexagonWithCornersOnZ) {
    const ObjFile obj = readObj(kModels + "spielfeld.obj");
    ASSERT_TRUE(obj.opened);
    std::vector<glm::vec3> top;
    for (const glm::vec3& p : obj.positions)
        if (std::fabs(p.y - 0.5f) < 1e-4f && glm::length(glm::vec2(p.x, p.z)) > 1.0f)
            top.push_back(p);
    ASSERT_EQ(top.size(), 6u);
    for (int k = 0; k < 6; ++k) {
        const float a = 1.5707963f + k * 1.0471976f;
        const glm::vec3 want(4.0f * std::cos(a), 0.5f, 4.0f * std::sin(a));
        bool found = false;
        for (const glm::vec3& p : top)
            found = found || glm::length(p - want) < 1e-3f;
        EXPECT_TRUE(found) << "no corner at angle " << k * 60 + 90;
    }
}

// ---------------------------------------------------------------- sky box

constexpr int kSkySize = 512;
const char* const kFaceFiles[6] = {"left.png", "right.png", "top.png", "bot.png", "back.png", "front.png"};

// The six faces as the sky box uploads them: 32 bit, flipped vertically, so row t of the
// bits is row t of the GL face image.
class SkyFaces : public ::testing::Test {
protected:
    std::array<FIBITMAP*, 6> faces{};

    void SetUp() override {
        for (int f = 0; f < 6; ++f) {
            const std::string path = kSky + kFaceFiles[f];
            FIBITMAP* raw = FreeImage_Load(FreeImage_GetFileType(path.c_str(), 0), path.c_str(), 0);
            ASSERT_NE(raw, nullptr) << path;
            faces[f] = FreeImage_ConvertTo32Bits(raw);
            FreeImage_Unload(raw);
            FreeImage_FlipVertical(faces[f]);
        }
    }
    void TearDown() override {
        for (FIBITMAP* b : faces)
            if (b)
                FreeImage_Unload(b);
    }

    glm::vec3 texel(int face, int s, int t) const {
        const BYTE* row = FreeImage_GetBits(faces[face]) + t * FreeImage_GetPitch(faces[face]);
        const BYTE* px = row + 4 * s;
        return glm::vec3(px[FI_RGBA_RED], px[FI_RGBA_GREEN], px[FI_RGBA_BLUE]);
    }

    // Direction through the centre of a texel; s' and t' in (-1, 1).
    static glm::vec3 direction(int face, float sp, float tp) {
        switch (face) {
        case 0: return {1.0f, -tp, -sp};
        case 1: return {-1.0f, -tp, sp};
        case 2: return {sp, 1.0f, tp};
        case 3: return {sp, -1.0f, -tp};
        case 4: return {sp, -tp, 1.0f};
        default: return {-sp, -tp, -1.0f};
        }
    }

    // The texel OpenGL samples for a direction (major axis, then sc, tc, ma).
    static void lookup(const glm::vec3& d, int& face, int& s, int& t) {
        const glm::vec3 a = glm::abs(d);
        float sc, tc, ma;
        if (a.x >= a.y && a.x >= a.z) {
            face = d.x > 0 ? 0 : 1;
            sc = d.x > 0 ? -d.z : d.z;
            tc = -d.y;
            ma = a.x;
        } else if (a.y >= a.z) {
            face = d.y > 0 ? 2 : 3;
            sc = d.x;
            tc = d.y > 0 ? d.z : -d.z;
            ma = a.y;
        } else {
            face = d.z > 0 ? 4 : 5;
            sc = d.z > 0 ? d.x : -d.x;
            tc = -d.y;
            ma = a.z;
        }
        auto toTexel = [](float c, float m) {
            const int i = static_cast<int>(std::floor((c / m + 1.0f) * 0.5f * kSkySize));
            return std::min(std::max(i, 0), kSkySize - 1);
        };
        s = toTexel(sc, ma);
        t = toTexel(tc, ma);
    }

    static float coord(int i) { return (i + 0.5f) * 2.0f / kSkySize - 1.0f; }
};

TEST_F(SkyFaces, AreSquare512) {
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(FreeImage_GetWidth(faces[f]), static_cast<unsigned>(kSkySize)) << kFaceFiles[f];
        EXPECT_EQ(FreeImage_GetHeight(faces[f]), static_cast<unsigned>(kSkySize)) << kFaceFiles[f];
    }
}

TEST_F(SkyFaces, NeighbouringFacesAgreeAlongTheirEdges) {
    const float step = 2.0f / kSkySize;
    double sum = 0.0;
    float worst = 0.0f;
    int count = 0;
    for (int f = 0; f < 6; ++f) {
        for (int i = 0; i < kSkySize; ++i) {
            // The four border texels at i, each with the texel just across its edge.
            const int border[4][2] = {{0, i}, {kSkySize - 1, i}, {i, 0}, {i, kSkySize - 1}};
            for (int e = 0; e < 4; ++e) {
                const int s = border[e][0], t = border[e][1];
                float sp = coord(s), tp = coord(t);
                if (e == 0) sp -= step;
                if (e == 1) sp += step;
                if (e == 2) tp -= step;
                if (e == 3) tp += step;
                int nf, ns, nt;
                lookup(direction(f, sp, tp), nf, ns, nt);
                ASSERT_NE(nf, f) << "stepping off " << kFaceFiles[f] << " stayed on it";
                const glm::vec3 diff = glm::abs(texel(f, s, t) - texel(nf, ns, nt));
                const float d = std::max({diff.r, diff.g, diff.b});
                worst = std::max(worst, d);
                sum += d;
                ++count;
            }
        }
    }
    // Neighbouring texels inside a face differ by a few levels at most; a wrongly turned
    // or swapped face shows differences of tens of levels along whole edges.
    EXPECT_LE(sum / count, 2.0) << "mean difference across the seams";
    EXPECT_LE(worst, 16.0f) << "largest difference across a seam";
}

// Upright after the loader's flip: the sky above the horizon is a deeper blue than below.
TEST_F(SkyFaces, SkyIsBluerAboveTheHorizonThanBelow) {
    double above = 0.0, below = 0.0, horizon = 0.0;
    int nAbove = 0, nBelow = 0, nHorizon = 0;
    for (int f = 0; f < 6; ++f)
        for (int t = 0; t < kSkySize; t += 4)
            for (int s = 0; s < kSkySize; s += 4) {
                const glm::vec3 c = texel(f, s, t);
                const float blueness = c.b - c.r;
                const float y = glm::normalize(direction(f, coord(s), coord(t))).y;
                if (y > 0.3f && y < 0.6f) {
                    above += blueness;
                    ++nAbove;
                } else if (y < -0.3f && y > -0.6f) {
                    below += blueness;
                    ++nBelow;
                } else if (std::fabs(y) < 0.02f) {
                    horizon += blueness;
                    ++nHorizon;
                }
            }
    ASSERT_GT(nAbove, 0);
    ASSERT_GT(nBelow, 0);
    ASSERT_GT(nHorizon, 0);
    EXPECT_GT(above / nAbove, below / nBelow + 20.0);
    EXPECT_GT(above / nAbove, horizon / nHorizon + 20.0) << "the horizon should be pale";
    // Light blue overall: blue channel strong everywhere.
    for (int f = 0; f < 6; ++f)
        EXPECT_GT(texel(f, kSkySize / 2, kSkySize / 2).b, 150.0f) << kFaceFiles[f];
}

}  // namespace
