// Messages of the session component, and its exception class.
#pragma once

#include <stdexcept>
#include <string>

namespace kordalt {

// Every error the session component reports itself.
class EPeerPlayError : public std::runtime_error {
public:
    explicit EPeerPlayError(const std::string& message) : std::runtime_error(message) {}
};

inline constexpr const char* SNotLoaded = "%s not loaded";
inline constexpr const char* SUnknownError = "Unknown Error (%d)";
inline constexpr const char* SDirectPlay = "DirectPlay";
inline constexpr const char* SCannotInitialize = "%s cannot be initialized";
inline constexpr const char* SCannotOpen = "%s cannot be opened";
inline constexpr const char* SNotConnected = "TPeerPlay component is not connected now.";
inline constexpr const char* SProviderNotFound = "Provider '%s' not found";
inline constexpr const char* SSessionListFailed = "Session list cannot be acquired";
inline constexpr const char* SSessionNotFound = "Session '%s' not found";
inline constexpr const char* SSessionCannotOpen = "Session %s cannot be opened";
inline constexpr const char* SPlayerNotFound = "The player of specified ID is not found";
inline constexpr const char* SIllegalMessage = "The message form is illegal";
inline constexpr const char* SNoPlayerName = "Player name is not specified";
inline constexpr const char* SNoSessionName = "Session name is not specified";
// Texts of the device-independent bitmap classes.
inline constexpr const char* SCannotMake = "%s cannot be made";
inline constexpr const char* SInvalidDib = "DIB is invalid";
inline constexpr const char* SInvalidBitCount = "Bitcount in invalid (%d)";
inline constexpr const char* SInvalidPixelFormat = "PixelFormat in invalid";

}  // namespace kordalt
