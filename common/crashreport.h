#pragma once
// Crash reports: on a fatal signal the process writes a text report with a
// backtrace into its report folder, then dies as it would have without us.

#include <string>

namespace crash {

// What the program hands over when it installs the handler. The transport
// priorities, flags and restart values are kept as the program states them
// and written at the head of every report.
struct InstallInfo {
    unsigned size = sizeof(InstallInfo);
    std::string appName;
    std::string appVersion;
    int priorityHttp = 0;
    int prioritySmtp = 0;
    int priorityMapi = 0;
    unsigned flags = 0;
    std::string privacyPolicyUrl;
    std::string reportFolder = "dumps";
    std::string restartCmdLine;
    int restartTimeout = 0;
};

// What both programs install: the transports HTTP, SMTP and Simple MAPI at
// priorities 3, 2 and 1, flags 0x409FFF, reports in "dumps", a restart with
// "/restart" after 50 s.
InstallInfo programInstall(const std::string& appName, const std::string& appVersion = std::string());

// 0 on success; otherwise non-zero and lastErrorMessage() says why.
int install(const InstallInfo& info);
// The reason of the last failed install, cut to maxChars characters.
std::string lastErrorMessage(std::size_t maxChars = 256);

} // namespace crash
