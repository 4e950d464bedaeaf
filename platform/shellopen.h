// Opening a document or an address with the program the desktop has registered for it.
#pragma once

#include <functional>
#include <string>

namespace shellopen {

// Results above 32 mean success; these are the failures this platform reports.
constexpr int kFileNotFound = 2;
constexpr int kNoAssociation = 31;
constexpr int kOpened = 42;

// Opens `target` (a file path or an address) in the background; does not wait for the
// program. A local file that does not exist gives kFileNotFound; no program to open it,
// kNoAssociation.
int ShellOpen(const std::string& target);

// Replaces what ShellOpen does (tests); an empty function restores the desktop's.
void SetShellOpener(std::function<int(const std::string&)> opener);

// The directory of the running executable, without a trailing '/'.
std::string ExecutableDirectory();

}  // namespace shellopen
