// The loader of the service library, the error texts and the entry points.
#include "session/peer_loader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/program_path.h"
#include "platform/session/dplay.h"
#include "session/com_ptr.h"
#include "session/peer_consts.h"
#include "session/peer_errors.h"

namespace kordalt {
namespace {

using namespace dplay;

// The service library lives in the program folder; tests run from elsewhere.
class PeerLoader : public ::testing::Test {
protected:
    ScopedProgramFileName program{std::string(KORDALT_BIN_DIR) + "/kordalt"};
};

std::string LoadError(const std::string& dll, const std::string& function) {
    try {
        LoadDllFunction(dll, function);
    } catch (const EPeerPlayError&) {
        return "EPeerPlayError";
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "loaded";
}

TEST_F(PeerLoader, LibraryIsLoadedOnceAndFoundAgainWhateverTheCase) {
    void* lower = LoadDllFunction("libkordalt_dplay.so", "DirectPlayCreate");
    ASSERT_NE(lower, nullptr);
    // No file has the upper-case name: only the cache can answer.
    EXPECT_EQ(LoadDllFunction("LIBKORDALT_DPLAY.SO", "DirectPlayCreate"), lower);
    EXPECT_NE(LoadDllFunction("LibKordalt_DPlay.so", "DirectPlayEnumerateA"), lower);
}

TEST_F(PeerLoader, MissingLibraryOrFunctionRaisesTheLibrarysName) {
    struct Case {
        const char* dll;
        const char* function;
        const char* error;
    } cases[] = {
        {"libkordalt_dplay.so", "DirectPlayQuit", "libkordalt_dplay.so not loaded"},
        {"libkordalt_dplay.so", "", "libkordalt_dplay.so not loaded"},
        {"libnothing_here.so", "DirectPlayCreate", "libnothing_here.so not loaded"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadError(c.dll, c.function), c.error) << c.dll << " " << c.function;
}

TEST_F(PeerLoader, EntryPointsReachTheServiceLibrary) {
    std::vector<std::string> names;
    auto collect = [](const GUID* guid, const char* name, uint32_t, uint32_t, void* context) {
        static_cast<std::vector<std::string>*>(context)->push_back(name);
        return guid != nullptr;
    };
    EXPECT_EQ(DirectPlayEnumerateA(collect, &names), DP_OK);
    EXPECT_EQ(names, std::vector<std::string>{"TCP/IP"});

    IDirectPlay* object = reinterpret_cast<IDirectPlay*>(&names);  // set to nil before the call
    ASSERT_EQ(DirectPlayCreate(&DPSPGUID_TCPIP, &object, nullptr), DP_OK);
    ComPtr<IDirectPlay> base(object);
    auto session = base.Query<IDirectPlay4A>(IID_IDirectPlay4A);
    ASSERT_TRUE(session);
    DPCAPS caps{};
    caps.dwSize = sizeof caps;
    EXPECT_EQ(session->GetCaps(&caps, 0), DP_OK);

    IDirectPlayLobby* lobby = reinterpret_cast<IDirectPlayLobby*>(&names);
    ASSERT_EQ(DirectPlayLobbyCreateA(nullptr, &lobby, nullptr, nullptr, 0), DP_OK);
    ComPtr<IDirectPlayLobby> lobbyRef(lobby);
    EXPECT_TRUE(lobbyRef.Query<IDirectPlayLobby2A>(IID_IDirectPlayLobby2A));

    IDirectPlay* refused = reinterpret_cast<IDirectPlay*>(&names);
    EXPECT_NE(DirectPlayCreate(&DPSPGUID_MODEM, &refused, nullptr), DP_OK);
    EXPECT_EQ(refused, nullptr);
}

TEST(PeerErrors, SystemErrorTexts) {
    struct Case {
        int32_t code;
        const char* text;
    } cases[] = {
        {0, ""},
        {CO_E_CLASSSTRING, "Invalid class string"},  // the platform's text ends with CR LF
        {static_cast<int32_t>(0x80070057u), "The parameter is incorrect."},
        {2, "No such file or directory"},
        {DPERR_BUFFERTOOSMALL, "Unknown Error (-2005467106)"},
        {-1, "Unknown Error (-1)"},
        {100000, "Unknown Error (100000)"},
    };
    for (const Case& c : cases) EXPECT_EQ(SystemErrorText(c.code), c.text) << c.code;
}

TEST(PeerLoaderRect, EveryEdgeIsInside) {
    const TRect r{10, 20, 30, 40};
    struct Case {
        QPoint p;
        bool inside;
    } cases[] = {
        {{10, 25}, true}, {{30, 25}, true}, {{15, 20}, true},  {{15, 40}, true},  {{10, 20}, true},
        {{30, 40}, true}, {{9, 25}, false}, {{31, 25}, false}, {{15, 19}, false}, {{15, 41}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsPointInRect(c.p, r), c.inside) << c.p.x() << "," << c.p.y();
}

}  // namespace
}  // namespace kordalt
