#include "batch/arguments.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/samefile.h"

namespace {

// A whole number from 1 to 1024, or 0.
int ParseThreadCount(const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && text[0] >= '1' && text[0] <= '9' && *end == '\0' && value <= 1024
               ? static_cast<int>(value)
               : 0;
}

// shift-jis (also cp932), utf-8 or utf-8-sig, in any case; false otherwise.
bool ParseEncoding(std::string text, codepage::TextEncoding& encoding) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (text == "shift-jis" || text == "shift_jis" || text == "cp932") {
        encoding = codepage::TextEncoding::cp932;
    } else if (text == "utf-8" || text == "utf8") {
        encoding = codepage::TextEncoding::utf8;
    } else if (text == "utf-8-sig" || text == "utf8-sig") {
        encoding = codepage::TextEncoding::utf8Bom;
    } else {
        return false;
    }
    return true;
}

// K/N with 1 <= K <= N <= 1,000,000; false otherwise.
bool ParsePart(const std::string& text, int& part, int& parts) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos) {
        return false;
    }
    auto whole = [](const std::string& digits, int& value) {
        if (digits.empty() || digits.size() > 7 ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        value = std::stoi(digits);
        return value >= 1 && value <= 1000000;
    };
    return whole(text.substr(0, slash), part) && whole(text.substr(slash + 1), parts) &&
           part <= parts;
}

const char* const kValueOptions[] = {"--warnings", "--db",       "--threads",
                                     "--part",     "--encoding", "--layout"};

// Whether `word` is an option whose value is the next word (not given as --name=VALUE).
bool TakesValue(const std::string& word) {
    for (const char* name : kValueOptions) {
        if (word == name) {
            return true;
        }
    }
    return false;
}

}  // namespace

PartSlice SliceOf(int count, int part, int parts) {
    auto bound = [&](int k) { return static_cast<int>(int64_t{count} * k / parts); };
    return {bound(part - 1), bound(part)};
}

std::string InputPath(const std::string& argument) {
    return argument == kStandardStream ? "/dev/stdin" : argument;
}

std::string OutputPath(const std::string& argument) {
    return argument == kStandardStream ? "/dev/stdout" : argument;
}

bool IsStandardOutput(const std::string& argument) {
    struct stat named {};
    struct stat standard {};
    return argument == kStandardStream ||
           (::stat(argument.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &standard) == 0 &&
            named.st_dev == standard.st_dev && named.st_ino == standard.st_ino);
}

Information InformationAsked(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--") {
            break;
        }
        if (word == "--help" || word == "-h") {
            return Information::help;
        }
        if (word == "--version") {
            return Information::version;
        }
        if (TakesValue(word)) {
            ++i;  // its value is no option word
        }
    }
    return Information::none;
}

std::string ParseArguments(int argc, char** argv, Arguments& arguments) {
    std::vector<std::string> positional;
    bool optionsEnded = false;  // after "--" every word is a file or table
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (optionsEnded || word == kStandardStream || word.rfind("-", 0) != 0) {
            if (word.empty()) {
                return "an empty argument where a file or table was expected";
            }
            positional.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        // --name VALUE or --name=VALUE
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        std::string* target = name == "--warnings" ? &arguments.warnings
                              : name == "--db"     ? &arguments.database
                                                   : nullptr;
        if (!TakesValue(name)) {
            return "unknown option '" + word + "'";
        }
        std::string value;
        if (equals != std::string::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            return "option '" + name + "' needs a value";
        }
        if (value.empty()) {
            return "option '" + name + "' needs a value, not an empty one";
        }
        if (name == "--part") {
            if (!ParsePart(value, arguments.part, arguments.parts)) {
                return "--part takes K/N with 1 <= K <= N, not '" + value + "'";
            }
        } else if (name == "--layout") {
            if (value != "nodes" && value != "routes") {
                return "--layout takes routes or nodes, not '" + value + "'";
            }
            arguments.nodeRows = value == "nodes";
        } else if (name == "--encoding") {
            if (!ParseEncoding(value, arguments.encoding)) {
                return "--encoding takes shift-jis, utf-8 or utf-8-sig, not '" + value + "'";
            }
        } else if (target == nullptr) {
            if ((arguments.threads = ParseThreadCount(value)) == 0) {
                return "--threads takes a whole number from 1 to 1024, not '" + value + "'";
            }
        } else if (!target->empty()) {
            return "option '" + name + "' given twice";
        } else {
            *target = value;
        }
    }
    if (positional.size() != 3) {
        return "expected 3 files or tables (map, instructions, result), got " +
               std::to_string(positional.size());
    }
    arguments.map = positional[0];
    arguments.instructions = positional[1];
    arguments.result = positional[2];
    if (arguments.map == kStandardStream && arguments.instructions == kStandardStream) {
        return "only one input can come from standard input ('-')";
    }
    if (!arguments.database.empty() && arguments.parts > 1) {
        return "--part writes result files: it does not go with --db";
    }
    if (!arguments.database.empty() &&
        (arguments.map == kStandardStream || arguments.instructions == kStandardStream ||
         arguments.result == kStandardStream)) {
        return "'-' names no table: with --db all three are tables";
    }
    return {};
}

