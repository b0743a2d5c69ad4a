// Runs the real shell on the headless backend in a folder of its own, holding
// what it presented and what it said on stderr.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "../text/bmp_writer.h"
#include "app/app.h"
#include "platform/headless/headless.h"
#include "scene/scene.h"

struct Presented {
    std::vector<uint32_t> pixels;
    int32_t counter; // the number printed on the frame
    float angle;
};

class AppRun : public testing::Test {
  protected:
    void SetUp() override {
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        previous_dir = here;
        folder = testing::TempDir() + "velmor_app_XXXXXX";
        ASSERT_NE(mkdtemp(folder.data()), nullptr);
        ASSERT_EQ(chdir(folder.c_str()), 0);
        write_file("Font.bmp", font_bmp());
    }
    void TearDown() override {
        free_scene();
        EXPECT_EQ(chdir(previous_dir.c_str()), 0);
        std::filesystem::remove_all(folder);
    }

    static void keep(const uint32_t* pixels, int32_t width, int32_t height, void* context) {
        auto& frames = *static_cast<std::vector<Presented>*>(context);
        frames.push_back({std::vector<uint32_t>(pixels, pixels + width * height),
                          frame_values.frame_counter - 1, frame_values.animation_angle});
    }

    // The program never frees its Scene; the tests do, run after run.
    static void free_scene() {
        if (view_state.scene) scene_free(view_state.scene);
        view_state.scene = nullptr;
    }

    int run(HeadlessConfig config) {
        free_scene();
        frames.clear();
        config.present_hook = keep;
        config.present_context = &frames;
        headless_reset(config);
        testing::internal::CaptureStderr();
        int exit_code = app_run(5);
        stderr_text = testing::internal::GetCapturedStderr();
        return exit_code;
    }
    int run_ticks(int ticks) {
        HeadlessConfig config;
        config.script = headless_ticks_then_escape(ticks);
        return run(config);
    }

    // Whatever happened, the platform got back everything in good order.
    void expect_all_given_back() const {
        const HeadlessReport& r = headless_report();
        EXPECT_EQ(r.cursor_count, 0);
        EXPECT_FALSE(r.window_alive);
        EXPECT_FALSE(r.timer_running);
        EXPECT_FALSE(r.exclusive);
        EXPECT_FALSE(r.mode_changed);
        EXPECT_EQ(r.surfaces_alive, 0);
        EXPECT_EQ(r.misuse, 0);
    }

    std::string previous_dir;
    std::string folder;
    std::vector<Presented> frames;
    std::string stderr_text;
};

inline int count_lines(const std::string& text) {
    int lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

// The pixel that the test font puts at row k, column i of the cell of code c.
inline uint32_t glyph_pixel(char c, int i, int k) {
    return (uint32_t)(unsigned char)c << 16 | (uint32_t)k << 8 | (uint32_t)i;
}

inline bool in_text_box(const std::string& text, int x, int y) {
    return y >= 10 && y <= 22 && x >= 10 && x < 10 + 11 * (int)text.size();
}

inline std::string counter_text(int n) {
    return std::to_string(n) + ".th Frame";
}
