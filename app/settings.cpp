#include "app/settings.h"

#include "data/messagebox.h"
#include "platform/profile.h"

namespace settings {

std::string Read(const char* key) {
    return profile::GetPrivateProfileString(kFile, kSection, key, "");
}

bool Write(void* owner, const char* key, const std::string& value) {
    if (profile::WritePrivateProfileString(kFile, kSection, key, value)) {
        return true;
    }
    ShowErrorMessage(owner, "設定ファイル[%s]に書き込めませんでした。",
                     profile::ResolveProfilePath(kFile).c_str());
    return false;
}

}  // namespace settings
