// Any settings file: a value written reads back as it was, and every other key keeps its
// value; a write that fails leaves the file as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz_files.h"
#include "platform/profile.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace

// Input: the file's bytes, a 0 byte, the value to write.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string file = WriteFuzzFile("QRLX.INI", input.substr(0, split));
    const std::string value = split == std::string::npos ? "" : input.substr(split + 1);
    const std::string before = ReadAll(file);
    const std::string other = profile::GetPrivateProfileString(file, "QRLX_SEC", "OTHER", "\x01");
    const std::string elsewhere =
        profile::GetPrivateProfileString(file, "ELSE", "DATA_READ_DIR", "\x01");
    if (!profile::WritePrivateProfileString(file, "QRLX_SEC", "DATA_READ_DIR", value)) {
        if (ReadAll(file) != before) {
            std::abort();
        }
        return 0;
    }
    if (profile::GetPrivateProfileString(file, "QRLX_SEC", "DATA_READ_DIR", "\x01") != value ||
        profile::GetPrivateProfileString(file, "QRLX_SEC", "OTHER", "\x01") != other ||
        profile::GetPrivateProfileString(file, "ELSE", "DATA_READ_DIR", "\x01") != elsewhere) {
        std::abort();
    }
    return 0;
}
