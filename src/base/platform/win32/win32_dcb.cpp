#include "platform/win32/win32_dcb.h"

namespace {

BYTE ParityCode(Parity parity) {
  switch (parity) {
    case Parity::kEven:
      return EVENPARITY;
    case Parity::kOdd:
      return ODDPARITY;
    case Parity::kMark:
      return MARKPARITY;
    case Parity::kSpace:
      return SPACEPARITY;
    case Parity::kNone:
      break;
  }
  return NOPARITY;
}

BYTE StopBitsCode(StopBits stop_bits) {
  switch (stop_bits) {
    case StopBits::kOneAndHalf:
      return ONE5STOPBITS;
    case StopBits::kTwo:
      return TWOSTOPBITS;
    case StopBits::kOne:
      break;
  }
  return ONESTOPBIT;
}

}  // namespace

void SetLineInDcb(DCB& dcb, const LineSettings& settings) {
  dcb.BaudRate = static_cast<DWORD>(settings.baud);
  dcb.ByteSize = static_cast<BYTE>(settings.data_bits);
  dcb.Parity = ParityCode(settings.parity);
  dcb.fParity = settings.parity == Parity::kNone ? FALSE : TRUE;
  dcb.StopBits = StopBitsCode(settings.stop_bits);
  dcb.fBinary = TRUE;
  dcb.fAbortOnError = FALSE;
  dcb.fNull = FALSE;
  dcb.fErrorChar = FALSE;
}

void SetFlowInDcb(DCB& dcb, FlowControl flow) {
  const bool hardware = flow == FlowControl::kRtsCts;
  const bool software = flow == FlowControl::kXonXoff;
  dcb.fOutxCtsFlow = hardware ? TRUE : FALSE;
  dcb.fOutX = software ? TRUE : FALSE;
  dcb.fInX = software ? TRUE : FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fTXContinueOnXoff = TRUE;
  // The program never drives DTR; it only must not be a handshake line.
  if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE) {
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
  }
  if (hardware) {
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
  } else if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_TOGGLE) {
    // Handshaking ends: the line is off until the control applies its RTS
    // setting, which it does straight after.
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
  }
}

void SetRtsInDcb(DCB& dcb, bool asserted) {
  if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) {
    return;
  }
  dcb.fRtsControl = asserted ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
}
