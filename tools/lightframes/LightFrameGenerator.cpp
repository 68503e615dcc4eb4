// Builds the light-frame file shipped with the program: for each keyboard animation mode, a
// sequence of frames holding one brightness per key of the 104-key keyboard picture, in the
// picture's key order. Both frame tables get the same rows (the default table is the factory
// copy). Usage: pivane_lightframe_generator OUTPUT_FILE
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/store/LightFrameStore.h"
#include "app/store/SQLiteAutoTransaction.h"
#include "app/store/SQLiteDB.h"
#include "app/store/SQLiteStatement.h"

namespace {

struct Key {
    int usage; // USB HID keyboard usage, the key value of the picture's item
    int left, top, right, bottom;
};

// The keyboard picture's keys in item order (rows top to bottom, left to right).
const std::vector<Key>& Keys() {
    static const std::vector<Key> keys = {
        // function row
        {41, 0, 38, 36, 66},
        {58, 78, 38, 114, 66},
        {59, 117, 38, 153, 66},
        {60, 156, 38, 192, 66},
        {61, 195, 38, 231, 66},
        {62, 260, 38, 296, 66},
        {63, 299, 38, 335, 66},
        {64, 338, 38, 374, 66},
        {65, 377, 38, 413, 66},
        {66, 442, 38, 478, 66},
        {67, 481, 38, 517, 66},
        {68, 520, 38, 556, 66},
        {69, 559, 38, 595, 66},
        {70, 616, 38, 652, 66},
        {71, 655, 38, 691, 66},
        {72, 694, 38, 730, 66},
        // number row
        {53, 0, 76, 36, 104},
        {30, 39, 76, 75, 104},
        {31, 78, 76, 114, 104},
        {32, 117, 76, 153, 104},
        {33, 156, 76, 192, 104},
        {34, 195, 76, 231, 104},
        {35, 234, 76, 270, 104},
        {36, 273, 76, 309, 104},
        {37, 312, 76, 348, 104},
        {38, 351, 76, 387, 104},
        {39, 390, 76, 426, 104},
        {45, 429, 76, 465, 104},
        {46, 468, 76, 504, 104},
        {42, 507, 76, 595, 104},
        {73, 616, 76, 652, 104},
        {74, 655, 76, 691, 104},
        {75, 694, 76, 730, 104},
        {83, 750, 76, 786, 104},
        {84, 789, 76, 825, 104},
        {85, 828, 76, 864, 104},
        {86, 867, 76, 903, 104},
        // tab row
        {43, 0, 109, 75, 137},
        {20, 78, 109, 114, 137},
        {26, 117, 109, 153, 137},
        {8, 156, 109, 192, 137},
        {21, 195, 109, 231, 137},
        {23, 234, 109, 270, 137},
        {28, 273, 109, 309, 137},
        {24, 312, 109, 348, 137},
        {12, 351, 109, 387, 137},
        {18, 390, 109, 426, 137},
        {19, 429, 109, 465, 137},
        {47, 468, 109, 503, 137},
        {48, 507, 109, 542, 137},
        {49, 546, 109, 595, 137},
        {76, 616, 109, 652, 137},
        {77, 655, 109, 691, 137},
        {78, 694, 109, 730, 137},
        {95, 750, 109, 786, 137},
        {96, 789, 109, 825, 137},
        {97, 828, 109, 864, 137},
        {87, 867, 109, 903, 170},
        // caps row
        {57, 0, 142, 85, 170},
        {4, 88, 142, 124, 170},
        {22, 127, 142, 163, 170},
        {7, 166, 142, 202, 170},
        {9, 205, 142, 241, 170},
        {10, 244, 142, 280, 170},
        {11, 283, 142, 319, 170},
        {13, 322, 142, 358, 170},
        {14, 361, 142, 397, 170},
        {15, 400, 142, 436, 170},
        {51, 439, 142, 475, 170},
        {52, 478, 142, 514, 170},
        {40, 517, 142, 595, 170},
        {92, 750, 142, 786, 170},
        {93, 789, 142, 825, 170},
        {94, 828, 142, 864, 170},
        // shift row
        {225, 0, 175, 101, 203},
        {29, 104, 175, 140, 203},
        {27, 143, 175, 179, 203},
        {6, 182, 175, 218, 203},
        {25, 221, 175, 257, 203},
        {5, 260, 175, 296, 203},
        {17, 299, 175, 335, 203},
        {16, 338, 175, 374, 203},
        {54, 377, 175, 413, 203},
        {55, 416, 175, 452, 203},
        {56, 455, 175, 491, 203},
        {229, 494, 175, 595, 203},
        {82, 655, 175, 691, 203},
        {89, 750, 175, 786, 203},
        {90, 789, 175, 825, 203},
        {91, 828, 175, 864, 203},
        {88, 867, 175, 903, 236},
        // bottom row
        {224, 0, 208, 50, 236},
        {227, 53, 208, 103, 236},
        {226, 106, 208, 156, 236},
        {44, 159, 208, 383, 236},
        {230, 386, 208, 436, 236},
        {231, 439, 208, 489, 236},
        {101, 492, 208, 542, 236},
        {228, 545, 208, 595, 236},
        {80, 616, 208, 652, 236},
        {81, 655, 208, 691, 236},
        {79, 694, 208, 730, 236},
        {98, 750, 208, 786, 236},
        {99, 789, 208, 864, 236},
    };
    return keys;
}

constexpr double kPi = 3.14159265358979323846;
constexpr double kWidth = 903.0;
constexpr double kTop = 38.0;
constexpr double kHeight = 236.0 - 38.0;

double CentreX(const Key& k) {
    return (k.left + k.right) / 2.0;
}
double CentreY(const Key& k) {
    return (k.top + k.bottom) / 2.0;
}

int Clamp(double v) {
    if (v < 0) return 0;
    if (v > 255) return 255;
    return static_cast<int>(std::lround(v));
}

// One animation: a frame count and a brightness (0-255) for key k in frame f.
struct Animation {
    int lightId;
    int frames;
    int (*brightness)(const Key& key, int index, int frame, int frames);
};

// A bright band sweeping left to right.
int Wave(const Key& k, int, int f, int n) {
    double phase = (CentreX(k) / kWidth - static_cast<double>(f) / n) * 2.0 * kPi;
    return Clamp(127.5 + 127.5 * std::cos(phase));
}

// Every key rises and falls together.
int Breathing(const Key&, int, int f, int n) {
    return Clamp(127.5 - 127.5 * std::cos(2.0 * kPi * f / n));
}

// Rings spreading from the middle of the main block.
int Ripple(const Key& k, int, int f, int n) {
    double dx = (CentreX(k) - 300.0) / kWidth, dy = (CentreY(k) - 137.0) / kWidth;
    double distance = std::sqrt(dx * dx + dy * dy);
    double ring = distance * 3.0 - static_cast<double>(f) / n;
    return Clamp(127.5 + 127.5 * std::cos(ring * 2.0 * kPi));
}

// Drops falling down fixed columns, each column with its own offset.
int Rain(const Key& k, int, int f, int n) {
    int column = static_cast<int>(CentreX(k) / 40.0);
    int offset = (column * 7 + 3) % n; // a fixed scatter, the same on every build
    double head = std::fmod(static_cast<double>(f + offset) / n, 1.0) * 1.5;
    double y = (CentreY(k) - kTop) / kHeight;
    double behind = head - y;
    if (behind < 0 || behind > 0.5) return 0;
    return Clamp(255.0 * (1.0 - behind / 0.5));
}

// A light running along the keys in picture order, with a fading tail.
int Marquee(const Key&, int index, int f, int n) {
    int total = static_cast<int>(Keys().size());
    int head = f * total / n;
    int behind = (head - index + total) % total;
    if (behind > 12) return 0;
    return Clamp(255.0 * (1.0 - behind / 13.0));
}

// Odd and even keys alternate.
int Flash(const Key&, int index, int f, int) {
    return ((index + f) % 2) ? 255 : 0;
}

// A bright band sweeping top to bottom.
int Curtain(const Key& k, int, int f, int n) {
    double phase = ((CentreY(k) - kTop) / kHeight - static_cast<double>(f) / n) * 2.0 * kPi;
    return Clamp(127.5 + 127.5 * std::cos(phase));
}

// Keys light up from the centre outwards, then go out again.
int Spread(const Key& k, int, int f, int n) {
    double half = n / 2.0;
    double reach = f < half ? f / half : (n - f) / half;
    double distance = std::fabs(CentreX(k) - kWidth / 2.0) / (kWidth / 2.0);
    return distance <= reach ? 255 : 24;
}

const std::vector<Animation>& Animations() {
    static const std::vector<Animation> animations = {
        {1, 24, Wave},    {2, 32, Breathing}, {3, 24, Ripple},  {4, 30, Rain},
        {6, 52, Marquee}, {7, 2, Flash},      {8, 20, Curtain}, {9, 16, Spread},
    };
    return animations;
}

bool WriteTable(SQLiteDB& db, const char* insertSql) {
    SQLiteStatement s;
    for (const auto& animation : Animations()) {
        for (int f = 0; f < animation.frames; ++f) {
            int index = 0;
            for (const auto& key : Keys()) {
                int b = animation.brightness(key, index++, f, animation.frames);
                // A grey of that brightness: the low byte is what the picture uses.
                int rgb = b | (b << 8) | (b << 16);
                if (db.Prepare(s, insertSql) != SQLITE_OK) return false;
                s.BindInt(1, animation.lightId);
                s.BindInt(2, f);
                s.BindInt(3, key.usage);
                s.BindInt(4, rgb);
                if (s.Step() != SQLITE_DONE) return false;
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FILE\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    fs::path out = argv[1];
    fs::path temp = out;
    temp += ".tmp";
    std::error_code ec;
    fs::create_directories(out.parent_path(), ec);
    fs::remove(temp, ec);

    bool ok = false;
    {
        SQLiteDB db;
        if (db.Open(temp.c_str(), "", SQLiteDB::kOpenCreate)) {
            ok = true;
            for (const auto& sql : LightFrameStore::SchemaStatements())
                if (db.Execute(sql.c_str()) != SQLITE_OK) ok = false;
            SQLiteAutoTransaction transaction(&db);
            ok = ok &&
                 WriteTable(db, "INSERT INTO t_light_frames(light_id, frameIndex, key_value, "
                                "rgb_value) VALUES (?, ?, ?, ?);") &&
                 WriteTable(db, "INSERT INTO t_default_light_frames(light_id, frameIndex, "
                                "key_value, rgb_value) VALUES (?, ?, ?, ?);");
            ok = transaction.End() && ok;
        }
        ok = db.Close() && ok;
    }
    if (!ok) {
        std::fprintf(stderr, "%s: could not write %s\n", argv[0], temp.c_str());
        fs::remove(temp, ec);
        return 1;
    }
    // Replace the old file only with a complete one.
    fs::rename(temp, out, ec);
    if (ec) {
        std::fprintf(stderr, "%s: could not write %s\n", argv[0], out.c_str());
        return 1;
    }
    return 0;
}
