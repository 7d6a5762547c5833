// The result codes shared by every program of the suite: 0 is success, and the numbering is one
// integer space across the driver, the service and the client. Codes travel as decimal text.
#pragma once

enum ResultCode : int {
  RC_OK = 0,
  // Driver codes.
  RC_UNSUPPORTED = 1,
  RC_NOT_AVAILABLE = 2,
  RC_BAD_VALUE = 4,
  RC_BUFFER_TOO_SMALL = 5,
  RC_SHORT_WRITE = 6,
  RC_SHORT_REPLY = 7,
  RC_NO_DEVICE = 8,
  RC_BAD_REPLY = 9,
  RC_NOT_DETECTED = 10,
  RC_NOT_A_SETTING = 11,   // the element has no setting register on this UPS
  RC_READ_ONLY = 13,       // the element is an identity register and cannot be written
  RC_NO_TABLE_ENTRY = 14,  // a setting byte or value with no exact entry in its table
  RC_PIPE_BROKEN = 15,       // the pipe between service and driver failed
  RC_MISSING_ARGUMENT = 16,  // driver: an argument is missing; service: malformed driver reply
  RC_LINE_FAILURE = 17,
  RC_TIMEOUT = 18,
  RC_NO_MEMORY = 19,
  RC_DEVICE_CHANGED = 20,
  // Client protocol server codes.
  RC_SOCKET_ERROR = 21,
  RC_ERR_WITHOUT_NUMBER = 22,  // client side: an "ERR" reply without a number
  RC_INCOMPLETE = 24,
  RC_BAD_SETTING = 30,
  RC_BAD_REQUEST = 31,
  RC_REFUSED = 32,
  RC_ACCESS_DENIED = 33,
};

// The service reads code 16 as "the driver's reply was malformed".
inline constexpr ResultCode RC_MALFORMED_REPLY = RC_MISSING_ARGUMENT;
