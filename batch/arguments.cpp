#include "batch/arguments.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/textfile.h"

namespace {

// A whole number from 1 to 1024, or 0.
int ParseThreadCount(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *text >= '1' && *text <= '9' && *end == '\0' && value <= 1024 ? static_cast<int>(value)
                                                                         : 0;
}

// Whether writing `output` would replace the file `other` names. Only regular files (and
// names of files still to be made) can be lost: a terminal or a pipe named twice is not.
bool SameFile(const std::string& output, const std::string& other) {
    struct stat first {};
    struct stat second {};
    const bool firstExists = ::stat(output.c_str(), &first) == 0;
    const bool secondExists = ::stat(other.c_str(), &second) == 0;
    if (firstExists || secondExists) {
        return firstExists && secondExists && S_ISREG(first.st_mode) &&
               first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }
    // Neither is there yet: the same name once links, dangling ones too, are followed.
    std::error_code error;
    auto resolved = [&](const std::string& path) {
        return std::filesystem::weakly_canonical(
            std::filesystem::absolute(textfile::FinalPath(path), error), error);
    };
    return resolved(output) == resolved(other);
}

}  // namespace

bool ParseArguments(int argc, char** argv, Arguments& arguments) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--warnings") == 0) {
            if (i + 1 >= argc || !arguments.warnings.empty() || argv[i + 1][0] == '\0') {
                return false;
            }
            arguments.warnings = argv[++i];
        } else if (std::strcmp(argv[i], "--db") == 0) {
            if (i + 1 >= argc || !arguments.database.empty() || argv[i + 1][0] == '\0') {
                return false;
            }
            arguments.database = argv[++i];
        } else if (std::strcmp(argv[i], "--threads") == 0) {
            if (i + 1 >= argc || (arguments.threads = ParseThreadCount(argv[++i])) == 0) {
                return false;
            }
        } else if (std::strncmp(argv[i], "--", 2) == 0 || argv[i][0] == '\0') {
            return false;
        } else {
            positional.push_back(argv[i]);
        }
    }
    if (positional.size() != 3) {
        return false;
    }
    arguments.map = positional[0];
    arguments.instructions = positional[1];
    arguments.result = positional[2];
    return true;
}

std::string OutputClash(const Arguments& arguments) {
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    if (arguments.database.empty()) {
        inputs = {arguments.map, arguments.instructions};
        outputs = {arguments.result};
    } else {
        inputs = {arguments.database};  // the result is one of its tables
    }
    if (!arguments.warnings.empty()) {
        outputs.push_back(arguments.warnings);
    }
    for (size_t k = 0; k < outputs.size(); ++k) {
        for (const std::string& input : inputs) {
            if (SameFile(outputs[k], input)) {
                return "出力ファイル[" + outputs[k] + "]は入力ファイル[" + input +
                       "]と同じファイルです。";
            }
        }
        for (size_t j = 0; j < k; ++j) {
            if (SameFile(outputs[k], outputs[j])) {
                return "出力ファイル[" + outputs[j] + "]と[" + outputs[k] + "]は同じファイルです。";
            }
        }
    }
    return {};
}
