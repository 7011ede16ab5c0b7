#pragma once
// The printer the program draws on is the one Listcaster defines, so the
// host and its list control print through the same device.
#include <listcaster/PrinterDevice.h>

namespace fd {
using PrinterDevice = listcaster::PrinterDevice;
using PrinterError = listcaster::PrinterError;
}  // namespace fd
