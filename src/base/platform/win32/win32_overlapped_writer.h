#pragma once

#include <windows.h>

// The three overlapped calls a write to the port goes through. The send
// queue makes them through this, so that a test can stand in for the driver:
// hold a write pending for as long as it likes, then complete it, cut it
// short or fail it, which a pseudo-terminal under Wine never does (it takes
// a whole line at once).
class OverlappedWriter {
 public:
  virtual ~OverlappedWriter() = default;

  // WriteFile on a port opened for overlapped I/O: TRUE when done at once,
  // FALSE with GetLastError() ERROR_IO_PENDING when under way (either way
  // `overlapped.hEvent` is signalled when it ends), FALSE otherwise.
  virtual BOOL Start(HANDLE port, const char* bytes, DWORD size, OVERLAPPED& overlapped) = 0;
  // GetOverlappedResult.
  virtual BOOL Result(HANDLE port, OVERLAPPED& overlapped, DWORD& transferred, BOOL wait) = 0;
  // CancelIoEx: the write ends soon after, signalling its event.
  virtual void Cancel(HANDLE port, OVERLAPPED& overlapped) = 0;
};

// Windows' own calls.
OverlappedWriter& SystemOverlappedWriter();
