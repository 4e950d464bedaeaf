// The private-profile (INI) service: one text value read or written by file, section and
// key. Section and key names match without regard to ASCII case; every other line of the
// file is kept; the file is created by the first write.
#pragma once

#include <string>

namespace profile {

// A bare file name resolves to the user's configuration directory ($XDG_CONFIG_HOME, else
// ~/.config); a name with a '/' is used as it is.
std::string ResolveProfilePath(const std::string& file);

// The value (one pair of double quotes around it taken off), or `fallback` when the file,
// the section or the key is missing.
std::string GetPrivateProfileString(const std::string& file, const std::string& section,
                                    const std::string& key, const std::string& fallback);

// Sets the value, adding the section or key as needed; a value with blanks at either end
// is written in quotes, so that it reads back as it was. A link is followed and kept.
// False, with the file as it was, when it exists but cannot be read, cannot be written,
// or the value holds a line break.
bool WritePrivateProfileString(const std::string& file, const std::string& section,
                               const std::string& key, const std::string& value);

}  // namespace profile
