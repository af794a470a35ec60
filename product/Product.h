#pragma once
// The product's fixed names and the installer's resource numbers.

namespace product {

inline constexpr char kShortName[] = "Velantrix";
inline constexpr char kFullName[] = "Korvane Velantrix";
inline constexpr char kPublisher[] = "Korvane";
inline constexpr char kVersion[] = "4.10";
inline constexpr char kUninstallKeyParent[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr char kMainProgramFile[] = "velantrix.exe";
inline constexpr char kSettingsManagerFile[] = "pelmocfg.exe";
inline constexpr char kUninstallerFile[] = "uninst.exe";
inline constexpr char kSharedResourceOwner[] = "Dravelo";
inline constexpr char kWebSiteHost[] = "www.velantrix.korvane.example";
inline constexpr char kWebSiteAddress[] = "http://www.velantrix.korvane.example/";

} // namespace product

namespace resource {

inline constexpr int kPackage = 148;
inline constexpr int kUninstaller = 149;

} // namespace resource
