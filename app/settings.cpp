#include "app/settings.h"

#include "data/messagebox.h"
#include "platform/profile.h"

namespace settings {

std::string Read(const char* key) {
    return profile::GetPrivateProfileString(kFile, kSection, key, "");
}

bool Write(const char* key, const std::string& value) {
    return profile::WritePrivateProfileString(kFile, kSection, key, value);
}

void ShowWriteFailure(void* owner) {
    ShowErrorMessage(owner, "設定ファイル[%s]に書き込めませんでした。",
                     profile::ResolveProfilePath(kFile).c_str());
}

}  // namespace settings
