// Writes the game's models (OBJ + MTL + diffuse PNG) and the six sky-box faces into a
// res/ folder. Everything is procedural and seeded by fixed numbers, so every run
// writes the same files.
//
// Usage: make_assets <path of res folder>
//
// Texture convention: OBJ texture coordinates have v = 0 at the bottom of the image.
// The game flips both the images (FreeImage) and the coordinates (FlipUVs), which cancel.
#include <FreeImage.h>

#include <glm/glm.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using glm::vec2;
using glm::vec3;

constexpr float kPi = 3.14159265358979f;

// ---------------------------------------------------------------- noise

uint32_t hash4(int x, int y, int z, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h = (h << 11) | (h >> 21);
    h ^= static_cast<uint32_t>(z) * 0x27D4EB2Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float rand01(int x, int y, int z, uint32_t seed) {
    return static_cast<float>(hash4(x, y, z, seed) >> 8) / 16777215.0f;
}

float fade(float t) { return t * t * (3.0f - 2.0f * t); }

int wrap(int i, int period) {
    if (period <= 0)
        return i;
    const int m = i % period;
    return m < 0 ? m + period : m;
}

// Value noise in [0, 1]; a positive period makes it tile along that axis.
float noise2(float x, float y, int periodX, int periodY, uint32_t seed) {
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    const float fx = fade(x - ix);
    const float fy = fade(y - iy);
    auto at = [&](int dx, int dy) {
        return rand01(wrap(ix + dx, periodX), wrap(iy + dy, periodY), 0, seed);
    };
    const float a = at(0, 0) + (at(1, 0) - at(0, 0)) * fx;
    const float b = at(0, 1) + (at(1, 1) - at(0, 1)) * fx;
    return a + (b - a) * fy;
}

// Fractal noise in about [0, 1]; tiles with (periodX, periodY) at the base frequency.
float fbm2(float x, float y, int periodX, int periodY, int octaves, uint32_t seed) {
    float sum = 0.0f, amp = 0.5f, norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * noise2(x, y, periodX, periodY, seed + o * 101u);
        norm += amp;
        x *= 2.0f;
        y *= 2.0f;
        periodX *= 2;
        periodY *= 2;
        amp *= 0.5f;
    }
    return sum / norm;
}

