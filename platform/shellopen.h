// Opening a document or an address with the program the desktop has registered for it,
// without waiting for that program.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace shellopen {

// Results above 32 mean success; these are the failures this platform reports.
constexpr int kFileNotFound = 2;
constexpr int kNoAssociation = 31;
constexpr int kOpened = 42;

// Starts the desktop's opener on `target` (a file path or an address) and returns at once
// with what is known at once: kFileNotFound for a local file that does not exist,
// kNoAssociation when no opener can be started, else kOpened. Whether the opener found a
// program comes later, from EndedOpeners.
int ShellOpen(const std::string& target);

// An opener ShellOpen started that has ended: whether it found a program for its target.
struct EndedOpener {
    std::string target;
    bool opened;
};
// The openers that have ended since the last call; never waits. Without a desktop session
// an opener runs the program itself and ends when that program does.
std::vector<EndedOpener> EndedOpeners();
// Whether an opener ShellOpen started on `target` still runs (its program is still open
// when there is no desktop session).
bool StillOpening(const std::string& target);
// Whether any opener ShellOpen started still runs.
bool AnyOpening();

// Replaces what ShellOpen does (tests); an empty function restores the desktop's.
void SetShellOpener(std::function<int(const std::string&)> opener);

// The directory of the running executable, without a trailing '/'.
std::string ExecutableDirectory();

}  // namespace shellopen
