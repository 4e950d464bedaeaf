#include "platform/samefile.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "platform/textfile.h"

bool SameFile(const std::string& output, const std::string& other) {
    struct stat first {};
    struct stat second {};
    const bool firstExists = ::stat(output.c_str(), &first) == 0;
    const bool secondExists = ::stat(other.c_str(), &second) == 0;
    if (firstExists || secondExists) {
        return firstExists && secondExists && S_ISREG(first.st_mode) &&
               first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }
    std::error_code error;
    auto resolved = [&](const std::string& path) {
        return std::filesystem::weakly_canonical(
            std::filesystem::absolute(textfile::FinalPath(path), error), error);
    };
    const std::filesystem::path firstPath = resolved(output);
    const std::filesystem::path secondPath = resolved(other);
    // One name in one folder, also when the folder is reached by two paths (a bind mount).
    struct stat firstFolder {};
    struct stat secondFolder {};
    if (::stat(firstPath.parent_path().c_str(), &firstFolder) == 0 &&
        ::stat(secondPath.parent_path().c_str(), &secondFolder) == 0) {
        return firstFolder.st_dev == secondFolder.st_dev &&
               firstFolder.st_ino == secondFolder.st_ino &&
               firstPath.filename() == secondPath.filename();
    }
    return firstPath == secondPath;
}
