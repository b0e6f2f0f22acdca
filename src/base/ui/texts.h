#pragma once

#include "ui/controls.h"

// Every text the program shows, kept byte for byte in one place.
namespace ui {

inline constexpr const char* kWindowCaption = "Quenrick TBX4 Download Utility V1.1";
inline constexpr const char* kMessageBoxTitle = "TBX4 Download Utility";

inline constexpr const char* kNoFileSelected = "No File Name Selected";
inline constexpr const char* kRevisionPrompt = "Click to get F/W Rev";
inline constexpr const char* kCommsHeading = "TBX4 Communications Window";
inline constexpr const char* kDownloadButton = "Download TBX4";
inline constexpr const char* kFileButton = "TBX4 Hex File Name";
inline constexpr const char* kRevisionButton = "Get F/W Rev.";
inline constexpr const char* kPortMenu = "&ComPort";
inline constexpr const char* kOptionsMenu = "&Options";
inline constexpr const char* kAckOption = "Ack Req'd from TBX4";
inline constexpr const char* kAssignDevicesItem = "Assign Devices...";

inline constexpr const char* kSetupInstructions =
    "Setup Instructions:   Make sure the TBX4 is disconnected from your J8 and is powered from "
    "external 12 VDC. TBX4 DL switch should be in DL position. PC RS-232 connected to PC "
    "connector on TBX4.";

// The port warnings differ in one word, "choose" at start-up and "chose" after
// a menu choice; both are kept as the unit's users have always seen them.
inline constexpr const char* kPortWarningLead = "Comm";
inline constexpr const char* kPortWarningAtStart = " in use or invalid. Please choose another port";
inline constexpr const char* kPortWarningOnReopen = " in use or invalid. Please chose another port";
inline constexpr const char* kSendWarning =
    "Comm Port in use or invalid. Please chose another port";
inline constexpr const char* kNoReplyWarning =
    "TBX4 Failed to reply: Check TBX4 power, DL switch, RS-232 cable, comm port and make sure J8 "
    "is not conn. to TBX4.";

inline constexpr const char* kDownloading = "Downloading file...";
inline constexpr const char* kDownloadComplete = "Download Complete!";
inline constexpr const char* kNotIntelHex = "File Not Intel Hex Formatted!";
inline constexpr const char* kCommError = "Comm. Error!";
inline constexpr const char* kDownloadFailed = "Download Failed!";

// Status colours, 0x00BBGGRR: blue while a download runs, red for every outcome.
inline constexpr Color kBlue = 0xFF0000;
inline constexpr Color kRed = 0x0000FF;

// The progress band: "Line 12 of 65, about 0:03 left".
inline constexpr const char* kProgressLine = "Line ";
inline constexpr const char* kProgressOf = " of ";
inline constexpr const char* kProgressAbout = ", about ";
inline constexpr const char* kProgressLeft = " left";
inline constexpr const char* kNeverAcknowledged =
    " - the unit acknowledged no line: nothing confirms that it received the image";

// The flash record could not take a job's line; said before what the band
// said, so that the band's width cuts what was there, not the news:
// "The flash record could not be written (Read-only file system) - Line 65 of 65".
inline constexpr const char* kRecordNotWritten = "The flash record could not be written (";
inline constexpr const char* kRecordNotWrittenEnd = ")";
inline constexpr const char* kBandAddition = " - ";

// The image check: "65 records, 2048 bytes at 0x0000-0x07FF, end record present".
inline constexpr const char* kImageRecords = " records, ";
inline constexpr const char* kImageBytes = " bytes";
inline constexpr const char* kImageAt = " at ";
inline constexpr const char* kImageEndRecord = ", end record present";
inline constexpr const char* kImageNoEndRecord = ", NO end record";
inline constexpr const char* kImageFirstLineNot32 = ", first line is not a 32-byte record";
inline constexpr const char* kImageBadLine = " bad line";
inline constexpr const char* kImageUnreadable = "The image cannot be read";
// After the summary: its first 12 digits in the band, all 64 in the tooltip.
inline constexpr const char* kImageSha256 = ", SHA-256 ";

// The port menu's hints: "Com1 is /dev/ttyS0 (present)", "Com4 is COM4,
// USB-SERIAL CH340 (COM4) (present)".
inline constexpr const char* kPortHintLead = "Com";
inline constexpr const char* kPortHintIs = " is ";
inline constexpr const char* kPortHintNameSeparator = ", ";
inline constexpr const char* kPortPresent = "present";
inline constexpr const char* kPortNotPresent = "not present";

// A Boolean where a text is shown (a hand-edited settings file may put one
// in place of the file name).
inline constexpr const char* kTrueText = "True";
inline constexpr const char* kFalseText = "False";

// The device assignment dialog.
inline constexpr const char* kAssignDevicesTitle = "Assign Devices";
inline constexpr const char* kAssignDevicesDefault = "Default (";
inline constexpr const char* kDialogOk = "OK";
inline constexpr const char* kDialogCancel = "Cancel";
inline constexpr const char* kAssignDevicesCannotWrite =
    "The port assignments could not be saved: ";

// A chosen or dropped file whose name the program cannot keep: its letters
// are outside the system's code page and the disk offers no short name.
inline constexpr const char* kFileNameNotKept =
    "This file cannot be used: its name, or the name of a folder it is in, has letters outside "
    "this computer's language for non-Unicode programs, and the disk keeps no short name for "
    "it. Rename the file or the folder using plain letters, or copy the file to a folder such "
    "as C:\\TBX4, and choose it again. The file chosen before stays chosen.";

}  // namespace ui
