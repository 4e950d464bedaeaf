// A fresh directory for one test, removed with everything in it afterwards, and helpers
// that write and read whole files as bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qrlx-test-XXXXXX").string();
        const char* made = ::mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        mPath = pattern;
    }
    ~TempDir() { std::filesystem::remove_all(mPath); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path(const std::string& name) const { return (mPath / name).string(); }
    std::string Dir() const { return mPath.string(); }

    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The names in the folder (or in its subfolder `sub`), sorted, separated by blanks.
    std::string Listing(const std::string& sub = "") const {
        std::vector<std::string> names;
        for (const auto& entry :
             std::filesystem::directory_iterator(sub.empty() ? mPath : mPath / sub)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        std::string out;
        for (const std::string& name : names) {
            out += (out.empty() ? "" : " ") + name;
        }
        return out;
    }

private:
    std::filesystem::path mPath;
};

// Points $TMPDIR somewhere else for the life of the object.
class ScopedTmpDir {
public:
    explicit ScopedTmpDir(const std::string& dir) {
        const char* old = std::getenv("TMPDIR");
        mHadOld = old != nullptr;
        mOld = old ? old : "";
        ::setenv("TMPDIR", dir.c_str(), 1);
    }
    ~ScopedTmpDir() {
        if (mHadOld) {
            ::setenv("TMPDIR", mOld.c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }

private:
    bool mHadOld;
    std::string mOld;
};
