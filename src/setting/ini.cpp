#include "setting/ini.h"

#include "setting/dirs.h"
#include "setting/system_profile.h"

namespace tavrel::setting {
namespace {

const std::string kSection = "Microsoft Proxy Service";
const std::string kKey = "Disable";
const std::string kAbsent = "0";  // an absent key means the client was never disabled
constexpr std::size_t kBufferSize = 50;

}  // namespace

std::string IniPath;

std::string FindIniPath() { return WindowsDir() + "win.ini"; }

bool WriteDisableSetting(const std::string& value, std::string* reason) {
  return WriteProfileValue(kSection, kKey, value, IniPath, reason);
}

std::string DisableSettingDiff(const std::string& value, int* error) {
  return ProfileValueDiff(kSection, kKey, value, IniPath, error);
}

ProxyClientState ReadProxyClientState(int* error) {
  int why = 0;
  const ProfileString read = ReadProfileValue(kSection, kKey, kAbsent, kBufferSize, IniPath, &why);
  if (error != nullptr) *error = why;
  // A file that could not be looked at told nothing, whatever the platform delivered for it.
  return why != 0 ? ProxyClientState::Unread : StateFromValue(read, DecimalSeparator());
}

}  // namespace tavrel::setting
