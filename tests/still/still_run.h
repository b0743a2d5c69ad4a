// Running velmor-render and reading what it wrote, for the still and
// thumbnailer tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct StillRun {
    int exit_code;
    std::string out, err;
};

// The words, each quoted for the shell.
std::string shell_words(const std::vector<std::string>& words);
// Runs the command line through the shell, with stdout and stderr kept.
StillRun run_command(const std::string& command);
std::string slurp(const std::string& path);
// The names of the files in folder, sorted.
std::vector<std::string> files_in(const std::string& folder);