float smooth(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

vec3 mix(const vec3& a, const vec3& b, float t) { return a + (b - a) * t; }

// ---------------------------------------------------------------- images

// RGB float image; y counts rows from the top of the picture.
struct Image {
    int w, h;
    std::vector<vec3> px;
    Image(int width, int height) : w(width), h(height), px(width * height, vec3(0.0f)) {}
    vec3& at(int x, int y) { return px[y * w + x]; }

    template <class F>
    void fill(int x0, int y0, int cw, int ch, F&& f) {
        for (int y = y0; y < y0 + ch; ++y)
            for (int x = x0; x < x0 + cw; ++x)
                at(x, y) = f((x - x0 + 0.5f) / cw, (y - y0 + 0.5f) / ch, x, y);
    }

    bool save(const std::string& file) const {
        FIBITMAP* bmp = FreeImage_Allocate(w, h, 24);
        if (!bmp)
            return false;
        for (int y = 0; y < h; ++y) {
            // FreeImage keeps rows bottom-up.
            BYTE* line = FreeImage_GetScanLine(bmp, h - 1 - y);
            for (int x = 0; x < w; ++x) {
                const vec3 c = glm::clamp(px[y * w + x], 0.0f, 1.0f);
                line[x * 3 + FI_RGBA_RED] = static_cast<BYTE>(std::lround(c.r * 255.0f));
                line[x * 3 + FI_RGBA_GREEN] = static_cast<BYTE>(std::lround(c.g * 255.0f));
                line[x * 3 + FI_RGBA_BLUE] = static_cast<BYTE>(std::lround(c.b * 255.0f));
            }
        }
        const bool ok = FreeImage_Save(FIF_PNG, bmp, file.c_str(), PNG_Z_BEST_COMPRESSION) != 0;
        FreeImage_Unload(bmp);
        return ok;
    }
};

// ---------------------------------------------------------------- meshes

struct Vtx {
    vec3 p, n;
    vec2 uv;
};

struct MeshBuilder {
    std::vector<Vtx> v;
    std::vector<std::array<int, 3>> tris;

    int add(const vec3& p, const vec3& n, const vec2& uv) {
        v.push_back({p, glm::normalize(n), uv});
        return static_cast<int>(v.size()) - 1;
    }
    // Winding follows the vertex normals, so every triangle is counter-clockwise from outside.
    void tri(int a, int b, int c) {
        const vec3 g = glm::cross(v[b].p - v[a].p, v[c].p - v[a].p);
        if (glm::dot(g, v[a].n + v[b].n + v[c].n) < 0.0f)
            std::swap(b, c);
        tris.push_back({a, b, c});
    }
    void quad(int a, int b, int c, int d) {
        tri(a, b, c);
        tri(a, c, d);
    }
    void append(const MeshBuilder& o) {
        const int base = static_cast<int>(v.size());
        v.insert(v.end(), o.v.begin(), o.v.end());
        for (const auto& t : o.tris)
            tris.push_back({t[0] + base, t[1] + base, t[2] + base});
    }
};

// Face order of boxes: +x, -x, +y, -y, +z, -z.
const std::array<vec3, 6> kFaceNormals = {vec3(1, 0, 0), vec3(-1, 0, 0), vec3(0, 1, 0),
                                          vec3(0, -1, 0), vec3(0, 0, 1), vec3(0, 0, -1)};

// (face, s, t, world position) -> texture coordinate; s runs to the right and t up as the
// face is seen from outside, both in [0, 1].
using FaceUv = std::function<vec2(int face, float s, float t, const vec3& p)>;

// up: the direction that is "up" on the side faces; the two faces along up use upAlt.
void addBox(MeshBuilder& m, const vec3& lo, const vec3& hi, const vec3& up, const vec3& upAlt,
            const FaceUv& uvOf) {
    const vec3 c = (lo + hi) * 0.5f;
    const vec3 half = (hi - lo) * 0.5f;
    for (int f = 0; f < 6; ++f) {
        const vec3 n = kFaceNormals[f];
        const vec3 u = std::fabs(glm::dot(n, up)) > 0.5f ? upAlt : up;
        const vec3 r = glm::cross(u, n);
        const vec3 centre = c + n * glm::abs(glm::dot(n, half));
        const float hr = std::fabs(glm::dot(glm::abs(r), half));
        const float hu = std::fabs(glm::dot(glm::abs(u), half));
        int idx[4];
        const float st[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (int k = 0; k < 4; ++k) {
            const vec3 p = centre + r * ((st[k][0] * 2 - 1) * hr) + u * ((st[k][1] * 2 - 1) * hu);
            idx[k] = m.add(p, n, uvOf(f, st[k][0], st[k][1], p));
        }
        m.quad(idx[0], idx[1], idx[2], idx[3]);
    }
}

std::string num(float f) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.5f", static_cast<double>(f));
    std::string s(buf);
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    if (s == "-0" || s.empty())
        s = "0";
    return s;
}

struct Material {
    vec3 kd;
    float ns;
};

// One object, one material, triangles with position/texcoord/normal on every corner.
bool writeObj(const std::string& dir, const std::string& name, const MeshBuilder& m,
              const Material& mat) {
    std::map<std::string, int> vIdx, tIdx, nIdx;
    std::ostringstream vs, ts, ns, fs;
    auto index = [](std::map<std::string, int>& table, std::ostringstream& out,
                    const char* tag, const std::string& text) {
        auto it = table.find(text);
        if (it != table.end())
            return it->second;
        const int i = static_cast<int>(table.size()) + 1;
        table.emplace(text, i);
        out << tag << ' ' << text << '\n';
        return i;
    };
    std::vector<std::array<int, 3>> corner(m.v.size());
    for (size_t i = 0; i < m.v.size(); ++i) {
        const Vtx& x = m.v[i];
        corner[i][0] = index(vIdx, vs, "v", num(x.p.x) + ' ' + num(x.p.y) + ' ' + num(x.p.z));
        corner[i][1] = index(tIdx, ts, "vt", num(x.uv.x) + ' ' + num(x.uv.y));
        corner[i][2] = index(nIdx, ns, "vn", num(x.n.x) + ' ' + num(x.n.y) + ' ' + num(x.n.z));
    }
    for (const auto& t : m.tris) {
        fs << 'f';
        for (int k = 0; k < 3; ++k)
            fs << ' ' << corner[t[k]][0] << '/' << corner[t[k]][1] << '/' << corner[t[k]][2];
        fs << '\n';
    }
    const std::string matName = name + "Material";
    std::ofstream obj(dir + "/" + name + ".obj");
    obj << "# " << name << " - written by tools/make_assets\n"
        << "mtllib " << name << ".mtl\n"
        << "o " << name << '\n'
        << vs.str() << ts.str() << ns.str() << "usemtl " << matName << '\n'
        << fs.str();
    std::ofstream mtl(dir + "/" + name + ".mtl");
    mtl << "# " << name << " - written by tools/make_assets\n"
        << "newmtl " << matName << '\n'
        << "Ka 0.1 0.1 0.1\n"
        << "Kd " << num(mat.kd.r) << ' ' << num(mat.kd.g) << ' ' << num(mat.kd.b) << '\n'
        << "Ks 0.3 0.3 0.3\n"
        << "Ns " << num(mat.ns) << '\n'
        << "d 1\n"
        << "illum 2\n"
        << "map_Kd " << name << ".png\n";
    return static_cast<bool>(obj) && static_cast<bool>(mtl);
}

// Maps s, t in [0, 1] into a pixel rectangle of a square atlas (y from the top), inset by
// one pixel so linear filtering does not pick up the neighbour.
vec2 atlasUv(int size, int x0, int y0, int cw, int ch, float s, float t) {
    const float x = x0 + 1.0f + s * (cw - 2.0f);
    const float yTop = y0 + 1.0f + (1.0f - t) * (ch - 2.0f);
    return vec2(x / size, 1.0f - yTop / size);
}

// ---------------------------------------------------------------- hex tile

constexpr float kHexRadius = 4.0f;
constexpr float kHexHalfThick = 0.5f;
constexpr int kHexTex = 512;
constexpr int kHexTopPx = 448;  // the top picture is the upper 512 x 448 block
constexpr float kHexPxPerUnit = kHexTopPx / (2.0f * kHexRadius);

vec2 hexTopUv(float x, float z) {
    const float px = kHexTex * 0.5f + x * kHexPxPerUnit;
    const float py = kHexTopPx * 0.5f - z * kHexPxPerUnit;  // +z is up in the picture
    return vec2(px / kHexTex, 1.0f - py / kHexTex);
}

// Distance from (x, z) to the nearest edge of the tile's hexagon, positive inside.
float hexEdgeDistance(float x, float z) {
    const float apothem = kHexRadius * std::cos(kPi / 6.0f);
    const float s = std::sin(kPi / 3.0f), c = std::cos(kPi / 3.0f);
    const float d = std::max({std::fabs(x), std::fabs(x * c + z * s), std::fabs(x * c - z * s)});
    return apothem - d;
}

MeshBuilder hexTileMesh() {
    MeshBuilder m;
    vec3 corner[6];
    for (int k = 0; k < 6; ++k) {
        const float a = kPi / 2.0f + k * kPi / 3.0f;  // first corner on +z
        corner[k] = vec3(kHexRadius * std::cos(a), 0.0f, kHexRadius * std::sin(a));
    }
    for (float side : {1.0f, -1.0f}) {
        const vec3 n(0.0f, side, 0.0f);
        const float y = side * kHexHalfThick;
        const int centre = m.add(vec3(0, y, 0), n, hexTopUv(0, 0));
        int ring[6];
        for (int k = 0; k < 6; ++k)
            ring[k] = m.add(vec3(corner[k].x, y, corner[k].z), n, hexTopUv(corner[k].x, corner[k].z));
        for (int k = 0; k < 6; ++k)
            m.tri(centre, ring[k], ring[(k + 1) % 6]);
    }
    // Sides: a 256 x 64 pixel strip each (4 x 1 units), alternating halves of the bottom band.
    for (int k = 0; k < 6; ++k) {
        const vec3 a = corner[k], b = corner[(k + 1) % 6];
        const vec3 n = glm::normalize((a + b) * 0.5f);
        const float u0 = (k % 2) * 0.5f, u1 = u0 + 0.5f;
        const float v0 = 1.0f / kHexTex, v1 = (kHexTex - kHexTopPx - 1.0f) / kHexTex;
        const int i0 = m.add(vec3(a.x, -kHexHalfThick, a.z), n, vec2(u0, v0));
        const int i1 = m.add(vec3(b.x, -kHexHalfThick, b.z), n, vec2(u1, v0));
        const int i2 = m.add(vec3(b.x, kHexHalfThick, b.z), n, vec2(u1, v1));
        const int i3 = m.add(vec3(a.x, kHexHalfThick, a.z), n, vec2(u0, v1));
        m.quad(i0, i1, i2, i3);
    }
    return m;
}

Image hexTileTexture() {
    Image img(kHexTex, kHexTex);
    const vec3 slate(0.84f, 0.84f, 0.81f);
    img.fill(0, 0, kHexTex, kHexTopPx, [&](float, float, int px, int py) {
        const float x = (px + 0.5f - kHexTex * 0.5f) / kHexPxPerUnit;
        const float z = (kHexTopPx * 0.5f - py - 0.5f) / kHexPxPerUnit;
        const float mottled = fbm2(x * 0.9f, z * 0.9f, 0, 0, 5, 11u) - 0.5f;
        const float fine = noise2(x * 9.0f, z * 9.0f, 0, 0, 12u) - 0.5f;
        // Thin dark veins where a stretched noise crosses its middle value.
        const float vein = std::fabs(fbm2(x * 0.5f + z * 0.3f, z * 1.4f, 0, 0, 4, 13u) - 0.5f);
        vec3 c = slate * (1.0f + 0.10f * mottled + 0.04f * fine);
        c *= 1.0f - 0.10f * (1.0f - smooth(0.0f, 0.012f, vein));
        const float edge = hexEdgeDistance(x, z);
        c *= 1.0f - 0.14f * (1.0f - smooth(0.12f, 0.35f, edge));  // worn rim
        c += vec3(0.05f) * (smooth(0.36f, 0.42f, edge) * (1.0f - smooth(0.42f, 0.5f, edge)));
        return c;
    });
    const vec3 sideStone(0.66f, 0.66f, 0.63f);
    img.fill(0, kHexTopPx, kHexTex, kHexTex - kHexTopPx, [&](float s, float t, int, int) {
        const float strata = noise2(s * 8.0f, t * 10.0f, 0, 0, 14u) - 0.5f;
        const float grain = noise2(s * 60.0f, t * 12.0f, 0, 0, 15u) - 0.5f;
        vec3 c = sideStone * (1.0f + 0.10f * strata + 0.05f * grain);
        c *= 1.0f - 0.12f * (1.0f - smooth(0.0f, 0.15f, t)) - 0.08f * (1.0f - smooth(0.0f, 0.12f, 1.0f - t));
        return c;
    });
    return img;
}

// ---------------------------------------------------------------- character

constexpr int kCharTex = 512;
constexpr int kCell = 128;

enum Cell { Face, HeadSide, Hair, Skin, ShirtFront, Shirt, Sleeve, Backpack, Trousers, Shoe, SkinDark };

vec3 skinColour(float s, float t, uint32_t seed) {
    return vec3(0.98f, 0.80f, 0.66f) * (0.97f + 0.06f * noise2(s * 12, t * 12, 0, 0, seed));
}

float disc(float s, float t, float cx, float cy, float r) {
    const float d = std::hypot(s - cx, t - cy);
    return 1.0f - smooth(r - 0.012f, r + 0.012f, d);
}

// Slight darkening towards the cell border gives each box face a visible outline.
float cellShade(float s, float t) {
    const float e = std::min({s, t, 1.0f - s, 1.0f - t});
    return 0.80f + 0.20f * smooth(0.0f, 0.10f, e);
}

vec3 paintCell(int cell, float s, float t) {
    // s to the right, t downwards, both in [0, 1].
    switch (cell) {
    case Face: {
        vec3 c = skinColour(s, t, 21u);
        c = mix(c, vec3(0.97f, 0.62f, 0.58f), 0.5f * disc(s, t, 0.2f, 0.66f, 0.09f));
        c = mix(c, vec3(0.97f, 0.62f, 0.58f), 0.5f * disc(s, t, 0.8f, 0.66f, 0.09f));
        for (float ex : {0.31f, 0.69f}) {
            c = mix(c, vec3(1.0f), disc(s, t, ex, 0.46f, 0.12f));
            c = mix(c, vec3(0.10f, 0.18f, 0.45f), disc(s, t, ex, 0.48f, 0.07f));
            c = mix(c, vec3(0.02f), disc(s, t, ex, 0.48f, 0.035f));
            c = mix(c, vec3(1.0f), disc(s, t, ex - 0.025f, 0.455f, 0.018f));
            // Eyebrow.
            const float brow = std::fabs(t - (0.29f + 1.2f * (s - ex) * (s - ex)));
            if (std::fabs(s - ex) < 0.11f)
                c = mix(c, vec3(0.25f, 0.14f, 0.06f), 1.0f - smooth(0.012f, 0.024f, brow));
        }
        // Smile: a band of a circle below the eyes.
        const float ring = std::fabs(std::hypot(s - 0.5f, t - 0.52f) - 0.24f);
        if (t > 0.66f)
            c = mix(c, vec3(0.55f, 0.12f, 0.12f), 1.0f - smooth(0.014f, 0.026f, ring));
        // Fringe.
        const float fringe = 0.13f + 0.04f * std::sin(s * 31.0f);
        if (t < fringe)
            c = vec3(0.32f, 0.19f, 0.08f) * (0.9f + 0.2f * noise2(s * 40, t * 8, 0, 0, 22u));
        return c * cellShade(s, t);
    }
    case HeadSide: {
        vec3 c = skinColour(s, t, 23u);
        c = mix(c, vec3(0.93f, 0.70f, 0.58f), disc(s, t, 0.5f, 0.5f, 0.12f));  // ear
        if (t < 0.34f + 0.05f * std::sin(s * 19.0f))
            c = vec3(0.32f, 0.19f, 0.08f) * (0.9f + 0.2f * noise2(s * 40, t * 8, 0, 0, 24u));
        return c * cellShade(s, t);
    }
    case Hair:
        return vec3(0.32f, 0.19f, 0.08f) * (0.85f + 0.3f * noise2(s * 48, t * 6, 0, 0, 25u)) *
               cellShade(s, t);
    case Skin:
        return skinColour(s, t, 26u) * cellShade(s, t);
    case SkinDark:
        return vec3(0.93f, 0.68f, 0.56f) * cellShade(s, t);
    case ShirtFront: {
        vec3 c = vec3(0.16f, 0.36f, 0.86f) * (0.95f + 0.1f * noise2(s * 30, t * 30, 0, 0, 27u));
        // Collar at the top, a yellow badge on the chest, a belt at the bottom.
        if (t < 0.1f && std::fabs(s - 0.5f) < 0.25f - t)
            c = vec3(0.95f);
        const float badge = std::hypot(s - 0.5f, t - 0.42f);
        c = mix(c, vec3(0.85f, 0.62f, 0.05f), 1.0f - smooth(0.17f, 0.19f, badge));
        c = mix(c, vec3(1.0f, 0.86f, 0.2f), 1.0f - smooth(0.13f, 0.15f, badge));
        // A lightning stripe on the badge.
        const float bolt = std::fabs((s - 0.5f) + 0.5f * (t - 0.42f) - 0.06f * std::sin(t * 40.0f));
        if (badge < 0.12f)
            c = mix(c, vec3(0.85f, 0.2f, 0.1f), 1.0f - smooth(0.02f, 0.035f, bolt));
        if (t > 0.86f)
            c = vec3(0.25f, 0.16f, 0.08f);
        if (t > 0.86f && std::fabs(s - 0.5f) < 0.07f)
            c = vec3(0.85f, 0.75f, 0.3f);
        return c * cellShade(s, t);
    }
    case Shirt: {
        vec3 c = vec3(0.16f, 0.36f, 0.86f) * (0.95f + 0.1f * noise2(s * 30, t * 30, 0, 0, 28u));
        if (t > 0.86f)
            c = vec3(0.25f, 0.16f, 0.08f);
        return c * cellShade(s, t);
    }
    case Sleeve: {
        vec3 c = vec3(0.2f, 0.42f, 0.92f) * (0.95f + 0.1f * noise2(s * 30, t * 30, 0, 0, 29u));
        if (std::fabs(t - 0.25f) < 0.05f)
            c = vec3(0.95f);
        return c * cellShade(s, t);
    }
    case Backpack: {
        vec3 c = vec3(0.95f, 0.52f, 0.1f) * (0.93f + 0.12f * noise2(s * 24, t * 24, 0, 0, 30u));
        if (std::fabs(s - 0.25f) < 0.05f || std::fabs(s - 0.75f) < 0.05f)
            c = vec3(0.35f, 0.22f, 0.12f);
        if (std::fabs(t - 0.6f) < 0.04f)
            c = vec3(0.3f, 0.3f, 0.32f);
        return c * cellShade(s, t);
    }
    case Trousers: {
        const float twill = 0.5f + 0.5f * std::sin((s + t) * 160.0f);
        return vec3(0.13f, 0.16f, 0.34f) * (0.9f + 0.12f * twill +
                                            0.1f * noise2(s * 20, t * 20, 0, 0, 31u)) *
               cellShade(s, t);
    }
    case Shoe: {
        vec3 c = vec3(0.78f, 0.14f, 0.10f) * (0.95f + 0.1f * noise2(s * 20, t * 20, 0, 0, 32u));
        if (t > 0.78f)
            c = vec3(0.92f, 0.92f, 0.88f);
        return c * cellShade(s, t);
    }
    default:
        return vec3(1.0f, 0.0f, 1.0f);
    }
}

Image characterTexture() {
    Image img(kCharTex, kCharTex);
    img.fill(0, 0, kCharTex, kCharTex, [](float, float, int, int) { return vec3(0.5f); });
    for (int cell = Face; cell <= SkinDark; ++cell) {
        const int x0 = (cell % 4) * kCell, y0 = (cell / 4) * kCell;
        img.fill(x0, y0, kCell, kCell, [cell](float s, float t, int, int) { return paintCell(cell, s, t); });
    }
    return img;
}

// Cells for the faces +x, -x, +y, -y, +z, -z of one body part.
using PartCells = std::array<int, 6>;

void addPart(MeshBuilder& m, const vec3& lo, const vec3& hi, const PartCells& cells) {
    // The figure stands along +x and looks along +z.
    addBox(m, lo, hi, vec3(1, 0, 0), vec3(0, 0, -1), [&](int f, float s, float t, const vec3&) {
        const int cell = cells[f];
        return atlasUv(kCharTex, (cell % 4) * kCell, (cell / 4) * kCell, kCell, kCell, s, t);
    });
}

PartCells all(int cell) { return {cell, cell, cell, cell, cell, cell}; }

MeshBuilder characterMesh() {
    MeshBuilder m;
    addPart(m, {1.1f, -0.5f, -0.5f}, {2.0f, 0.5f, 0.5f}, {Hair, Skin, HeadSide, HeadSide, Face, Hair});
    addPart(m, {1.38f, -0.08f, 0.5f}, {1.56f, 0.08f, 0.62f}, all(SkinDark));  // nose
    addPart(m, {0.95f, -0.2f, -0.2f}, {1.1f, 0.2f, 0.2f}, all(Skin));       // neck
    addPart(m, {-0.45f, -0.62f, -0.42f}, {0.95f, 0.62f, 0.42f},
            {Shirt, Shirt, Shirt, Shirt, ShirtFront, Shirt});
    addPart(m, {-0.2f, -0.45f, -0.75f}, {0.8f, 0.45f, -0.42f}, all(Backpack));
    for (float side : {1.0f, -1.0f}) {
        const float a = 0.64f * side, b = 1.0f * side;
        addPart(m, {-0.35f, std::min(a, b), -0.25f}, {0.9f, std::max(a, b), 0.25f}, all(Sleeve));
        const float ha = 0.66f * side, hb = 0.98f * side;
        addPart(m, {-0.65f, std::min(ha, hb), -0.2f}, {-0.35f, std::max(ha, hb), 0.2f}, all(Skin));
        const float la = 0.08f * side, lb = 0.55f * side;
        addPart(m, {-1.8f, std::min(la, lb), -0.32f}, {-0.75f, std::max(la, lb), 0.32f}, all(Trousers));
        const float fa = 0.06f * side, fb = 0.57f * side;
        addPart(m, {-2.0f, std::min(fa, fb), -0.36f}, {-1.8f, std::max(fa, fb), 0.75f}, all(Shoe));
    }
    addPart(m, {-0.75f, -0.6f, -0.38f}, {-0.45f, 0.6f, 0.38f}, all(Trousers));  // hips
    return m;
}

// ---------------------------------------------------------------- wall (bricks)

constexpr int kBrickTex = 512;
constexpr float kBrickTexUnits = 4.0f;  // world units covered by one copy of the texture

Image brickTexture() {
    Image img(kBrickTex, kBrickTex);
    const int rows = 8, perRow = 4;
    const float bw = static_cast<float>(kBrickTex) / perRow, bh = static_cast<float>(kBrickTex) / rows;
    img.fill(0, 0, kBrickTex, kBrickTex, [&](float s, float t, int px, int py) {
        const int row = static_cast<int>((py + 0.5f) / bh);
        const float shift = (row % 2) * bw * 0.5f;
        const float lx = std::fmod(px + 0.5f + shift, static_cast<float>(kBrickTex));
        const int col = static_cast<int>(lx / bw);
        const float bx = lx - col * bw, by = py + 0.5f - row * bh;
        const float edge = std::min({bx, bw - bx, by, bh - by});
        const float mortarWidth = 5.0f;
        const float n = fbm2(s * 16.0f, t * 16.0f, 16, 16, 4, 41u) - 0.5f;
        const vec3 mortar = vec3(0.74f, 0.72f, 0.68f) * (1.0f + 0.25f * n);
        const float tone = rand01(col, row, 0, 42u);
        vec3 brick = mix(vec3(0.62f, 0.24f, 0.16f), vec3(0.74f, 0.36f, 0.22f), tone);
        if (rand01(col, row, 1, 42u) > 0.85f)
            brick *= 0.78f;  // the odd burnt brick
        brick *= 1.0f + 0.3f * n + 0.08f * (noise2(s * 128, t * 128, 128, 128, 43u) - 0.5f);
        brick *= 0.85f + 0.15f * smooth(mortarWidth, mortarWidth + 6.0f, edge);
        return mix(mortar, brick, smooth(mortarWidth - 1.0f, mortarWidth + 1.0f, edge));
    });
    return img;
}

// Texture coordinates in world units, so bricks and planks keep their size on every face.
vec2 worldUv(int f, const vec3& p, float unitsPerTexture, bool planksAcrossSides) {
    vec2 uv;
    switch (f) {
    case 0: uv = vec2(-p.z, p.y); break;
    case 1: uv = vec2(p.z, p.y); break;
    case 2: uv = vec2(p.x, -p.z); break;
    case 3: uv = vec2(-p.x, -p.z); break;
    case 4: uv = vec2(p.x, p.y); break;
    default: uv = vec2(-p.x, p.y); break;
    }
    if (planksAcrossSides && f != 2 && f != 3)
        uv = vec2(uv.y, uv.x);
    return uv / unitsPerTexture;
}

MeshBuilder boxMesh(const vec3& size, float unitsPerTexture, bool planksAcrossSides) {
    MeshBuilder m;
    addBox(m, -size * 0.5f, size * 0.5f, vec3(0, 1, 0), vec3(0, 0, -1),
           [&](int f, float, float, const vec3& p) { return worldUv(f, p, unitsPerTexture, planksAcrossSides); });
    return m;
}

// ---------------------------------------------------------------- platform (planks)

constexpr int kPlankTex = 512;
constexpr float kPlankTexUnits = 8.0f;

Image plankTexture() {
    Image img(kPlankTex, kPlankTex);
    const int planks = 8;
    const float pw = static_cast<float>(kPlankTex) / planks;
    img.fill(0, 0, kPlankTex, kPlankTex, [&](float s, float t, int px, int py) {
        const int plank = static_cast<int>((px + 0.5f) / pw);
        const float bx = px + 0.5f - plank * pw;
        // Each plank has one butt joint at its own height.
        const float joint = rand01(plank, 0, 0, 51u) * kPlankTex;
        const float dy = std::fabs(std::fmod(py + 0.5f - joint + kPlankTex, static_cast<float>(kPlankTex)));
        const float jointDist = std::min(dy, kPlankTex - dy);
        vec3 c = mix(vec3(0.56f, 0.38f, 0.21f), vec3(0.70f, 0.50f, 0.30f), rand01(plank, 0, 0, 53u));
        const float grain = fbm2(s * 64.0f, t * 4.0f, 64, 4, 4, 52u + plank * 7u);
        const float rings = 0.5f + 0.5f * std::sin(grain * 40.0f);
        c *= 0.86f + 0.14f * rings + 0.08f * (noise2(s * 256, t * 64, 256, 64, 54u) - 0.5f);
        const float gap = std::min(bx, pw - bx);
        c *= 0.45f + 0.55f * smooth(0.5f, 2.5f, gap);
        c *= 0.45f + 0.55f * smooth(0.5f, 2.0f, jointDist);
        // Two nails on either side of each joint.
        for (float nx : {0.25f, 0.75f}) {
            const float d = std::hypot(bx - nx * pw, jointDist - 6.0f);
            c = mix(c, vec3(0.22f, 0.22f, 0.24f), 1.0f - smooth(1.8f, 2.6f, d));
        }
        return c;
    });
    return img;
}

// ---------------------------------------------------------------- barrel

constexpr int kBarrelTex = 512;
constexpr float kBarrelHalfHeight = 1.2f;
constexpr float kBarrelBelly = 1.0f;  // radius in the middle
constexpr float kBarrelEnd = 0.85f;   // radius at the lids
constexpr int kBarrelSegments = 32;
constexpr int kBarrelRings = 8;
constexpr int kStaves = 16;
constexpr float kBarrelSideV = 0.75f;  // the sides use the lower three quarters

float barrelRadius(float y) {
    const float k = y / kBarrelHalfHeight;
    return kBarrelEnd + (kBarrelBelly - kBarrelEnd) * (1.0f - k * k);
}

MeshBuilder barrelMesh() {
    MeshBuilder m;
    std::vector<std::vector<int>> ring(kBarrelRings + 1);
    for (int j = 0; j <= kBarrelRings; ++j) {
        const float y = -kBarrelHalfHeight + 2.0f * kBarrelHalfHeight * j / kBarrelRings;
        const float r = barrelRadius(y);
        const float drdy = -2.0f * (kBarrelBelly - kBarrelEnd) * y / (kBarrelHalfHeight * kBarrelHalfHeight);
        for (int i = 0; i <= kBarrelSegments; ++i) {
            const float a = 2.0f * kPi * i / kBarrelSegments;
            const vec3 dir(std::cos(a), 0.0f, -std::sin(a));
            const vec3 p = dir * r + vec3(0, y, 0);
            const vec3 n = dir + vec3(0, -drdy, 0);
            const float v = (1.0f + (kBarrelSideV * kBarrelTex - 2.0f) * j / kBarrelRings) / kBarrelTex;
            ring[j].push_back(m.add(p, n, vec2(static_cast<float>(i) / kBarrelSegments, v)));
        }
    }
    for (int j = 0; j < kBarrelRings; ++j)
        for (int i = 0; i < kBarrelSegments; ++i)
            m.quad(ring[j][i], ring[j][i + 1], ring[j + 1][i + 1], ring[j + 1][i]);
    // Lids: discs mapped into the 128 x 128 block at the top left of the texture.
    for (float side : {1.0f, -1.0f}) {
        const vec3 n(0, side, 0);
        const float y = side * kBarrelHalfHeight;
        auto lidUv = [](float x, float z) {
            const float px = 64.0f + 60.0f * x / kBarrelEnd, py = 64.0f + 60.0f * z / kBarrelEnd;
            return vec2(px / kBarrelTex, 1.0f - py / kBarrelTex);
        };
        const int centre = m.add(vec3(0, y, 0), n, lidUv(0, 0));
        std::vector<int> rim;
        for (int i = 0; i < kBarrelSegments; ++i) {
            const float a = 2.0f * kPi * i / kBarrelSegments;
            const float x = kBarrelEnd * std::cos(a), z = -kBarrelEnd * std::sin(a);
            rim.push_back(m.add(vec3(x, y, z), n, lidUv(x, z)));
        }
        for (int i = 0; i < kBarrelSegments; ++i)
            m.tri(centre, rim[i], rim[(i + 1) % kBarrelSegments]);
    }
    return m;
}

Image barrelTexture() {
    Image img(kBarrelTex, kBarrelTex);
    const vec3 oak(0.55f, 0.34f, 0.17f), oakLight(0.68f, 0.45f, 0.24f);
    const vec3 iron(0.28f, 0.29f, 0.31f);
    const int sideTop = static_cast<int>(kBarrelTex * (1.0f - kBarrelSideV));
    // Sides: staves around, grain along the height, iron hoops across.
    img.fill(0, sideTop, kBarrelTex, kBarrelTex - sideTop, [&](float s, float t, int, int) {
        const float sv = s * kStaves;
        const int stave = static_cast<int>(sv);
        const float within = sv - stave;
        vec3 c = mix(oak, oakLight, rand01(stave, 0, 0, 61u));
        const float grain = fbm2(s * 128.0f, t * 3.0f, 128, 0, 4, 62u);
        c *= 0.85f + 0.2f * (0.5f + 0.5f * std::sin(grain * 30.0f));
        c *= 0.5f + 0.5f * smooth(0.0f, 0.06f, std::min(within, 1.0f - within));
        for (float hoop : {0.1f, 0.3f, 0.7f, 0.9f}) {
            const float d = std::fabs(t - hoop);
            if (d < 0.035f) {
                vec3 metal = iron * (1.0f + 0.6f * (1.0f - d / 0.035f) * (t < hoop ? 1.0f : 0.4f));
                metal *= 0.95f + 0.1f * noise2(s * 200, t * 40, 200, 0, 63u);
                const float rivet = std::hypot((within - 0.5f) * 0.12f, d);
                if (rivet < 0.008f)
                    metal = vec3(0.55f);
                c = metal;
            } else if (d < 0.042f) {
                c *= 0.6f;  // shadow under the hoop
            }
        }
        return c;
    });
    // Lid: boards across, an iron rim.
    img.fill(0, 0, kBarrelTex, sideTop, [&](float, float, int px, int py) {
        const float x = (px + 0.5f - 64.0f) / 60.0f, z = (py + 0.5f - 64.0f) / 60.0f;
        const int board = static_cast<int>(std::floor((x + 1.0f) * 2.0f));
        vec3 c = mix(oak, oakLight, rand01(board, 1, 0, 64u)) * 0.9f;
        c *= 0.85f + 0.2f * fbm2(x * 2.0f, z * 24.0f, 0, 0, 3, 65u);
        const float bx = (x + 1.0f) * 2.0f - board;
        c *= 0.55f + 0.45f * smooth(0.0f, 0.08f, std::min(bx, 1.0f - bx));
        const float r = std::hypot(x, z);
        if (r > 0.9f)
            c = iron * (1.0f + 0.4f * smooth(0.9f, 1.0f, r));
        return c;
    });
    return img;
}

// ---------------------------------------------------------------- smoke puff

MeshBuilder smokeMesh() {
    // One square of two triangles, two units across in x and y. A burst draws a thousand
    // puffs, so each is a single quad that the lit shader turns towards the viewer and
    // shades as a round ball of radius 1 (see complex.vert/.frag); a tessellated ball cost
    // software GL hundreds of milliseconds per frame.
    MeshBuilder m;
    const vec3 facing(0.0f, 0.0f, 1.0f);
    int corner[4];
    const vec2 xy[4] = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}};
    for (int i = 0; i < 4; ++i)
        corner[i] = m.add(vec3(xy[i], 0.0f), facing, vec2(0.5f) + 0.45f * xy[i]);
    m.quad(corner[0], corner[1], corner[2], corner[3]);
    return m;
}

