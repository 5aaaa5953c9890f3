// The numbers by which the application names its resources and controls.
#pragma once

namespace dalvren {

// Menu, accelerators, icon and document string of the main frame. The icon
// after it, 129, is the table files' icon.
inline constexpr unsigned kIdrMainFrame = 128;
// Dialog templates.
inline constexpr unsigned kIddAboutBox = 100;
inline constexpr unsigned kIddForm = 101;

// Controls of the converter form.
inline constexpr int kIdcRom = 1000;
inline constexpr int kIdcDump = 1001;
inline constexpr int kIdcRomToDump = 1002;
inline constexpr int kIdcDumpToRom = 1003;
inline constexpr int kIdcRomHex = 1004;
inline constexpr int kIdcDumpHex = 1005;
// The About box's build time stamp.
inline constexpr int kIdcBuildStamp = 1006;

inline constexpr char kRegistryKey[] = "Local AppWizard-Generated Applications";

}  // namespace dalvren
