// A private folder for one fuzz target's files, made once per process.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>

inline const std::string& FuzzFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/qrlx-fuzz-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (made == nullptr) {
            std::abort();
        }
        return std::string(made);
    }();
    return folder;
}

inline std::string WriteFuzzFile(const std::string& name, const std::string& bytes) {
    const std::string path = FuzzFolder() + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
}