Image smokeTexture() {
    const int size = 256;
    Image img(size, size);
    img.fill(0, 0, size, size, [](float s, float t, int, int) {
        const float r = std::hypot(s - 0.5f, t - 0.5f) * 2.0f;
        const float wisps = fbm2(s * 6.0f, t * 6.0f, 6, 6, 4, 81u) - 0.5f;
        const float v = 0.97f - 0.25f * smooth(0.0f, 1.0f, r) + 0.08f * wisps;
        return vec3(v, v, v * 1.01f + 0.01f);
    });
    return img;
}

// ---------------------------------------------------------------- sky

constexpr int kSkySize = 512;

// Direction of the texel (s, t) of a cube face, as OpenGL samples cube maps;
// s', t' run from -1 to 1, t counting rows from the top of the image.
vec3 cubeDirection(int face, float sp, float tp) {
    switch (face) {
    case 0: return {1.0f, -tp, -sp};   // +X
    case 1: return {-1.0f, -tp, sp};   // -X
    case 2: return {sp, 1.0f, tp};     // +Y
    case 3: return {sp, -1.0f, -tp};   // -Y
    case 4: return {sp, -tp, 1.0f};    // +Z
    default: return {-sp, -tp, -1.0f}; // -Z
    }
}

vec3 skyColour(vec3 d) {
    d = glm::normalize(d);
    const float h = d.y;
    const vec3 zenith(0.22f, 0.46f, 0.84f), high(0.45f, 0.68f, 0.94f), horizon(0.84f, 0.91f, 0.97f);
    const vec3 below(0.66f, 0.77f, 0.88f), nadir(0.52f, 0.63f, 0.78f);
    vec3 c;
    if (h >= 0.0f)
        c = mix(mix(horizon, high, smooth(0.0f, 0.35f, h)), zenith, smooth(0.3f, 1.0f, h));
    else
        c = mix(mix(horizon, below, smooth(0.0f, 0.12f, -h)), nadir, smooth(0.1f, 1.0f, -h));
    // Soft glow towards the sun; the game's light shines along (-2, -2, 0).
    const vec3 sun = glm::normalize(vec3(1.0f, 1.0f, 0.0f));
    const float toSun = std::max(0.0f, glm::dot(d, sun));
    c += vec3(0.25f, 0.22f, 0.14f) * std::pow(toSun, 24.0f) + vec3(0.10f, 0.09f, 0.05f) * std::pow(toSun, 4.0f);
    // Clouds on a plane overhead: continuous in the direction, so cube seams match.
    if (h > 0.0f) {
        const float k = 1.0f / (h + 0.18f);
        const vec2 q = vec2(d.x, d.z) * k * 1.6f;
        const float n = fbm2(q.x + 10.0f, q.y + 10.0f, 0, 0, 6, 91u);
        const float cover = smooth(0.50f, 0.72f, n) * smooth(0.02f, 0.25f, h);
        const float shade = fbm2(q.x * 2.0f + 3.0f, q.y * 2.0f + 7.0f, 0, 0, 3, 92u);
        const vec3 cloud = mix(vec3(0.80f, 0.84f, 0.90f), vec3(1.0f), smooth(0.3f, 0.7f, shade));
        c = mix(c, cloud, cover * 0.9f);
    }
    return c;
}

