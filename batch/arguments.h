// The command line of qrlx-batch: the inputs, the outputs and the options, the usage text,
// and the check that no output is a file the run reads.
#pragma once

#include <cstdio>
#include <string>

#include "platform/codepage.h"

struct Arguments {
    std::string database;  // with --db: the map, instructions and result are its tables
    std::string map;
    std::string instructions;
    std::string result;
    std::string warnings;  // empty: no warning log
    int threads = 0;       // 0: the default
    int part = 1;          // --part K/N: search only slice K (from 1) of N
    int parts = 1;
    codepage::TextEncoding encoding = codepage::TextEncoding::cp932;  // of the result and log
    bool nodeRows = false;  // --layout nodes: one result row per route node
};

// The accepted instructions [first, last) that part `part` of `parts` searches: contiguous
// slices, in list order, that together hold all `count` of them once.
struct PartSlice {
    int first;
    int last;
};
PartSlice SliceOf(int count, int part, int parts);

// What a "-" stands for: standard input as an input file, standard output as an output.
inline constexpr const char* kStandardStream = "-";

// The path that opens what a file argument names: "-" as standard input or output.
std::string InputPath(const std::string& argument);
std::string OutputPath(const std::string& argument);
// Whether an output argument names standard output ("-", or the file behind it).
bool IsStandardOutput(const std::string& argument);

// What the command line asks for before any run: --help (or -h) or --version, whichever
// stands first as an option word (not an option's value, not after "--"), wherever it
// stands and whatever else the line holds.
enum class Information { none, help, version };
Information InformationAsked(int argc, char** argv);

// Fills `arguments` from the command line. Empty when it is a valid one; else one line that
// says what is wrong ("unknown option '--bogus'").
std::string ParseArguments(int argc, char** argv, Arguments& arguments);

// The line that refuses a command whose output would replace an input (a file read, or the
// database) or the other output: the same path, or the same file after links, also for a
// file not there yet. Empty when every output is a file of its own.
std::string OutputClash(const Arguments& arguments);

// The whole usage text (--help).
void PrintUsage(FILE* to);
