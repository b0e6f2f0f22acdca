#pragma once

// Every text tbx4-download prints of its own. The unit's warnings and the
// progress line come from the core (its account of the job, its progress
// band) and are printed as the core gave them.
namespace cli::text {

inline constexpr const char* kProgramName = "tbx4-download";

inline constexpr const char* kUsage =
    R"(Usage: tbx4-download flash IMAGE --port PORT [--port PORT ...] [--no-ack]
                     [--json] [--quiet] [--no-record]
       tbx4-download revision --port PORT [--json] [--no-record]
       tbx4-download check IMAGE
       tbx4-download ports [--json]
       tbx4-download history [--last N] [--json]
       tbx4-download --help | --version

Loads an Intel HEX firmware image into TBX4 units over RS-232 (4800 baud,
8N1), exactly as the window's "Download TBX4" does, reads a unit's firmware
revision as its "Get F/W Rev." does, or checks an image without sending it.

Commands:
  flash IMAGE     send IMAGE to every unit named by --port, all of them at
                  once and each on its own; every line waits up to 0.5 s for
                  the unit's "G"
  revision        ask the unit for its firmware revision and print it
  check IMAGE     tell what IMAGE holds, its SHA-256 and which of its lines
                  are wrong; nothing is sent
  ports           tell which device each of COM1 to COM10 stands for, then
                  list every serial device present: the name that opens it,
                  what the system calls it, its manufacturer, serial number
                  and USB vendor:product, and whether another program holds
                  it (each is opened for a moment to find out)
  history         print the flash record: a CSV line for every download and
                  revision query, the window's and this command's, header
                  first

Options:
  --port PORT     COM1 to COM10, looked up as the window does (the ports/comN
                  assignments of "Assign Devices..." first), or a device
                  path such as /dev/ttyUSB0 or \\.\COM15; flash takes it
                  once per unit
  --no-ack        the unit's "G" is not required: the lines are paced 0.25 s
                  apart and a missing answer is no error
  --json          print one JSON object per unit when it is done (ports: per
                  port, then per device; history: per job), and nothing else
                  on the standard output
  --quiet         print only failures
  --no-record     add nothing to the flash record; TBX4_NO_RECORD=1 in the
                  environment does the same, for the window too
  --last N        history: only the last N jobs
  --help          show this text
  --version       print the program's version

Results go to the standard output, messages to the standard error. On a
terminal, flash keeps one live line per unit; otherwise it prints one line
per unit when it starts and one when it ends. No settings file is read or
written. Each unit's job is added to the flash record, tbx4_history.csv,
beside the window's settings file; a record that cannot be written is said
on the standard error and changes no outcome or exit status.

Exit status:
  0    every unit completed (check: the image has no problems)
  1    unexpected failure of the program itself
  2    usage error
  3    the image is not Intel HEX: its first line is not a 32-byte record
  4    the image cannot be read
  5    a port cannot be opened: missing, in use by another program, or not
       permitted
  6    a unit did not answer in time, or its port could not be written
  7    check only: the image has bad lines, no end record or no data
  130  interrupted (Ctrl+C, SIGTERM, SIGHUP): every download was ended at
       once and every port closed
With several units, the status is that of the first failing unit in --port
order; an interrupted run is always 130.
)";

inline constexpr const char* kTryHelp = "Try 'tbx4-download --help'.";

// Command-line problems.
inline constexpr const char* kNoCommand = "no command given";
inline constexpr const char* kUnknownCommand = "unknown command: ";
inline constexpr const char* kUnknownOption = "unknown option: ";
inline constexpr const char* kNeedsValue = " needs a value";
inline constexpr const char* kNeedsImage = " needs an IMAGE";
inline constexpr const char* kExtraArgument = "unexpected argument: ";
inline constexpr const char* kNeedsPort = " needs --port";
inline constexpr const char* kOnePortOnly = "revision takes one --port";
inline constexpr const char* kTakesNoPort = " sends nothing: it takes no --port";
inline constexpr const char* kNeedsCount = " needs a whole number of 1 or more";
inline constexpr const char* kOptionNotFor = " does not apply to ";
inline constexpr const char* kPortTwice = " is named twice";
inline constexpr const char* kNameNotKept =
    ": this name has letters outside the computer's language for non-Unicode programs, and "
    "the disk keeps no short name for it; rename the file or its folder using plain letters, "
    "or copy it to a folder such as C:\\TBX4";