std::string OutputClash(const Arguments& arguments) {
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    if (arguments.database.empty()) {
        inputs = {arguments.map, arguments.instructions};
        outputs = {arguments.result};
    } else {
        // The result is one of its tables; SQLite deletes or rewrites its companion files.
        inputs = {arguments.database};
        for (const char* companion : {"-journal", "-wal", "-shm"}) {
            inputs.push_back(arguments.database + companion);
        }
    }
    if (!arguments.warnings.empty()) {
        outputs.push_back(arguments.warnings);
    }
    // "-" is compared as the file behind standard input or output: a redirected file.
    for (size_t k = 0; k < outputs.size(); ++k) {
        for (const std::string& input : inputs) {
            if (SameFile(OutputPath(outputs[k]), InputPath(input))) {
                return "出力ファイル[" + outputs[k] + "]は入力ファイル[" + input +
                       "]と同じファイルです。";
            }
        }
        for (size_t j = 0; j < k; ++j) {
            if (outputs[k] == outputs[j] ||
                SameFile(OutputPath(outputs[k]), OutputPath(outputs[j]))) {
                return "出力ファイル[" + outputs[j] + "]と[" + outputs[k] + "]は同じファイルです。";
            }
        }
    }
    return {};
}

void PrintUsage(FILE* to) {
    std::fputs(
        "usage: qrlx-batch MAP_CSV INSTRUCTION_CSV RESULT_CSV [--warnings LOG_TXT]\n"
        "                  [--threads N] [--encoding E] [--layout L] [--part K/N]\n"
        "       qrlx-batch --db SQLITE_FILE MAP_TABLE INSTRUCTION_TABLE RESULT_TABLE\n"
        "                  [--warnings LOG_TXT] [--threads N] [--encoding E] [--layout L]\n"
        "       qrlx-batch --help | --version\n"
        "  Finds the shortest route of every search instruction and writes the results.\n"
        "  --db SQLITE_FILE    reads the map and the instructions from tables of an SQLite\n"
        "                      database and replaces the rows of its result table (made\n"
        "                      when missing), all or nothing\n"
        "  --warnings LOG_TXT  also writes the warning log (the rejected rows)\n"
        "  --threads N         loads and searches on N threads (1 to 1024; default: one per\n"
        "                      CPU the process may use); the result file is the same\n"
        "                      whatever N\n"
        "  --encoding E        writes the result file and the log in E: shift-jis (the\n"
        "                      default), utf-8, or utf-8-sig (UTF-8 with a byte-order mark,\n"
        "                      for spreadsheet programs)\n"
        "  --layout L          routes (the default): a route's nodes five to a row; nodes:\n"
        "                      one row per node of each route, with its step and its\n"
        "                      distance from the start (a failed search: one row)\n"
        "  --part K/N          searches only the K-th of N contiguous slices of the accepted\n"
        "                      instructions; the N result files, their title line kept\n"
        "                      once, are the whole result (see qrlx-batch(1) for GNU\n"
        "                      parallel and Slurm); each part writes the whole log\n"
        "  Options also take the form --name=VALUE; \"--\" ends them. \"-\" as one input\n"
        "  file reads standard input; as the result or the log, writes standard output,\n"
        "  and the counts then go to standard error, so the stream is the CSV alone.\n"
        "  No output may be an input, the database (or its -journal, -wal or -shm file) or\n"
        "  the other output, also through links or \"-\", nor may the result table be an\n"
        "  input table. A result file or table that exists is replaced only when it may be\n"
        "  written (a table: with every result column). Input files are Shift-JIS (CP932),\n"
        "  or UTF-8 when they start with a byte-order mark or when the needed titles are\n"
        "  found only when the title line is read as UTF-8; results and logs are Shift-JIS\n"
        "  unless --encoding says otherwise.\n"
        "  Exit status: 0 done, 2 wrong usage, 3 a file cannot be read (the reason is\n"
        "  given), is empty, too large or holds a character Shift-JIS cannot, 4 a column\n"
        "  title is missing, 5 the map has no node, 6 a file cannot be written (the reason\n"
        "  is given), 7 the scratch files in the temporary folder ($TMPDIR) cannot be made\n"
        "  or used, 8 not enough memory.\n"
        "  See qrlx-batch(1).\n",
        to);
}
