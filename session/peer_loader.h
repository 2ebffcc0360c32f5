// Functions looked up by name in libraries loaded at run time, and the entry
// points of the session service library reached that way.
#pragma once

#include <QPoint>
#include <string>

#include "controls/draw_utils.h"
#include "platform/session/dplay.h"

namespace kordalt {

// The session service library, found in the program's folder.
inline constexpr const char* kSessionServiceLibrary = "libkordalt_dplay.so";

// The address of `funcName` in the library `dllName`. A library is loaded once
// per run (names compared ignoring case); a name without a folder is looked for
// in the program's folder. Raises std::runtime_error "<dllName> not loaded" when
// the library cannot be loaded or lacks the function.
void* LoadDllFunction(const std::string& dllName, const std::string& funcName);
// Unloads every library loaded so far; runs at the end of the program.
void FreeDllFunctions();

// All four edges count as inside.
inline bool IsPointInRect(QPoint p, const TRect& r) { return PointInRectInclusive(p, r); }

// Thin wrappers of the service library's entry points; they return its result code.
dplay::HRESULT DirectPlayCreate(const dplay::GUID* provider, dplay::IDirectPlay** directPlay,
                                dplay::IUnknown* outer);
dplay::HRESULT DirectPlayEnumerateA(dplay::LPDPENUMDPCALLBACKA callback, void* context);
dplay::HRESULT DirectPlayLobbyCreateA(const dplay::GUID* provider, dplay::IDirectPlayLobby** lobby,
                                      dplay::IUnknown* outer, void* data, uint32_t dataSize);

}  // namespace kordalt
