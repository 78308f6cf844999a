#pragma once

#include <QtGlobal>

// The native modem-line calls, one system call each. One file per platform.
namespace ModemLines {
enum class Output { DTR, RTS };

// False when the system call failed.
bool set(qintptr handle, Output line, bool on);
// Fills status with the ModemLine bits that are on; false when the call failed.
bool read(qintptr handle, unsigned &status);
} // namespace ModemLines
