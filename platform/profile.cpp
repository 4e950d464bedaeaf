#include "platform/profile.h"

#include <strings.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/iofault.h"
#include "platform/textfile.h"

namespace profile {
namespace {

// The lines of the file; none when it does not exist. False when it exists but cannot be
// read: a write must then leave it alone rather than lose what it holds.
bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        struct stat info {};
        return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
    }
    if (!iofault::Allows(iofault::opRead)) {
        return false;
    }
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return !in.bad();
}

// A value as it stands in the file: in double quotes when its own blanks at either end or
// quotes around it would otherwise be lost on reading. Quotes around a value are taken off
// on reading, as the desktop platform does.
std::string Quoted(const std::string& value) {
    const bool blankAtEnd = !value.empty() && (value.front() == ' ' || value.front() == '\t' ||
                                               value.back() == ' ' || value.back() == '\t');
    const bool quotedAlready = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    return blankAtEnd || quotedAlready ? '"' + value + '"' : value;
}

std::string Unquoted(const std::string& value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

// The section named by a "[name]" line, or false for any other line.
bool SectionOf(const std::string& line, std::string& name) {
    std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') {
        return false;
    }
    name = Trim(trimmed.substr(1, trimmed.size() - 2));
    return true;
}

// The key and value of a "key=value" line.
bool EntryOf(const std::string& line, std::string& key, std::string& value) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    key = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    return true;
}

// Creates every missing directory on the way to `path`'s directory.
void MakeParents(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0700);
    }
}

}  // namespace

std::string ResolveProfilePath(const std::string& file) {
    if (file.find('/') != std::string::npos) {
        return file;
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') {
        return std::string(config) + "/" + file;
    }
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config/" + file;
}

std::string GetPrivateProfileString(const std::string& file, const std::string& section,
                                    const std::string& key, const std::string& fallback) {
    bool inSection = false;
    std::vector<std::string> lines;
    ReadLines(ResolveProfilePath(file), lines);
    for (const std::string& line : lines) {
        std::string name;
        std::string value;
        if (SectionOf(line, name)) {
            inSection = SameName(name, section);
        } else if (inSection && EntryOf(line, name, value) && SameName(name, key)) {
            return Unquoted(value);
        }
    }
    return fallback;
}

bool WritePrivateProfileString(const std::string& file, const std::string& section,
                               const std::string& key, const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos) {
        return false;  // a line break cannot stand in a value of a line-based file
    }
    const std::string path = ResolveProfilePath(file);
    std::vector<std::string> lines;
    if (!ReadLines(path, lines)) {
        return false;
    }
    const std::string entry = key + "=" + Quoted(value);
    bool inSection = false;
    bool done = false;
    size_t sectionEnd = std::string::npos;  // where a missing key goes
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        std::string name;
        std::string old;
        if (SectionOf(lines[i], name)) {
            if (inSection) {
                break;
            }
            inSection = SameName(name, section);
            if (inSection) {
                sectionEnd = i + 1;
            }
        } else if (inSection) {
            if (EntryOf(lines[i], name, old) && SameName(name, key)) {
                lines[i] = entry;
                done = true;
            } else if (!Trim(lines[i]).empty()) {
                sectionEnd = i + 1;
            }
        }
    }
    if (!done && sectionEnd != std::string::npos) {
        lines.insert(lines.begin() + static_cast<long>(sectionEnd), entry);
    } else if (!done) {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    MakeParents(path);
    std::string content;
    for (const std::string& line : lines) {
        content += line + "\n";
    }
    // The writer turns LF into CR LF, as the profile files of the desktop platform have it.
    textfile::TextFileWriter writer;
    return writer.Open(path) && writer.Write(content) && writer.Commit();
}

}  // namespace profile
