#include "session/peer_loader.h"

#include <dlfcn.h>

#include <utility>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/format.h"
#include "platform/program_path.h"
#include "session/peer_consts.h"

namespace kordalt {
namespace {

// Lower-case library name and its module handle.
using ModuleCache = std::vector<std::pair<std::string, void*>>;
ModuleCache* moduleCache = nullptr;

struct UnloadAtExit {
    ~UnloadAtExit() { FreeDllFunctions(); }
} unloadAtExit;

[[noreturn]] void RaiseNotLoaded(const std::string& dllName) {
    throw std::runtime_error(FormatText(SNotLoaded, {dllName}));
}

void* LoadModule(const std::string& dllName) {
    std::string path = dllName.find('/') == std::string::npos ? ProgramDirectory() + dllName : dllName;
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

void* LoadDllFunction(const std::string& dllName, const std::string& funcName) {
    if (!moduleCache) moduleCache = new ModuleCache;
    std::string key = AnsiLowerCase(dllName);
    void* module = nullptr;
    for (const auto& [name, handle] : *moduleCache)
        if (name == key) module = handle;
    if (!module) {
        module = LoadModule(dllName);
        if (!module) RaiseNotLoaded(dllName);
        moduleCache->emplace_back(key, module);
    }
    void* function = dlsym(module, funcName.c_str());
    if (!function) RaiseNotLoaded(dllName);
    return function;
}

void FreeDllFunctions() {
    if (!moduleCache) return;
    for (const auto& entry : *moduleCache) dlclose(entry.second);
    delete moduleCache;
    moduleCache = nullptr;
}

namespace {

template <class Function>
Function* ServiceFunction(const char* name) {
    return reinterpret_cast<Function*>(LoadDllFunction(kSessionServiceLibrary, name));
}

}  // namespace

dplay::HRESULT DirectPlayCreate(const dplay::GUID* provider, dplay::IDirectPlay** directPlay,
                                dplay::IUnknown* outer) {
    auto* create = ServiceFunction<decltype(::DirectPlayCreate)>("DirectPlayCreate");
    if (directPlay) *directPlay = nullptr;
    return create(provider, directPlay, outer);
}

dplay::HRESULT DirectPlayEnumerateA(dplay::LPDPENUMDPCALLBACKA callback, void* context) {
    auto* enumerate = ServiceFunction<decltype(::DirectPlayEnumerateA)>("DirectPlayEnumerateA");
    return enumerate(callback, context);
}

dplay::HRESULT DirectPlayLobbyCreateA(const dplay::GUID* provider, dplay::IDirectPlayLobby** lobby,
                                      dplay::IUnknown* outer, void* data, uint32_t dataSize) {
    auto* create = ServiceFunction<decltype(::DirectPlayLobbyCreateA)>("DirectPlayLobbyCreateA");
    if (lobby) *lobby = nullptr;
    return create(provider, lobby, outer, data, dataSize);
}

}  // namespace kordalt
