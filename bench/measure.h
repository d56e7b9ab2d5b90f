#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace vorendal::bench {

// What one run of a command took.
struct Measure {
    bool ok = false;
    double seconds = 0;    // wall clock
    double cpuSeconds = 0; // user and system of the command and its children
    double peakMiB = 0;
};

// Runs args (the program found on PATH), its standard output to stdoutPath when given, and
// measures it.
Measure runMeasured(const std::vector<std::string>& args, const char* stdoutPath = nullptr);

// Starts args in the background; returns its process id (0 when it could not start).
pid_t spawn(const std::vector<std::string>& args);

} // namespace vorendal::bench
