// The numbers by which the application names its resources and controls.
#pragma once

namespace dalvren {

// Menu, accelerators, icon and document string of the main frame. The icon
// after it, 129, is the table files' icon.
inline constexpr unsigned kIdrMainFrame = 128;
// Dialog templates.
inline constexpr unsigned kIddAboutBox = 100;
inline constexpr unsigned kIddForm = 101;
inline constexpr unsigned kIddLoadRom = 102;
inline constexpr unsigned kIddWriteRom = 103;
inline constexpr unsigned kIddDroppedFile = 104;
inline constexpr unsigned kIddFind = 105;
inline constexpr unsigned kIddTableReport = 106;

// The application's own menu commands.
inline constexpr unsigned kIdFileOpenDump = 32771;
inline constexpr unsigned kIdFileSaveDumpAs = 32772;
inline constexpr unsigned kIdFileLoadRom = 32773;
inline constexpr unsigned kIdFileWriteRom = 32774;
inline constexpr unsigned kIdViewTableReport = 32775;

// The status bar's pane that counts what the two fields hold.
inline constexpr unsigned kIdsFieldCounts = 61200;

// Controls of the converter form.
inline constexpr int kIdcRom = 1000;
inline constexpr int kIdcDump = 1001;
inline constexpr int kIdcRomToDump = 1002;
inline constexpr int kIdcDumpToRom = 1003;
inline constexpr int kIdcRomHex = 1004;
inline constexpr int kIdcDumpHex = 1005;
// The About box's build time stamp and version.
inline constexpr int kIdcBuildStamp = 1006;
inline constexpr int kIdcVersion = 1007;

// Find and Replace.
inline constexpr int kIdcFindWhat = 1200;
inline constexpr int kIdcReplaceWith = 1201;
inline constexpr int kIdcMatchCase = 1202;
inline constexpr int kIdcFindNext = 1203;
inline constexpr int kIdcReplace = 1204;
inline constexpr int kIdcReplaceAll = 1205;
inline constexpr int kIdcFindWhere = 1206;
inline constexpr int kIdcFindResult = 1207;

// Load ROM Bytes.
inline constexpr int kIdcLoadFile = 1300;
inline constexpr int kIdcLoadBrowse = 1301;
inline constexpr int kIdcLoadSize = 1302;
inline constexpr int kIdcLoadOffset = 1303;
inline constexpr int kIdcLoadLength = 1304;

// Write ROM Bytes.
inline constexpr int kIdcWriteRom = 1310;
inline constexpr int kIdcWriteBrowse = 1311;
inline constexpr int kIdcWriteSize = 1312;
inline constexpr int kIdcWriteOffset = 1313;
inline constexpr int kIdcWriteToNewFile = 1314;
inline constexpr int kIdcWriteNewFile = 1315;
inline constexpr int kIdcWriteNewBrowse = 1316;
inline constexpr int kIdcWriteToRom = 1317;
inline constexpr int kIdcWriteGrow = 1318;
inline constexpr int kIdcWriteCount = 1319;

// Dropped File.
inline constexpr int kIdcDroppedName = 1400;
inline constexpr int kIdcOpenAsTable = 1401;
inline constexpr int kIdcLoadDroppedBytes = 1402;

// Table Report.
inline constexpr int kIdcReportTable = 1500;
inline constexpr int kIdcReportLines = 1501;

inline constexpr char kRegistryKey[] = "Local AppWizard-Generated Applications";

}  // namespace dalvren
