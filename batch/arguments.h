// The command line of qrlx-batch: the inputs, the outputs and the options, and the check
// that no output is a file the run reads.
#pragma once

#include <string>

struct Arguments {
    std::string database;  // with --db: the map, instructions and result are its tables
    std::string map;
    std::string instructions;
    std::string result;
    std::string warnings;  // empty: no warning log
    int threads = 0;       // 0: the default
};

// Fills `arguments` from the command line; false when it is not a valid one.
bool ParseArguments(int argc, char** argv, Arguments& arguments);

// The line that refuses a command whose output would replace an input (a file read, or the
// database) or the other output: the same path, or the same file after links, also for a
// file not there yet. Empty when every output is a file of its own.
std::string OutputClash(const Arguments& arguments);