inline constexpr const char* kComOutOfRange =
    ": only COM1 to COM10 have a number; give any other port by its device path";

// Why a port did not open.
inline constexpr const char* kCannotOpen = "cannot be opened: ";
inline constexpr const char* kNoSuchDevice = "no such device";
inline constexpr const char* kNotASerialDevice = "not a serial device";
inline constexpr const char* kNotPermitted =
    "permission denied (serial devices belong to the dialout group)";
inline constexpr const char* kPortBusy =
    "in use by another program (the window, another tbx4-download, a serial terminal) or not "
    "working";
inline constexpr const char* kDriverSays = "; the driver says: ";
inline constexpr const char* kInUseOrInvalid = "in use or invalid";
inline constexpr const char* kLineSettingsRefused =
    "the serial port refused the unit's line settings (4800 baud, 8N1, RTS on)";

// Result lines: "COM1: complete, 129 of 129 lines, 128 acknowledged, 20.6 s".
inline constexpr const char* kStarted = "started, ";
inline constexpr const char* kLines = " lines";
inline constexpr const char* kOf = " of ";
inline constexpr const char* kAcknowledged = " acknowledged";
inline constexpr const char* kAtLine = " at line ";
inline constexpr const char* kAtEnterCommand = " at the enter-download command";
inline constexpr const char* kLinesSent = " lines sent";
inline constexpr const char* kSeconds = " s";
inline constexpr const char* kOpening = "opening ";
inline constexpr const char* kNothingSent = "; nothing was sent";
inline constexpr const char* kRevisionIs = "revision ";

// The ports command: "Com1 is /dev/ttyS0 (present) - assigned", then
// "/dev/ttyUSB0: FT232R USB UART; manufacturer FTDI; serial number A50285BI;
// USB 0403:6001; free; COM2".
inline constexpr const char* kAssigned = " - assigned";
inline constexpr const char* kDevicesPresent = "Serial devices present:";
inline constexpr const char* kNoDevicesPresent = "No serial devices present.";
inline constexpr const char* kManufacturer = "manufacturer ";
inline constexpr const char* kSerialNumber = "serial number ";
inline constexpr const char* kUsbId = "USB ";
inline constexpr const char* kDeviceFree = "free";
inline constexpr const char* kDeviceHeld = "in use by another program";
inline constexpr const char* kDeviceNotPermitted = "not permitted";
inline constexpr const char* kDeviceGone = "gone";

// Messages that explain an outcome.
inline constexpr const char* kNotIntelHexWhy =
    "the image's first line is not a 32-byte data record (\":20...\")";
inline constexpr const char* kUnreadableWhy = "the image cannot be opened or read";
inline constexpr const char* kInterruptedWhy = "interrupted";
inline constexpr const char* kNoRevisionWhy = "the unit did not answer the revision query within ";
inline constexpr const char* kNoOutcomeWhy = "the download ended without an outcome";

// The flash record.
inline constexpr const char* kRecordNotWritten = "the flash record could not be written: ";
inline constexpr const char* kNoRecordYet = "no flash record yet: ";
inline constexpr const char* kRecordUnreadable = "the flash record cannot be read: ";

// The image check.
inline constexpr const char* kLine = "line ";
inline constexpr const char* kNotARecord =
    ": not a record (no ':', a character that is not a hex digit, or the wrong length)";
inline constexpr const char* kBadChecksum = ": checksum wrong";
inline constexpr const char* kMoreBadLines = " more bad lines";

}  // namespace cli::text
