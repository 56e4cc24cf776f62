// The proxy client's switch: key "Disable" of section "Microsoft Proxy Service"
// in win.ini, "1" disabled and "0" enabled.
#pragma once

#include <string>

#include "setting/proxy_client_state.h"

namespace tavrel::setting {

// The full path of win.ini; set once at start-up, read by every access to the key.
extern std::string IniPath;

// Where win.ini is: the Windows directory followed by "win.ini"; what start-up sets IniPath to.
std::string FindIniPath();

// Stores "0" or "1"; true when the write succeeded, otherwise `report` may tell why.
bool WriteDisableSetting(const std::string& value, ProfileReport* report);

// What WriteDisableSetting(value) would change, as a unified diff, writing nothing; `report`
// as for ReadProxyClientState, or why the change would be refused.
std::string DisableSettingDiff(const std::string& value, ProfileReport* report);

// Reads the key once; an absent key, section or file reads as enabled. A file that could
// not be looked at (see ReadProfileValue) reads as Unread, as a read that delivered
// nothing; `report`, where given, tells why it could not (error 0 when it could).
ProxyClientState ReadProxyClientState(ProfileReport* report = nullptr);

}  // namespace tavrel::setting
