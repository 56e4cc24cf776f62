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

// Stores "0" or "1"; true when the write succeeded, otherwise `reason` may tell why.
bool WriteDisableSetting(const std::string& value, std::string* reason);

// What WriteDisableSetting(value) would change, as a unified diff, writing nothing; `error`
// as for ReadProxyClientState, or why the change would be refused.
std::string DisableSettingDiff(const std::string& value, int* error);

// Reads the key once; an absent key, section or file reads as enabled. A file that could
// not be looked at (see ReadProfileValue) reads as Unread, as a read that delivered
// nothing; `error`, where given, becomes 0 when the file could be looked at, else why not.
ProxyClientState ReadProxyClientState(int* error = nullptr);

}  // namespace tavrel::setting