Image skyFace(int face) {
    Image img(kSkySize, kSkySize);
    img.fill(0, 0, kSkySize, kSkySize, [face](float s, float t, int, int) {
        return skyColour(cubeDirection(face, 2.0f * s - 1.0f, 2.0f * t - 1.0f));
    });
    return img;
}

// ---------------------------------------------------------------- main

bool makeDir(const std::string& dir) {
    struct stat st {};
    if (stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    return mkdir(dir.c_str(), 0755) == 0;
}

bool writeModel(const std::string& dir, const std::string& name, const MeshBuilder& m,
                const Material& mat, const Image& texture) {
    const bool ok = writeObj(dir, name, m, mat) && texture.save(dir + "/" + name + ".png");
    if (!ok)
        std::cerr << "make_assets: cannot write " << dir << "/" << name << '\n';
    else
        std::cout << name << ": " << m.v.size() << " vertices, " << m.tris.size() << " triangles\n";
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_assets <res folder>\n";
        return 2;
    }
    const std::string res = argv[1];
    const std::string models = res + "/Models";
    const std::string sky = res + "/skybox";
    const std::string ltblue = sky + "/ltblue";
    for (const auto& d : {res, models, sky, ltblue})
        if (!makeDir(d)) {
            std::cerr << "make_assets: cannot create folder " << d << '\n';
            return 1;
        }

    FreeImage_Initialise();
    bool ok = true;
    ok &= writeModel(models, "spielfeld", hexTileMesh(), {vec3(1.0f), 16.0f}, hexTileTexture());
    ok &= writeModel(models, "Character", characterMesh(), {vec3(1.0f), 32.0f}, characterTexture());
    ok &= writeModel(models, "Wall", boxMesh({14.0f, 8.0f, 2.0f}, kBrickTexUnits, false),
                     {vec3(1.0f), 8.0f}, brickTexture());
    ok &= writeModel(models, "testQuader", boxMesh({16.0f, 2.0f, 24.0f}, kPlankTexUnits, true),
                     {vec3(1.0f), 12.0f}, plankTexture());
    ok &= writeModel(models, "Fass", barrelMesh(), {vec3(1.0f), 24.0f}, barrelTexture());
    ok &= writeModel(models, "Smoke", smokeMesh(), {vec3(1.0f), 4.0f}, smokeTexture());

    // Face order of the cube map: +X, -X, +Y, -Y, +Z, -Z.
    const char* faceFiles[6] = {"left.png", "right.png", "top.png", "bot.png", "back.png", "front.png"};
    for (int f = 0; f < 6; ++f) {
        const std::string file = ltblue + "/" + faceFiles[f];
        if (!skyFace(f).save(file)) {
            std::cerr << "make_assets: cannot write " << file << '\n';
            ok = false;
        }
    }
    FreeImage_DeInitialise();
    return ok ? 0 : 1;
}
