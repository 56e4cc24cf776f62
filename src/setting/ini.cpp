#include "setting/ini.h"

#include <utility>

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

bool WriteDisableSetting(const std::string& value, ProfileReport* report) {
  return WriteProfileValue(kSection, kKey, value, IniPath, report);
}

std::string DisableSettingDiff(const std::string& value, ProfileReport* report) {
  return ProfileValueDiff(kSection, kKey, value, IniPath, report);
}

ProxyClientState ReadProxyClientState(ProfileReport* report) {
  ProfileReport why;
  const ProfileString read = ReadProfileValue(kSection, kKey, kAbsent, kBufferSize, IniPath, &why);
  const bool looked = why.error == 0;
  if (report != nullptr) *report = std::move(why);
  // A file that could not be looked at told nothing, whatever the platform delivered for it.
  return looked ? StateFromValue(read, DecimalSeparator()) : ProxyClientState::Unread;
}

}  // namespace tavrel::setting
