// Every real-world file of the shared corpus loads or fails with a reason;
// where an independent library gave reference data, the objects match it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "scene_files.h"

namespace {

const std::string corpus_dir = std::string(VELMOR_SHARED_DIR) + "/corpus";

struct ReferenceObject {
    std::string name;
    int vertex_count, face_count;
    std::vector<float> first_points; // file axes, up to three points
    std::vector<int> first_faces;    // file corners, up to three faces
    long long face_index_sum;
};

// The numbers of "(1,2,3);(4,5,6)" in order.
template <typename T> std::vector<T> numbers(std::string text) {
    for (char& c : text)
        if (c == '(' || c == ')' || c == ';' || c == ',') c = ' ';
    std::istringstream in(text);
    std::vector<T> values;
    for (T v; in >> v;)
        values.push_back(v);
    return values;
}

std::map<std::string, std::vector<ReferenceObject>> read_reference() {
    std::map<std::string, std::vector<ReferenceObject>> reference;
    std::ifstream in(corpus_dir + "/reference.tsv");
    std::string line;
    std::getline(in, line); // column names
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            f.push_back(field);
        if (f.size() < 12) continue;
        std::vector<ReferenceObject>& objects = reference[f[0]];
        if (f[1] == "-") continue; // no objects
        objects.push_back({f[2], std::stoi(f[3]), std::stoi(f[4]), numbers<float>(f[8]),
                           numbers<int>(f[9]), std::stoll(f[11])});
    }
    return reference;
}

std::vector<std::string> corpus_files() {
    std::vector<std::string> files;
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(corpus_dir, missing))
        if (entry.path().extension() == ".3ds") files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

// The reference library mirrors the points of an object whose local matrix
// has a negative determinant; only the others keep the file's values there.
bool mirrored(const Matrix& matrix) {
    const float* m = matrix.m;
    double det = (double)m[0] * ((double)m[5] * m[10] - (double)m[6] * m[9]) -
                 (double)m[1] * ((double)m[4] * m[10] - (double)m[6] * m[8]) +
                 (double)m[2] * ((double)m[4] * m[9] - (double)m[5] * m[8]);
    return det < 0;
}

int index_of(const SceneObject& o, const SceneVertex* corner) {
    return (int)(corner - o.vertices);
}

void expect_matches(const SceneObject& o, const ReferenceObject& r) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(o.name, r.name);
    EXPECT_EQ(o.vertex_count, r.vertex_count);
    EXPECT_EQ(o.face_count, r.face_count);
    for (size_t i = 0;
         !mirrored(o.matrix) && i + 2 < r.first_points.size() && (int)(i / 3) < o.vertex_count;
         i += 3) {
        const SceneVertex& v = o.vertices[i / 3]; // stored as (x, z, y)
        EXPECT_EQ(v.x, r.first_points[i]);
        EXPECT_EQ(v.z, r.first_points[i + 1]);
        EXPECT_EQ(v.y, r.first_points[i + 2]);
    }
    for (size_t i = 0; i + 2 < r.first_faces.size() && (int)(i / 3) < o.face_count; i += 3) {
        const SceneFace& f = o.faces[i / 3]; // stored as (a, c, b)
        EXPECT_EQ(index_of(o, f.corners[0]), r.first_faces[i]);
        EXPECT_EQ(index_of(o, f.corners[2]), r.first_faces[i + 1]);
        EXPECT_EQ(index_of(o, f.corners[1]), r.first_faces[i + 2]);
    }
    long long sum = 0;
    for (int32_t i = 0; i < o.face_count; ++i)
        for (const SceneVertex* corner : o.faces[i].corners)
            sum += index_of(o, corner);
    EXPECT_EQ(sum, r.face_index_sum);
}

} // namespace

TEST(Corpus, EveryFileLoadsOrFailsWithAReasonAndMatchesTheReference) {
    std::vector<std::string> files = corpus_files();
    if (files.empty()) GTEST_SKIP() << "no corpus in " << corpus_dir;
    auto reference = read_reference();
    int loaded = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::string path = corpus_dir + "/" + file;
        ScenePtr scene = load_file(path);
        const std::vector<ReferenceObject>& objects = reference[file];
        if (!scene) {
            std::string reason = scene_error();
            EXPECT_NE(reason.find(path), std::string::npos) << reason;
            EXPECT_TRUE(objects.empty())
                << "the reference has objects; the load failed: " << reason;
            continue;
        }
        ++loaded;
        if (objects.empty()) continue;
        ASSERT_EQ(scene->object_count, (int)objects.size());
        for (size_t i = 0; i < objects.size(); ++i)
            expect_matches(scene->objects[i], objects[i]);
    }
    EXPECT_GE(loaded, (int)files.size() - 1);
}
