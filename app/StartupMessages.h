#pragma once

namespace app {

// The fixed message boxes of start-up (no owner window, OK button only).

inline constexpr const char* kMissingFilesCaption = "Missing Files";
inline constexpr const char* kMissingFilesText =
    "Files are missing from this installation.  Please re-install the application."
    " A fresh copy can be downloaded from http://www.vornalo.com/mobile/.";

inline constexpr const char* kDataConnectionFailureCaption = "Data Connection Failure";
inline constexpr const char* kDataConnectionFailureText =
    "Please Establish a Data Connection and Restart Vornalo Mobile.";

inline constexpr const char* kConnectionFailureCaption = "Connection Failure";
inline constexpr const char* kConnectionFailureText =
    "Either the Vornalo server is down for maintenance, or you do not have an active data "
    "connection. Please try again later.";

}  // namespace app
