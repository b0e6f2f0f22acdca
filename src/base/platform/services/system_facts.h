#pragma once

#include <chrono>
#include <string>

// What a record of the bench's work says about where and when it was done.

// The computer's name, as the network knows it; empty when the system does
// not say.
std::string ComputerName();

// The name of the user running the program; empty when the system does not
// say.
std::string UserName();

#ifndef _WIN32
// The home folder the system's account database gives the user running the
// program, for when HOME is not set; empty when it gives none.
std::string AccountHomeFolder();
#endif

// Local date and time in ISO 8601 with the offset from UTC, to the second:
// "2026-12-08T14:03:27+01:00".
std::string LocalTimestamp(std::chrono::system_clock::time_point when);

// The local date alone: "2026-12-08".
std::string LocalDate(std::chrono::system_clock::time_point when);
